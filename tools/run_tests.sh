#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite. Starts a
# virtual X display when there is none. Extra arguments go to ctest, e.g.
# -L unit. QUADRUNE_SANITIZE=1 builds with ASan and UBSan into build-asan/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install_deps.sh" test

cmake_args=()
if [ "${QUADRUNE_SANITIZE:-0}" = "1" ]; then
  export QUADRUNE_BUILD_DIR=${QUADRUNE_BUILD_DIR:-$top/build-asan}
  cmake_args+=(-DQUADRUNE_SANITIZE=ON)
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
fi
build=${QUADRUNE_BUILD_DIR:-$top/build}
"$top/tools/build.sh" "${cmake_args[@]}"

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    break
  done
fi
export LIBGL_ALWAYS_SOFTWARE=1
cd "$build"
ctest --output-on-failure --timeout 300 "$@"
