#!/usr/bin/env bash
# Times the real game on a virtual display of its own with Mesa's software
# renderer (llvmpipe) and writes the figures into the "Measurements" section
# of README.md (between its markers); with --print it only prints them.
#  - start-up: from the launch until the window shows the menu, its pixels
#    polled from the X server every 10 ms;
#  - frame period in a game: the main thread's sleep calls, timestamped by
#    strace; one sleep per pass of the main loop, so the gaps between them
#    are the frame periods;
#  - CPU: utime+stime of all the game's threads from /proc/<pid>/stat over a
#    fixed interval, as a share of one core;
#  - peak resident memory: VmHWM from /proc/<pid>/status before quitting.
# Sound goes to SDL's dummy driver (no sound card here); it still mixes.
# MEASURE_SECONDS sets each interval (10); KEEP_WORK=1 keeps the strace log.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
binary=${QUADRUNE_BUILD_DIR:-$top/build}/quadrune
py=/usr/bin/python3
seconds=${MEASURE_SECONDS:-10}
[ -x "$binary" ] || { echo "build the game first: $binary is missing" >&2; exit 1; }

. "$top/tools/virtual_display.sh"
export GALLIUM_DRIVER=llvmpipe

now() { date +%s.%N; }
key() { xdotool keydown "$1"; sleep 0.12; xdotool keyup "$1"; sleep 0.1; }

# Polls the window's pixels straight from the X server every 10 ms until the
# play item's corner is red on the purple backdrop; prints when (epoch seconds).
wait_for_menu() {
  "$py" - <<'EOF'
import ctypes, subprocess, sys, time
x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 2 + [ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
# A window not yet mapped answers with an X error; ignore it and try again.
handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
x11.XSetErrorHandler(handler)
display = x11.XOpenDisplay(None)
deadline = time.time() + 60
window = 0
while time.time() < deadline:
    if not window:
        found = subprocess.run(["xdotool", "search", "--name", r"^Quadrune 0\.145a - 04\.02\.2006$"],
                               capture_output=True, text=True).stdout.split()
        window = int(found[0]) if found else 0
    if window:
        image = x11.XGetImage(display, window, 60, 80, 120, 40, 0xFFFFFFFF, 2)
        if image:
            pixels = [x11.XGetPixel(image, x, y) for y in range(0, 40, 4) for x in range(0, 120, 4)]
            red = sum((p >> 16) & 255 for p in pixels) / len(pixels)
            blue = sum(p & 255 for p in pixels) / len(pixels)
            if red > 100 and red > blue + 30:
                print("%.3f %d" % (time.time(), window))
                sys.exit(0)
    time.sleep(0.01)
sys.exit(1)
EOF
}

start=$(now)
(cd "$work" && exec "$binary" >stdout.txt 2>stderr.txt) &
game_pid=$!
read -r menu_at window < <(wait_for_menu) || true
[ -n "${menu_at:-}" ] || { echo "the menu never showed" >&2; exit 1; }
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
wait "$game_pid" 2>/dev/null || true
game_pid=""

table=$("$py" - "$work/sleeps.txt" "$start" "$menu_at" "$menu_cpu" "$game_cpu" "$peak_kb" "$seconds" <<'EOF'
import statistics, sys
sleeps, start, menu_at, menu_cpu, game_cpu, peak_kb, seconds = sys.argv[1:]
times = [float(line.split()[0]) for line in open(sleeps) if "nanosleep(" in line]
periods = [1000 * (b - a) for a, b in zip(times, times[1:])]
median = statistics.median(periods)
worst = max(periods, key=lambda p: abs(p - 50))
print("| Figure | Value |")
print("|---|---|")
print("| Start to first menu frame | %.0f ms |" % (1000 * (float(menu_at) - float(start))))
print("| Frame period in a game, median (%d frames) | %.1f ms |" % (len(periods), median))
print("| Frame period, worst deviation from 50 ms | %+.1f ms |" % (worst - 50))
deviations = sorted(abs(p - 50) for p in periods)
print("| Frames within this of 50 ms, 95 %% of them | %.1f ms |" % deviations[int(0.95 * (len(deviations) - 1))])
print("| CPU, idle in the menu (%s s) | %s %% of one core |" % (seconds, menu_cpu))
print("| CPU, playing (%s s) | %s %% of one core |" % (seconds, game_cpu))
print("| Peak resident memory (VmHWM) | %.1f MiB |" % (int(peak_kb) / 1024))
EOF
)

load=$(cut -d' ' -f1 /proc/loadavg)
cpu_model=$(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)
section=$(cat <<EOF
## Measurements

Made by \`tools/measure.sh\` on $(date -u +%Y-%m-%d), $(nproc) cores ($cpu_model), load average $load
when it ended, Xvfb with Mesa's software renderer (llvmpipe), SDL's dummy sound driver. Start-up runs
until the window's pixels, polled from the X server every 10 ms, show the menu. The frame period is the
gap between the main thread's sleep calls, as strace timestamps them; the loop sleeps once a pass, so a
late frame is other work on the machine or a slow frame, never a spin. CPU is the whole process
(llvmpipe's threads included) from \`/proc/<pid>/stat\`; memory is VmHWM from \`/proc/<pid>/status\`.

<!-- measurements:begin -->
$table
<!-- measurements:end -->
EOF
)

if [ "${1:-}" = "--print" ]; then echo "$section"; exit 0; fi
readme=$top/README.md
if grep -q '^## Measurements$' "$readme"; then
  # Replace the section, which runs to the next heading of its level or the end.
  "$py" - "$readme" "$section" <<'EOF'
import re, sys
path, section = sys.argv[1], sys.argv[2]
text = open(path).read()
text = re.sub(r"## Measurements\n.*?(?=\n## |\Z)", lambda m: section + "\n", text, count=1, flags=re.S)
open(path, "w").write(text)
EOF
else
  printf '\n%s\n' "$section" >>"$readme"
fi
echo "$section"
