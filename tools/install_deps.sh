#!/usr/bin/env bash
# Installs the Debian packages that are missing, through sudo when not root.
# Usage: tools/install_deps.sh [build|test]
set -euo pipefail
build_packages=(cmake g++ make pkg-config libsdl1.2-compat-dev libsdl-net1.2-dev libpng-dev
  libgl-dev libglu1-mesa-dev freeglut3-dev libsndfile1-dev libx11-dev libgtest-dev libbenchmark-dev
  libcpp-httplib-dev libsqlite3-dev)
test_packages=(xvfb xauth xdotool libgl1-mesa-dri x11-utils imagemagick sox
  python3-pil python3-numpy lame vorbis-tools fonts-dejavu-core strace
  chromium)
packages=("${build_packages[@]}")
[ "${1:-build}" = "test" ] && packages+=("${test_packages[@]}")

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
