#!/usr/bin/env bash
# Installs the Debian packages Varnok needs to build, play and test.
# Only packages that are missing are installed; safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build
  clang libclang-rt-14-dev
  libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev
  libcairo2-dev libvorbis-dev libogg-dev
  libcurl4-openssl-dev libcpp-httplib-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  fonts-dejavu-extra libjpeg62-turbo-dev libfreetype-dev
  xvfb xdotool x11-apps imagemagick libx11-dev libxfixes-dev
  desktop-file-utils
  xdg-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
