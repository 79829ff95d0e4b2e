#!/usr/bin/env bash
# Installs the Debian packages that are missing, through sudo when not root.
# Usage: tools/install_deps.sh [build|test|fuzz|tools]
# fuzz: clang and its libFuzzer runtime for tools/run_fuzzers.sh.
# tools: what the asset generator, the screenshots and the measurements need.
set -euo pipefail
build_packages=(cmake g++ make pkg-config libsdl1.2-compat-dev libsdl-net1.2-dev libpng-dev
  libgl-dev libglu1-mesa-dev freeglut3-dev libsndfile1-dev zlib1g-dev libx11-dev libxtst-dev libxdamage-dev libgtest-dev
  libbenchmark-dev libmicrohttpd-dev libsqlite3-dev libpq-dev)
test_packages=(xvfb xauth libgl1-mesa-dri chromium dpkg-dev file lintian debootstrap systemd desktop-file-utils appstream shared-mime-info
  postgresql python3)
fuzz_packages=(clang-14 libclang-rt-14-dev)
tool_packages=(imagemagick sox libsox-fmt-mp3 sndfile-programs xdotool x11-utils strace python3-pil python3-numpy lame vorbis-tools fonts-dejavu-core)
packages=("${build_packages[@]}")
case "${1:-build}" in
  test) packages+=("${test_packages[@]}") ;;
  fuzz) packages+=("${fuzz_packages[@]}") ;;
  tools) packages+=("${test_packages[@]}" "${fuzz_packages[@]}" "${tool_packages[@]}") ;;
esac

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
