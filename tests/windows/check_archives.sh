#!/bin/sh
# The Windows zip.exe and the Windows Create, their archives read back on the
# Linux side with Info-ZIP's unzip, entry by entry and byte by byte.
#   check_archives.sh wine-run.sh zip.exe tst_windows.exe
set -eu
wine_run=$1
zip=$2
tests=$3
export LC_ALL=C.UTF-8
work=$(mktemp -d "${TMPDIR:-/tmp}/check_archives.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; touch "$work/failed"; }

# Every entry of $1 is listed in $2 ("entry<TAB>file") and holds that file's bytes.
check() {
  archive=$1
  list=$2
  unzip -tq "$archive" >/dev/null || fail "unzip -t finds $archive damaged"
  unzip -Z1 "$archive" | sort >"$work/found"
  cut -f1 "$list" | sort >"$work/wanted"
  cmp -s "$work/found" "$work/wanted" || { fail "$archive holds:"; cat "$work/found"; }
  while IFS="$(printf '\t')" read -r entry file; do
    unzip -p "$archive" "$entry" | cmp -s - "$file" || fail "$archive: $entry does not hold $file"
  done <"$list"
}

map=ctf_Österreich
# zip.exe: names beyond ASCII and names with blanks, on its command line and on disk.
mkdir -p "$work/zip/maps" "$work/zip/out dir"
cd "$work/zip"
head -c 300000 /dev/urandom >"maps/$map.bsp"
printf 'A map for testing.\r\n' >"read me.txt"
sh "$wine_run" "$zip" -q -9 "out dir/$map.pk3" "maps/$map.bsp" "read me.txt" || fail "zip.exe ended badly"
printf 'maps/%s.bsp\tmaps/%s.bsp\nread me.txt\tread me.txt\n' "$map" "$map" >"$work/list"
check "out dir/$map.pk3" "$work/list"
echo "zip.exe: a new archive with Unicode names and blanks"

# Replacing the archive: the changed entry is new, the other kept, nothing left over.
printf 'A map for testing, second edition.\r\n' >"read me.txt"
sh "$wine_run" "$zip" -q -9 "out dir/$map.pk3" "read me.txt" || fail "zip.exe ended badly updating"
check "out dir/$map.pk3" "$work/list"
[ "$(ls -A "out dir")" = "$map.pk3" ] || fail "left beside the archive: $(ls -A "out dir")"
echo "zip.exe: an existing archive replaced"

# Create end to end, with the real zip.exe beside the program.
mkdir -p "$work/create"
cd "$work"
CORVANE_QTEST=1 CORVANE_ARCHIVE_CHECK="$work/create" sh "$wine_run" "$tests" createWithTheRealArchiver \
  || fail "Create did not succeed"
set -- "$work/create/out/"*.pk3
[ -f "$1" ] || fail "Create made no package"
(cd "$work/create" && check "$1" entries.txt)
echo "Create: $(basename "$1") checked"

[ ! -e "$work/failed" ]
