#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need; only those that are missing.
set -euo pipefail
packages=(cmake g++ make mingw-w64 wine wine64 xvfb xdotool x11-apps x11-xkb-utils imagemagick
          googletest libgtest-dev libbenchmark-dev fonts-liberation pandoc cups printer-driver-cups-pdf
          poppler-utils nsis zip xkb-data x11proto-dev inotify-tools openssh-server sshfs fuse3 faketime ccache
          tigervnc-standalone-server)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -q
$sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
