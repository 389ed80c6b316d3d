#!/bin/sh
# Makes docs/screenshot.png of the main window from the real program, on a
# virtual display and with a throw-away home folder (the real settings are
# never read). Usage: scripts/screenshot.sh [program] [output.png]
set -eu
cd "$(dirname "$0")/.."
program=${1:-build/corvane}
output=${2:-docs/screenshot.png}
title="Corvane For Quake 3 - Version: 0.9"

if [ ! -x "$program" ]; then
  echo "screenshot.sh: $program not found; build first (scripts/build.sh)" >&2
  exit 1
fi
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing (scripts/deps.sh)" >&2; exit 1; }
done

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT INT TERM
mkdir -p "$(dirname "$output")"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")

HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=xcb \
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" sh -c '
  set -eu
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  "$1" & pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  window=$(timeout 20 xdotool search --sync --name "^$2\$" | head -n 1)
  sleep 1
  import -window "$window" "$3"
  kill $pid
  wait $pid 2>/dev/null || true
' screenshot "$program" "$title" "$output"
echo "wrote $output"
