#!/bin/sh
# The Windows installer under Wine, in a fresh prefix of its own:
#   installer_test.sh Corvane-x-setup.exe portable-folder prefix
# Silent install: the portable folder's files, the Start menu shortcut, the
# uninstall entry, what Windows shows of the installer and its uninstaller.
# The installed program shows its window; an install over it while it runs
# waits and replaces nothing until it is closed; a stored profile survives
# installing and uninstalling; the silent uninstall removes exactly what was
# installed (the user's own files stay), also from a folder chosen with /D=.
set -eu
absolute() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
setup=$(absolute "$1") portable=$(absolute "$2")
export WINEPREFIX="$(absolute "$3")"
here=$(cd "$(dirname "$0")" && pwd)
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
title="Corvane For Quake 3 - Version: 0.9"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'
profiles_key='HKCU\Software\Corvane\Corvane\Profiles'
# Nothing reaches the real desktop's menus or home.
export WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export HOME="$WINEPREFIX.home"

fail() { echo "FAIL: $*"; "$server" -k 2>/dev/null || true; exit 1; }
win() { "$wine" "$@" 2>/dev/null | tr -d '\r'; }
unix_path() { win winepath -u "$1"; }

rm -rf "$WINEPREFIX" "$HOME"
mkdir -p "$WINEPREFIX" "$HOME"
"$wine" wineboot -i >/dev/null 2>&1 || fail "no Wine prefix could be made in $WINEPREFIX"
cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/"
"$server" -w
local_app_data=$(win cmd /c echo %LOCALAPPDATA%)
programs=$(unix_path "$local_app_data\\Programs\\Corvane")
start_menu=$(unix_path "$(win cmd /c echo %APPDATA%)\\Microsoft\\Windows\\Start Menu\\Programs")
staging=$(unix_path "$local_app_data\\Corvane\\Corvane\\drive_c")

# --- a silent install ----------------------------------------------------------
"$wine" "$setup" /S || fail "the silent install ended with $?"
"$server" -w
diff -r -x uninstall.exe "$portable" "$programs" >/dev/null || fail "the installed files differ from the portable folder"
[ -f "$programs/uninstall.exe" ] || fail "no uninstall.exe"
echo "installed: the portable folder's $(find "$portable" -type f | wc -l) files and uninstall.exe"
link="$start_menu/Corvane.lnk"
[ -f "$link" ] || fail "no Start menu shortcut $link"
# The target and the working folder are the installed program's.
{ strings "$link"; strings -el "$link"; } | grep -qi 'Programs\\Corvane\\corvane.exe' || fail "the shortcut does not start corvane.exe"
{ strings "$link"; strings -el "$link"; } | grep -qix '.*Programs\\Corvane' || fail "the shortcut has no working folder"
echo "installed: the Start menu shortcut"
entry=$(win reg query "$uninstall_key")
for value in 'DisplayName REG_SZ Corvane$' 'DisplayVersion REG_SZ 0.9$' 'Publisher REG_SZ Corvane developers$' \
    'DisplayIcon REG_SZ .*\\Programs\\Corvane\\corvane.exe,0$' 'InstallLocation REG_SZ .*\\Programs\\Corvane$' \
    'UninstallString REG_SZ ".*\\Programs\\Corvane\\uninstall.exe"$' \
    'QuietUninstallString REG_SZ ".*\\Programs\\Corvane\\uninstall.exe" /S$' 'EstimatedSize REG_DWORD 0x[0-9a-f]*$'; do
  printf '%s\n' "$entry" | sed 's/^ *//; s/  */ /g' | grep -q "^$value" || fail "the uninstall entry lacks $value: $entry"
done
size=$(printf '%s\n' "$entry" | sed -n 's/.*EstimatedSize *REG_DWORD *0x\([0-9a-f]*\)/\1/p')
[ $((0x$size)) -ge $(( $(du -sk "$portable" | cut -f1) * 9 / 10 )) ] || fail "the estimated size $((0x$size)) KB is too small"
echo "installed: the uninstall entry ($((0x$size)) KB)"
for program in "$setup" "$programs/uninstall.exe"; do
  sh "$here/check_pe.sh" "$program" "Windows GUI" - any 'level="asInvoker"' >/dev/null || \
    fail "$(sh "$here/check_pe.sh" "$program" "Windows GUI" - any 'level="asInvoker"')"
done
echo "installer and uninstaller: Corvane's icon and version information, no elevation asked for"

# --- the installed program, and an install while it runs -----------------------------
win reg add "$profiles_key" /v Prf1sname /t REG_SZ /d dm_kept /f >/dev/null
before=$(stat -c %Z "$programs/corvane.exe")
sleep 1
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" sh -c '
  wine=$1 server=$2 program=$3 setup=$4 title=$5 log=$6
  "$wine" "$program" & corvane=$!
  window=$(timeout 30 xdotool search --sync --name "^$title\$" | head -n 1)
  [ -n "$window" ] || { echo "no window titled \"$title\" appeared"; exit 1; }
  echo "window: $(xdotool getwindowgeometry "$window" | sed -n "s/.*Geometry: //p")" >"$log"
  "$wine" "$setup" /S & installer=$!
  sleep 5
  kill -0 $installer 2>/dev/null || { echo "the installer did not wait for Corvane to close"; exit 1; }
  stat -c %Z "$program" >>"$log"
  xdotool windowfocus --sync "$window" && xdotool key --clearmodifiers alt+f && sleep 0.5 && xdotool key e
  wait $corvane || { echo "Corvane ended badly"; exit 1; }
  wait $installer || { echo "the installer ended with $? once Corvane was closed"; exit 1; }
  "$server" -w
' install "$wine" "$server" "$programs/corvane.exe" "$setup" "$title" "$WINEPREFIX.window" || fail "$(cat "$WINEPREFIX.window" 2>/dev/null)"
echo "the installed program showed its $(head -n 1 "$WINEPREFIX.window")"
[ "$(sed -n 2p "$WINEPREFIX.window")" = "$before" ] || fail "files were replaced while Corvane ran"
[ "$(stat -c %Z "$programs/corvane.exe")" != "$before" ] || fail "corvane.exe was not replaced once Corvane was closed"
echo "installed over a running Corvane: it waited, then replaced the program"
win reg query "$profiles_key" /v Prf1sname | grep -q dm_kept || fail "the profile was lost by installing again"

# --- uninstalling ----------------------------------------------------------------
echo "my own" >"$programs/notes.txt"
mkdir -p "$staging/maps" && echo "a staged map" >"$staging/maps/keep.bsp"
"$wine" "$programs/uninstall.exe" /S
"$server" -w
[ "$(ls -A "$programs")" = notes.txt ] || fail "the uninstall left or took: $(ls -A "$programs" | tr '\n' ' ')"
[ ! -e "$link" ] || fail "the Start menu shortcut is still there"
if win reg query "$uninstall_key" | grep -q REG_; then fail "the uninstall entry is still there"; fi
win reg query "$profiles_key" /v Prf1sname | grep -q dm_kept || fail "the uninstall removed the profile"
[ -f "$staging/maps/keep.bsp" ] || fail "the uninstall touched the staging root"
echo "uninstalled: exactly what was installed; the profile, the staging root and the user's file stay"

# --- into a folder of the user's choice ---------------------------------------------
rm "$programs/notes.txt"
"$wine" "$setup" /S "/D=$local_app_data\\Apps\\Corvane" || fail "the install with /D= ended with $?"
"$server" -w
chosen=$(unix_path "$local_app_data\\Apps\\Corvane")
[ -f "$chosen/corvane.exe" ] || fail "/D= did not choose the folder"
win reg query "$uninstall_key" /v InstallLocation | grep -qF 'Apps\Corvane' || fail "the entry names another folder"
"$wine" "$chosen/uninstall.exe" /S
"$server" -w
[ ! -e "$chosen" ] || fail "the emptied program folder is still there: $(ls -A "$chosen" | tr '\n' ' ')"
echo "installed with /D= and uninstalled: the folder is gone"
rm -rf "$HOME"
echo "PASS"
