#!/bin/sh
# Starts the real program on a virtual X display with a throw-away home
# folder, waits for its main window, takes a screenshot and ends it through
# File > Exit. Exits 77 (skipped) only when no virtual display can be had.
# Usage: smoke_window.sh <corvane binary> [screenshot.png [wine-run.sh]]
# With wine-run.sh the program is the Windows one, run under Wine with Qt's
# windows platform plugin.
set -eu
program=$1
wine_run=${3:-}
title="Corvane For Quake 3 - Version: 0.9"

for tool in xvfb-run Xvfb xauth; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
for tool in xdotool import; do
  command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed (scripts/deps.sh)"; exit 1; }
done
[ -f "$program" ] || { echo "FAIL: $program is not a program"; exit 1; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT INT TERM
shot=${2:-$home/screen.png}
mkdir -p "$home/.config" "$home/.local/share" "$home/run"
chmod 700 "$home/run"

# A display that cannot start at all is no fault of the program.
if ! HOME="$home" xvfb-run -a -s "-screen 0 1024x768x24" true >/dev/null 2>&1; then
  echo "SKIP: Xvfb cannot start here"
  exit 77
fi

HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home/run" \
QT_QPA_PLATFORM=xcb WINEQT_QPA_PLATFORM= \
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" sh -c '
  program=$1 title=$2 shot=$3 wine_run=$4
  if [ -n "$wine_run" ]; then sh "$wine_run" "$program" & pid=$!; else "$program" & pid=$!; fi
  window=$(timeout 20 xdotool search --sync --name "^$title\$" | head -n 1)
  if [ -z "$window" ]; then
    echo "FAIL: no window titled \"$title\" appeared"
    kill $pid 2>/dev/null; exit 1
  fi
  sleep 1
  import -window root "$shot" || { echo "FAIL: screenshot"; kill $pid; exit 1; }
  geometry=$(xdotool getwindowgeometry "$window" | sed -n "s/.*Geometry: //p")
  echo "window $window, $geometry"
  # File > Exit, as a user would close it.
  xdotool windowfocus --sync "$window" && xdotool key --clearmodifiers alt+f && sleep 0.5 && xdotool key e
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    kill -0 $pid 2>/dev/null || break
    sleep 0.5
  done
  if kill -0 $pid 2>/dev/null; then
    echo "FAIL: File > Exit did not end the program"
    kill $pid; exit 1
  fi
  wait $pid || { echo "FAIL: the program ended with an error"; exit 1; }
' smoke "$program" "$title" "$shot" "$wine_run"

[ -s "$shot" ] || { echo "FAIL: empty screenshot"; exit 1; }
size=$(identify -format "%wx%h" "$shot")
echo "screenshot $size"
# Start and Exit write nothing: settings are stored only by Create.
# (Qt makes the empty key on Windows as soon as it reads; a value is a write.)
if [ -n "$wine_run" ] && sh "$wine_run" reg.exe query 'HKCU\Software\Corvane' /s 2>/dev/null | grep -q REG_; then
  echo "FAIL: a value was written to the registry without a Create"
  exit 1
fi
if [ -e "$home/.config/Corvane/Corvane.conf" ]; then
  echo "FAIL: the settings store was written without a Create"
  exit 1
fi
echo "PASS"
