#!/usr/bin/env bash
# Remakes the reference pictures and sounds under tests/reference on purpose,
# after a change that is meant to alter what the player sees or hears, and
# lists what changed. Look at every remade file before committing it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install_deps.sh" test
"$top/tools/build.sh"
export LIBGL_ALWAYS_SOFTWARE=1 QUADRUNE_REMAKE_REFERENCES=1
(cd "${QUADRUNE_BUILD_DIR:-$top/build}" && ctest -j "$(nproc)" --output-on-failure -R '^(Screens|Sound)\.')
git -C "$top" status --short -- tests/reference
