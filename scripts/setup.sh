#!/usr/bin/env bash
# Installs the Debian packages Varnok needs to build and play, and with
# --test also what the tests need.
# Only packages that are missing are installed; safe to run again.
set -euo pipefail

# What building and playing need.
packages=(
  build-essential cmake pkg-config ninja-build
  libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev
  libcairo2-dev libvorbis-dev libogg-dev libjpeg62-turbo-dev libfreetype-dev
  fonts-dejavu-core fonts-dejavu-extra
  libcurl4-openssl-dev libzstd-dev
  libboost-dev libsqlite3-dev libpq-dev libssl-dev libseccomp-dev
  xdg-utils
  dpkg-dev file
)

# What only the tests and benchmarks use: installed by the test command
# (setup.sh --test), so playing stays a light install.
test_packages=(
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-apps imagemagick libx11-dev libxfixes-dev
  libgl1-mesa-dri libglx-mesa0
  desktop-file-utils python3
  chromium nginx
  postgresql
  lintian appstream systemd man-db devscripts debhelper
)

if [ "${1:-}" = "--test" ]; then
  packages+=("${test_packages[@]}")
elif [ -n "${1:-}" ]; then
  echo "usage: $0 [--test]" >&2
  exit 2
fi

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
