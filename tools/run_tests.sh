#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite in
# parallel. Extra arguments go to ctest, e.g. -L unit. QUADRUNE_SANITIZE=1 builds with ASan and UBSan into build-asan/.
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

# Tests that open windows start virtual X servers of their own, so the
# suite runs in parallel and needs no display here.
export LIBGL_ALWAYS_SOFTWARE=1
cd "$build"
ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@"
