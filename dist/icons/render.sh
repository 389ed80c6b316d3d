#!/bin/sh
# Renders the committed PNG icons from corvane.svg (needs ImageMagick).
# The 32 px icon is the program's own widgets/icon.png.
set -eu
cd "$(dirname "$0")"
for s in 16 48 64 128 256; do
  convert -background none -density $((s * 72 / 32)) corvane.svg \
    -resize "${s}x${s}" -depth 8 "PNG32:corvane-$s.png"
done
