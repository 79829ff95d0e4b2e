# Sourced by the scripts that run the real game: a virtual X display of their
# own on a free number, a working directory holding a copy of data/ (or of
# $QUADRUNE_DATA_DIR), and a trap that ends the game ($game_pid), the display
# and the directory. Needs $top. KEEP_WORK=1 keeps the directory.
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
work=$(mktemp -d)
xvfb_pid="" game_pid=""
cleanup() {
  # The game goes before its display: one whose X server vanished can spin.
  if [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null; then
    for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$game_pid" 2>/dev/null || true
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  if [ -n "${KEEP_WORK:-}" ]; then echo "kept $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display" LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
cp -r "${QUADRUNE_DATA_DIR:-$top/data}" "$work/data"
