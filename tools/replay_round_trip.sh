#!/usr/bin/env bash
# Round trip of random bot games across two differently compiled builds:
# build/ (RelWithDebInfo) writes them, build-asan/ (ASan and UBSan) plays each
# again with quadrune --verify-replay. Any mismatch fails.
# Usage: tools/replay_round_trip.sh [games, 10000]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
games=${1:-10000}
"$top/tools/build.sh" >/dev/null
QUADRUNE_BUILD_DIR="$top/build-asan" "$top/tools/build.sh" -DQUADRUNE_SANITIZE=ON >/dev/null
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
start=$(date +%s.%N)
"$top/build/bench/replay_bench" --write-bot-games "$dir" "$games"
written=$(date +%s.%N)
export ASAN_OPTIONS=detect_leaks=0
# Two verifiers at a time, one per core.
find "$dir" -name '*.qrp' -print0 | xargs -0 -n 50 -P "$(nproc)" sh -c \
  'for f; do "$0" --verify-replay "$f" >/dev/null || echo "MISMATCH $f"; done' "$top/build-asan/quadrune" >"$dir/verdicts"
done=$(date +%s.%N)
mismatches=$(grep -c MISMATCH "$dir/verdicts" || true)
bytes=$(du -cb "$dir"/*.qrp | tail -1 | cut -f1)
echo "$games bot games: written in $(echo "$written - $start" | bc) s, verified by the sanitizer build in $(echo "$done - $written" | bc) s, $bytes bytes, $mismatches mismatches"
[ "$mismatches" -eq 0 ]
