#!/usr/bin/env bash
# Times the real game on a virtual display of its own with Mesa's software
# renderer (llvmpipe) and writes the figures into the "Measurements" section
# of README.md (between its markers; a note after the end marker stays); with
# --print it only prints them.
#  - start-up: from the launch until the window shows the menu, its pixels
#    polled from the X server every 5 ms (tools/first_frame.py), MEASURE_STARTS
#    times (5); in turn with the same for the empty window of
#    tools/empty_window.cpp, the floor that any SDL/OpenGL program pays;
#  - peak resident memory at the first frame: VmHWM of both at that moment,
#    and the processor time all their threads had used by then;
#  - frame period in a game: the main thread's sleep calls, timestamped by
#    strace; one sleep per pass of the main loop, so the gaps between them
#    are the frame periods;
#  - CPU: utime+stime of all the game's threads from /proc/<pid>/stat over a
#    fixed interval, as a share of one core;
#  - peak resident memory after playing: VmHWM before quitting.
# Sound goes to SDL's dummy driver (no sound card here); it still mixes.
# MEASURE_SECONDS sets each interval (10); KEEP_WORK=1 keeps the strace log.
# QUADRUNE_BINARY and QUADRUNE_DATA_DIR time another build of the game and
# its data (an older one, say) against the same floor.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUADRUNE_BUILD_DIR:-$top/build}
binary=${QUADRUNE_BINARY:-$build/quadrune}
floor=$build/quadrune-empty-window
py=/usr/bin/python3
seconds=${MEASURE_SECONDS:-10}
starts=${MEASURE_STARTS:-5}
for program in "$binary" "$floor"; do
  [ -x "$program" ] || { echo "build the game first: $program is missing" >&2; exit 1; }
done

. "$top/tools/virtual_display.sh"
export GALLIUM_DRIVER=llvmpipe
game_name="Quadrune 0.145a - 04.02.2006"
first_frame() { (cd "$work" && "$py" "$top/tools/first_frame.py" "$@"); }

now() { date +%s.%N; }
key() { xdotool keydown "$1"; sleep 0.12; xdotool keyup "$1"; sleep 0.1; }

# Start-up, the floor and the game in turn: "ms window pid peak_kB cpu_ms" each.
for _ in $(seq "$starts"); do
  echo "floor $(first_frame "Quadrune empty window" "$floor")"
  echo "game $(first_frame "$game_name" "$binary")"
done >"$work/starts.txt"

# The game that is played; it is no child of this shell.
read -r _ window game_pid _ < <(first_frame --keep "$game_name" "$binary") || true
[ -n "${game_pid:-}" ] || { echo "the menu never showed" >&2; exit 1; }
xdotool windowfocus "$window"
xdotool mousemove --window "$window" 620 470

cpu_ticks() { awk '{print $14 + $15}' "/proc/$game_pid/stat"; }
# Share of one core the game used over the next $seconds seconds, while $1 runs.
cpu_share() {
  local before after t0 t1
  before=$(cpu_ticks); t0=$(now)
  "$@"
  after=$(cpu_ticks); t1=$(now)
  "$py" -c "import os,sys; print('%.1f' % (100.0 * ($after - $before) / os.sysconf('SC_CLK_TCK') / ($t1 - $t0)))"
}
idle() { sleep "$seconds"; }
# Moves the cursor back and forth now and then, as a player would.
play() {
  local end=$(($(date +%s) + seconds))
  while [ "$(date +%s)" -lt "$end" ]; do key Right; sleep 0.4; key Left; sleep 0.4; done
}

sleep 1
menu_cpu=$(cpu_share idle)

xdotool mousemove --window "$window" 129 102 mousedown 1
sleep 0.12
xdotool mouseup 1 mousemove --window "$window" 620 470
sleep 3
game_cpu=$(cpu_share play)

# Only the main thread (tid = pid) runs the loop; -e picks the sleeps out.
timeout $((seconds + 5)) strace -q -ttt -e trace=nanosleep,clock_nanosleep -p "$game_pid" -o "$work/sleeps.txt" &
strace_pid=$!
sleep "$seconds"
kill -INT "$strace_pid" 2>/dev/null || true
wait "$strace_pid" 2>/dev/null || true
peak_kb=$(awk '/^VmHWM/ {print $2}' "/proc/$game_pid/status")

key Escape
sleep 0.5
key n
sleep 0.5
key Escape
sleep 0.3
key Escape
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null || game_pid=""

table=$("$py" - "$work/sleeps.txt" "$work/starts.txt" "$menu_cpu" "$game_cpu" "$peak_kb" "$seconds" <<'EOF'
import statistics, sys
sleeps, starts, menu_cpu, game_cpu, peak_kb, seconds = sys.argv[1:]
runs = {"floor": [], "game": []}
for line in open(starts):
    words = line.split()
    if len(words) == 6:
        runs[words[0]].append((float(words[1]), int(words[4]) / 1024, float(words[5])))
for name, got in runs.items():
    if not got:
        sys.exit("the %s never showed its first frame" % name)
def median_range(name, column):
    values = [run[column] for run in runs[name]]
    return "%.0f ms (%.0f–%.0f)" % (statistics.median(values), min(values), max(values))
def memory(name):
    return "%.1f MiB" % statistics.median(run[1] for run in runs[name])
times = [float(line.split()[0]) for line in open(sleeps) if "nanosleep(" in line]
periods = [1000 * (b - a) for a, b in zip(times, times[1:])]
median = statistics.median(periods)
worst = max(periods, key=lambda p: abs(p - 50))
deviations = sorted(abs(p - 50) for p in periods)
print("| Figure | Game | Empty window |")
print("|---|---|---|")
print("| Start to first frame, median of %d (fastest–slowest) | %s | %s |"
      % (len(runs["game"]), median_range("game", 0), median_range("floor", 0)))
print("| Processor time to the first frame, all threads, median (least–most) | %s | %s |"
      % (median_range("game", 2), median_range("floor", 2)))
print("| Peak resident memory at the first frame (VmHWM), median | %s | %s |" % (memory("game"), memory("floor")))
print("| Frame period in a game, median (%d frames) | %.1f ms | |" % (len(periods), median))
print("| Frame period, worst deviation from 50 ms | %+.1f ms | |" % (worst - 50))
print("| Frames within this of 50 ms, 95 %% of them | %.1f ms | |" % deviations[int(0.95 * (len(deviations) - 1))])
print("| CPU, idle in the menu (%s s) | %s %% of one core | |" % (seconds, menu_cpu))
print("| CPU, playing (%s s) | %s %% of one core | |" % (seconds, game_cpu))
print("| Peak resident memory after playing (VmHWM) | %.1f MiB | |" % (int(peak_kb) / 1024))
EOF
)

load=$(cut -d' ' -f1 /proc/loadavg)
cpu_model=$(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)
section=$(cat <<EOF
## Measurements

Made by \`tools/measure.sh\` on $(date -u +%Y-%m-%d), $(nproc) cores ($cpu_model), load average $load
when it ended, Xvfb with Mesa's software renderer (llvmpipe), SDL's dummy sound driver. Start-up runs
from the launch until the window's pixels, polled from the X server every 5 ms, show the menu. The empty
window (\`tools/empty_window.cpp\`: the same SDL 1.2 window and GL context, cleared to red) is timed the
same way, in turn with the game, as the floor under it. Processor time is what all threads of each had
used by then (\`/proc/<pid>/task/*/schedstat\`), which other work on the machine moves less than the
clock. The frame period is the gap between the main thread's sleep calls, as strace timestamps them; the
loop sleeps once a pass, so a late frame is other work on the machine or a slow frame, never a spin. CPU
is the whole process (llvmpipe's threads included) from \`/proc/<pid>/stat\`; memory is VmHWM from
\`/proc/<pid>/status\`.

<!-- measurements:begin -->
$table
<!-- measurements:end -->
EOF
)

if [ "${1:-}" = "--print" ]; then echo "$section"; exit 0; fi
readme=$top/README.md
if grep -q '^## Measurements$' "$readme"; then
  # Replace the section up to its end marker; a note after it stays.
  "$py" - "$readme" "$section" <<'EOF'
import re, sys
path, section = sys.argv[1], sys.argv[2]
text = open(path).read()
text = re.sub(r"## Measurements\n.*?<!-- measurements:end -->\n", lambda m: section + "\n", text, count=1, flags=re.S)
open(path, "w").write(text)
EOF
else
  printf '\n%s\n' "$section" >>"$readme"
fi
echo "$section"
