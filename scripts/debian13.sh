#!/bin/sh
# Runs a command as root inside a Debian 13 build root, made from Debian's
# archive with debootstrap as Debian's own package builders make theirs:
#   sh scripts/debian13.sh COMMAND [ARGUMENT...]
# The command starts in the repository, which lies at the same path inside as
# outside; so does $CORVANE_WINDOWS_SDK when it is set. CORVANE_BUILD is
# passed on. The root is kept in $CORVANE_BUILD_ROOT (by default
# ~/.cache/corvane/debian13-root) and carries a stamp of the recipe that made
# it; another stamp, or none, makes it anew. However the command ends, every
# process left inside is ended and every mount made here is undone.
set -eu
cd "$(dirname "$0")/.."
repo=$PWD
root=${CORVANE_BUILD_ROOT:-${HOME:-/root}/.cache/corvane/debian13-root}
suite=trixie

say() { echo "debian13.sh: $*"; }
fail() { say "$*" >&2; exit 1; }

[ "$#" -gt 0 ] || fail "usage: sh scripts/debian13.sh COMMAND [ARGUMENT...]"
if [ "$(id -u)" -ne 0 ]; then
  say "making and entering a build root needs root." >&2
  echo "Run as root:  sh $repo/scripts/debian13.sh $*" >&2
  exit 1
fi

# The mirror this machine already uses, for the root's own apt sources.
apt_uri() {
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && awk '/^URIs:/ { print $2 }' "$f"
  done
  grep -hE '^deb +[a-z]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | awk '{ print $2 }'
}
mirror=$(apt_uri | grep -v security | head -n 1)
security=$(apt_uri | grep security | head -n 1)
[ -n "$mirror" ] || fail "no Debian mirror found in /etc/apt"

# One command in the root at a time: each ends whatever is left inside it.
mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9

mounted_inside() { awk -v r="$1/" 'index($2, r) == 1 { print $2 }' /proc/self/mounts; }

stamp() { { cat "$repo/scripts/debian13.sh"; echo "$mirror $security"; } | sha256sum | cut -d' ' -f1; }
want=$(stamp)
if [ "$(cat "$root/.corvane-recipe" 2>/dev/null)" != "$want" ]; then
  # Never delete through a mount: that would reach into the repository.
  for dir in "$root" "$root.new"; do
    [ -z "$(mounted_inside "$dir")" ] || fail "$dir still has mounts inside: $(mounted_inside "$dir" | tr '\n' ' ')"
  done
  command -v debootstrap >/dev/null 2>&1 || {
    say "installing debootstrap"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
  }
  [ -e "$root" ] && say "the build root in $root was made by another recipe: making it anew"
  say "making a Debian 13 build root in $root from $mirror"
  rm -rf --one-file-system "$root.new"
  mkdir -p "$(dirname "$root")"
  debootstrap --variant=minbase "$suite" "$root.new" "$mirror" >"$root.new.log" 2>&1 ||
    { tail -20 "$root.new.log" >&2; fail "debootstrap failed"; }
  {
    echo "deb $mirror $suite main"
    echo "deb $mirror $suite-updates main"
    [ -z "$security" ] || echo "deb $security $suite-security main"
  } >"$root.new/etc/apt/sources.list"
  echo "$want" >"$root.new/.corvane-recipe"
  rm -rf --one-file-system "$root" "$root.new.log"
  mv "$root.new" "$root"
fi

mounts=""
bind() { mkdir -p "$2" && mount --bind "$1" "$2" && mounts="$2 $mounts"; }
cleanup() {
  # Programs that outlive the command (wineserver, a display server) would
  # keep the mounts busy.
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && kill -9 "${proc#/proc/}" 2>/dev/null
  done
  for m in $mounts; do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || say "could not unmount $m" >&2
  done
  mounts=""
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

mount -t proc proc "$root/proc" && mounts="$root/proc $mounts"
bind /dev "$root/dev"
bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm" && mounts="$root/dev/shm $mounts"
bind "$repo" "$root$repo"
sdk=${CORVANE_WINDOWS_SDK:-}
if [ -n "$sdk" ]; then
  mkdir -p "$sdk"
  bind "$sdk" "$root$sdk"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

status=0
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 TERM="${TERM:-dumb}" \
  CORVANE_WINDOWS_SDK="$sdk" CORVANE_BUILD="${CORVANE_BUILD:-}" \
  /bin/sh -c 'cd "$1" && shift && exec "$@"' sh "$repo" "$@" || status=$?
exit "$status"
