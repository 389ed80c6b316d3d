# Sourced by the install scripts: as_root runs a command as root, directly or
# through sudo, and otherwise says what to run as root and stops.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "$(basename "$0"): this needs root, and sudo is not installed." >&2
    echo "Run as root:  $*" >&2
    exit 1
  fi
}
