#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang, ASan and UBSan into
# build-fuzz/ and runs each from its committed corpus for a bounded time, two
# at a time. Fails on any finding; the input that found it is kept in
# build-fuzz/findings/ (add it to the corpus once the fault is fixed).
# QUADRUNE_FUZZ_SECONDS sets each run's length (25).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUADRUNE_FUZZ_BUILD_DIR:-$top/build-fuzz}
seconds=${QUADRUNE_FUZZ_SECONDS:-25}
"$top/tools/install_deps.sh" fuzz
CC=clang-14 CXX=clang++-14 cmake -S "$top/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2

findings=$build/findings
runs=$(mktemp -d)
trap 'rm -rf "$runs"' EXIT
mkdir -p "$findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1} UBSAN_OPTIONS=print_stacktrace=1

# One harness in a directory of its own (the stored-files harness writes
# there); new inputs go to a scratch folder, so the corpus stays as committed.
run_one() {
  local name=$1 work=$runs/$1
  mkdir -p "$work/new"
  if (cd "$work" && "$build/${name}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=12000 -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$findings/$name-" \
        new "$top/fuzz/corpus/$name" >log 2>&1); then
    printf '%-13s %6s s %10s executions, %s\n' "$name" "$seconds" \
      "$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")" \
      "$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*/[0-9a-zA-Z]*' "$work/log" | tail -1)"
  else
    echo "$name: FINDING" >&2
    tail -n 60 "$work/log" >&2
    touch "$runs/failed"
  fi
}

names=(png stored_files answer upload replay)
for name in "${names[@]}"; do
  run_one "$name" &
  [ "$(jobs -rp | wc -l)" -lt 2 ] || wait -n || true
done
wait
[ ! -e "$runs/failed" ] || { echo "fuzzing found faults; inputs in $findings" >&2; exit 1; }
echo "no findings"
