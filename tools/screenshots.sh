#!/usr/bin/env bash
# Remakes docs/screenshots/{menu,options,game,highscores}.png from the real
# game on a virtual display of its own, driven through xdotool. The game shot
# comes from a swap chosen to destroy a run, taken while its glows show.
# Needs the game built (tools/build.sh, or QUADRUNE_BUILD_DIR). KEEP_WORK=1
# keeps the working directory with every picture taken, to check the choice.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
binary=${QUADRUNE_BUILD_DIR:-$top/build}/quadrune
out=$top/docs/screenshots
py=/usr/bin/python3
[ -x "$binary" ] || { echo "build the game first: $binary is missing" >&2; exit 1; }
mkdir -p "$out"

. "$top/tools/virtual_display.sh"
(cd "$work" && exec "$binary" >stdout.txt 2>stderr.txt) &
game_pid=$!

window=""
for _ in $(seq 150); do
  window=$(xdotool search --name '^Quadrune 0\.145a - 04\.02\.2006$' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the game's window never showed" >&2; exit 1; }
xdotool windowfocus "$window"
for _ in $(seq 200); do
  [ "$(tail -c 8 "$work/stdout.txt" 2>/dev/null)" = $'..done.\n' ] && break
  sleep 0.1
done

# The game acts on keys held across a 50 ms frame.
key() { xdotool keydown "$1"; sleep 0.12; xdotool keyup "$1"; sleep 0.1; }
point() { xdotool mousemove --window "$window" "$1" "$2"; sleep 0.1; }
click() { point "$1" "$2"; xdotool mousedown 1; sleep 0.12; xdotool mouseup 1; sleep 0.15; }
shot() { import -window "$window" "$1"; }

point 620 470
sleep 0.5
shot "$out/menu.png"

click 482 112  # options
point 620 470
sleep 0.5
shot "$out/options.png"
key Escape     # back, nothing saved
sleep 0.5

# Reads the settled board from a shot and names a swap of two blocks that
# makes a run of three: "column row", or nothing.
find_swap() {
  "$py" - "$1" <<'EOF'
import colorsys, sys
from PIL import Image
anchors = {"red": 0.0, "yellow": 0.15, "green": 0.33, "blue": 0.62, "purple": 0.78}
im = Image.open(sys.argv[1]).convert("RGB")
def kind(c, r):
    cx, cy = 320 + 40 * c, 110 + 40 * r
    px = [im.getpixel((x, y)) for y in range(cy - 12, cy + 13, 3) for x in range(cx - 12, cx + 13, 3)]
    red, green, blue = (sum(p[i] for p in px) / len(px) for i in range(3))
    if max(red, green, blue) < 70:
        return None
    hue = colorsys.rgb_to_hsv(red / 255, green / 255, blue / 255)[0]
    return min(anchors, key=lambda k: min(abs(hue - anchors[k]), 1 - abs(hue - anchors[k])))
board = [[kind(c, r) for r in range(9)] for c in range(6)]
def run_at(b, c, r):
    k = b[c][r]
    if k is None:
        return False
    for dc, dr in ((1, 0), (0, 1)):
        n = 1
        for s in (1, -1):
            i, j = c + s * dc, r + s * dr
            while 0 <= i < 6 and 0 <= j < 9 and b[i][j] == k:
                n += 1; i += s * dc; j += s * dr
        if n >= 3:
            return True
    return False
for r in range(8, -1, -1):
    for c in range(5):
        a, b2 = board[c][r], board[c + 1][r]
        if a is None or b2 is None or a == b2:
            continue
        t = [col[:] for col in board]
        t[c][r], t[c + 1][r] = b2, a
        if run_at(t, c, r) or run_at(t, c + 1, r):
            print(c, r); sys.exit()
EOF
}

# Grabs the window straight from the X server every 40 ms for 1.6 s, then
# keeps the frame whose board gained the most light over the first one
# (the glows), leaving out the white flash, which lights the backdrop too.
glow_burst() {
  "$py" - "$window" "$1" ${KEEP_WORK:+"$work"} <<'EOF'
import ctypes, sys, time
from PIL import Image, ImageStat
x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 2 + [ctypes.c_ulong, ctypes.c_int]
display = x11.XOpenDisplay(None)
def grab():
    image = x11.XGetImage(display, int(sys.argv[1]), 0, 0, 640, 480, 0xFFFFFFFF, 2)
    data = ctypes.cast(image + 16, ctypes.POINTER(ctypes.c_void_p))[0]
    stride = ctypes.cast(image + 44, ctypes.POINTER(ctypes.c_int))[0]
    raw = ctypes.string_at(data, stride * 480)
    return Image.frombuffer("RGBX", (640, 480), raw, "raw", "BGRX", stride, 1).convert("RGB")
frames = []
end = time.time() + 1.6
while time.time() < end:
    frames.append(grab())
    time.sleep(0.04)
def light(frame, box):
    return ImageStat.Stat(frame.convert("L").crop(box)).mean[0]
board, backdrop = (290, 60, 560, 470), (0, 300, 250, 470)
first = frames[0]
calm = [f for f in frames if light(f, backdrop) < light(first, backdrop) + 8]
best = max(calm, key=lambda f: light(f, board) - light(first, board))
best.save(sys.argv[2])
if len(sys.argv) > 3:
    for i, frame in enumerate(frames):
        frame.save("%s/burst%02d.png" % (sys.argv[3], i))
print("%d frames, the board %.1f brighter" % (len(frames), light(best, board) - light(first, board)))
EOF
}

found=""
for attempt in 1 2 3 4 5; do
  click 129 102  # play
  point 620 470
  # A new game's cursor keeps its place; push it to the top left first.
  for _ in $(seq 5); do key Left; done
  for _ in $(seq 9); do key Up; done
  # Wait for the opening drops and their runs to settle: two equal pictures.
  shot "$work/board.png"
  for _ in $(seq 15); do
    sleep 1
    mv "$work/board.png" "$work/before.png"
    shot "$work/board.png"
    "$py" -c 'import sys; from PIL import Image, ImageChops
a, b = (Image.open(p).convert("RGB").crop((290, 60, 560, 470)) for p in sys.argv[1:])
sys.exit(ImageChops.difference(a, b).getbbox() is not None)' "$work/before.png" "$work/board.png" && break
  done
  swap=$(find_swap "$work/board.png")
  if [ -n "$swap" ]; then
    read -r column row <<<"$swap"
    for _ in $(seq "$column"); do key Right; done
    for _ in $(seq "$row"); do key Down; done
    xdotool keydown space; sleep 0.12; xdotool keyup space
    glow_burst "$out/game.png"
    found=yes
  fi
  key Escape
  sleep 0.6
  [ -n "$found" ] && break
  key n
  sleep 0.6
done
[ -n "$found" ] || { echo "no board offered a swap that makes a run" >&2; exit 1; }

point 620 470
shot "$out/highscores.png"
key n
sleep 0.5
key Escape
sleep 0.5
key Escape
wait "$game_pid" || true
game_pid=""
echo "wrote $out/{menu,options,game,highscores}.png"
