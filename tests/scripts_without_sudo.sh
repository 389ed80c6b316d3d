#!/bin/sh
# The install and build scripts on a machine without sudo, run by an ordinary user: they
# say what is missing and what to run as root, and fail, instead of ending
# with "sudo: not found".   scripts_without_sudo.sh <source dir>
set -u
src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bin=$tmp/bin
mkdir -p "$bin"
for tool in sh grep dirname basename cat cut; do
  ln -s "$(command -v "$tool")" "$bin/$tool"
done
printf '#!/bin/sh\necho 1000\n' >"$bin/id"
printf '#!/bin/sh\necho "unknown ok not-installed"\n' >"$bin/dpkg-query"
chmod +x "$bin/id" "$bin/dpkg-query"
failures=0
# windows.sh needs root for the build root on Debian 12, for packages on 13.
for script in deps.sh install.sh windows.sh "debian13.sh true"; do
  out=$(PATH=$bin sh "$src/scripts/"$script 2>&1)
  code=$?
  echo "$script -> $code: $out"
  [ "$code" -ne 0 ] || { echo "FAIL: $script succeeded"; failures=$((failures + 1)); }
  echo "$out" | grep -q "not found" && { echo "FAIL: $script reached a missing command"; failures=$((failures + 1)); }
  echo "$out" | grep -q "Run as root:" || { echo "FAIL: $script does not say what to run as root"; failures=$((failures + 1)); }
done
echo "$(PATH=$bin sh "$src/scripts/deps.sh" 2>&1)" | grep -q "missing packages: cmake" \
  || { echo "FAIL: deps.sh does not name the missing packages"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo "all script checks passed"
[ "$failures" -eq 0 ]
