#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from the repository,
# whose data/ holds the pictures and sounds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install_deps.sh" build
"$top/tools/build.sh"
cd "$top"
exec "${QUADRUNE_BUILD_DIR:-$top/build}/quadrune" "$@"
