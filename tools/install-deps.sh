#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing VORKA need.
# Quick and silent when everything is already there; runs apt-get only for what is missing.
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config
  qt6-base-dev libopenmpt-dev libsdl2-dev libpulse-dev libsndfile1-dev zlib1g-dev libsqlite3-dev libarchive-dev libebur128-dev
  libgtest-dev libbenchmark-dev openmpt123
  console-setup-linux
  fonts-dejavu-core
  xvfb xauth xdotool x11-utils xclip imagemagick python3 libxtst-dev
  dbus libglib2.0-bin desktop-file-utils appstream dpkg-dev file lintian man-db at-spi2-core python3-pyatspi
  pulseaudio pulseaudio-utils
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
