#!/usr/bin/env bash
# Configures and builds into build/ (or $QUADRUNE_BUILD_DIR); extra
# arguments go to CMake, e.g. -DQUADRUNE_SANITIZE=ON.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUADRUNE_BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
