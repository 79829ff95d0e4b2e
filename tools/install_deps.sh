#!/usr/bin/env bash
# Installs the Debian packages that are missing, through sudo when not root.
# Usage: tools/install_deps.sh [build|test|fuzz|tools|web]
# web: emscripten and what tools/build_web.sh needs to fetch and build
# Debian's zlib and libpng sources, Chromium and the pinned npm packages
# that drive it (into tools/web_test/node_modules).
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
web_packages=(emscripten node-acorn nodejs dpkg-dev cmake make chromium gzip)
# npm comes with some builds of nodejs; Debian packages it apart.
command -v npm >/dev/null || web_packages+=(npm)
packages=("${build_packages[@]}")
case "${1:-build}" in
  test) packages+=("${test_packages[@]}") ;;
  fuzz) packages+=("${fuzz_packages[@]}") ;;
  web) packages=("${web_packages[@]}") ;;
  tools) packages+=("${test_packages[@]}" "${fuzz_packages[@]}" "${tool_packages[@]}") ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ "${1:-build}" = web ]; then
  # The browser tests' driver, at the versions package-lock.json pins.
  web_test=$(cd "$(dirname "$0")/web_test" && pwd)
  [ -d "$web_test/node_modules/puppeteer-core" ] || (cd "$web_test" && npm ci --no-audit --no-fund --ignore-scripts)
fi
