# shellcheck shell=bash
# Debian package helpers shared by the setup scripts (sourced by velmora.sh and
# tools/windows/build.sh). They need root or sudo only when they have something to do.

# as_root COMMAND...: runs the command as root, through sudo when we are not root.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# apt_install PACKAGE...: installs those of the packages that are not installed yet.
apt_install() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# enable_source_entries: apt-get source needs deb-src entries; adds them beside the deb entries
# when there are none.
enable_source_entries() {
  if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 0
  fi
  local main=/etc/apt/sources.list.d/debian.sources
  if [ -f "$main" ]; then
    sed 's/^Types: deb$/Types: deb-src/' "$main" |
      as_root tee /etc/apt/sources.list.d/velmora-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
      as_root tee /etc/apt/sources.list.d/velmora-src.list >/dev/null
  fi
  as_root apt-get update -qq
}
