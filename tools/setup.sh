#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent; run as root
# (or through sudo) on a fresh Debian 12 machine.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libgsl-dev
  nlohmann-json3-dev libcli11-dev
  libpng-dev libcairo2-dev
  libcfitsio-dev wcslib-dev
  qt6-base-dev fonts-liberation
  netpbm
  file dpkg-dev desktop-file-utils appstream shared-mime-info libglib2.0-bin groff-base
  xvfb xauth xdotool x11-utils imagemagick
  lintian help2man locales python3-sep python3-numpy
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
