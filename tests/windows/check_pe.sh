#!/bin/sh
# What Windows shows of a program, read from the file itself:
#   check_pe.sh FILE SUBSYSTEM ORIGINAL-NAME ICON-GROUP [MANIFEST-TEXT...]
# SUBSYSTEM is "Windows GUI" or "Windows CUI"; ICON-GROUP names the icon
# group that must hold 16, 32, 48 and 256 pixel images, "any" for whichever
# the file has, "-" for none; each MANIFEST-TEXT must be in its manifest
# ("-" as the first: no manifest is asked for). The version information must
# name the product Corvane, version 0.9.0.0 and ORIGINAL-NAME ("-": any).
set -eu
file=$1 subsystem=$2 original=$3 icon=$4
shift 4
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
name=${file##*/}
fail() { echo "FAIL: $name: $*"; exit 1; }
[ -f "$file" ] || fail "no such file"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

found=$("$objdump" -p "$file" | sed -n 's/^Subsystem[[:space:]]*[0-9a-f]*[[:space:]]*(\(.*\))$/\1/p')
[ "$found" = "$subsystem" ] || fail "subsystem \"$found\", not \"$subsystem\""
echo "$name: subsystem $found"

wrestool -l "$file" >"$work/resources" 2>/dev/null || fail "its resources cannot be read"

if [ "$icon" != - ]; then
  if [ "$icon" = any ]; then
    group=$(sed -n 's/.*--type=14 --name=\([^ ]*\) .*/\1/p' "$work/resources" | head -n 1)
  else
    group=$(sed -n "s/.*--type=14 --name='\\{0,1\\}\\($icon\\)'\\{0,1\\} .*/\\1/p" "$work/resources" | head -n 1)
  fi
  [ -n "$group" ] || fail "no icon group ${icon}"
  wrestool -x --type=14 --name="$(echo "$group" | tr -d "'")" "$file" >"$work/icon.ico" 2>/dev/null
  sizes=$(icotool -l "$work/icon.ico" 2>/dev/null | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')
  for size in 16 32 48 256; do
    case " $sizes" in *" $size "*) ;; *) fail "the icon has no $size pixel image (it has: $sizes)" ;; esac
  done
  echo "$name: icon $group, sizes $sizes"
fi

wrestool -x --raw --type=16 "$file" 2>/dev/null | strings -el >"$work/version"
value() { sed -n "/^$1\$/{n;p;q}" "$work/version"; }
[ "$(value ProductName)" = Corvane ] || fail "product name \"$(value ProductName)\", not Corvane"
[ "$(value FileVersion)" = 0.9.0.0 ] || fail "file version \"$(value FileVersion)\""
[ "$(value ProductVersion)" = 0.9.0.0 ] || fail "product version \"$(value ProductVersion)\""
[ "$original" = - ] || [ "$(value OriginalFilename)" = "$original" ] || fail "original name \"$(value OriginalFilename)\""
[ -n "$(value FileDescription)" ] || fail "no file description"
echo "$name: version information: $(value FileDescription), $(value FileVersion)"

if [ "${1:-}" != - ]; then
  wrestool -x --raw --type=24 "$file" >"$work/manifest" 2>/dev/null
  [ -s "$work/manifest" ] || fail "no manifest"
  for text in "$@"; do
    grep -qF "$text" "$work/manifest" || fail "its manifest lacks $text"
  done
  echo "$name: manifest with the $# facts asked for"
fi
echo "PASS: $name"
