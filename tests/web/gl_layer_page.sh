#!/usr/bin/env bash
# Builds tests/web/gl_layer_page.cpp with emcc onto the GL layer and opens it
# in headless Chromium (SwiftShader's WebGL): its picks must be the quads
# under the points, and its bitmap text must light one white pixel for each
# set bit of freeglut's glyphs. Leaves the page's screenshot as shot.png.
#   tests/web/gl_layer_page.sh SOURCE_DIR WORK_DIR FREEGLUT_SOURCE
set -euo pipefail
top=$1
work=$2
freeglut=$3
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
mkdir -p "$work"
cd "$work"

flags=(-std=c++17 -O1 -Wall -Wextra -Werror -I"$top/src" -isystem "$top/src/web/include")
objects=()
for source in "$top"/src/web/gl_*.cpp "$top/tests/web/gl_layer_page.cpp"; do
  object=$(basename "$source" .cpp).o
  emcc "${flags[@]}" -include web/gl_compat.h -c "$source" -o "$object"
  objects+=("$object")
done
emcc -O1 -isystem "$top/src/web/include" -include "$top/src/web/gl_freeglut_font.h" \
  -c "$freeglut/src/fg_font_data.c" -o fg_font_data.o
emcc -O1 "${objects[@]}" fg_font_data.o -sLEGACY_GL_EMULATION -o gl_layer_page.js
cp "$top/tests/web/gl_layer_page.html" index.html

# A loopback server of the test's own on a port the system picks.
rm -f server.log
python3 -u -m http.server 0 --bind 127.0.0.1 >server.log 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
port=""
for _ in $(seq 100); do
  port=$(grep -o 'port [0-9]*' server.log | awk '{print $2}' || true)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the page server did not start" >&2; exit 1; }

chrome=(chromium --headless --no-sandbox --use-angle=swiftshader --enable-unsafe-swiftshader
  --user-data-dir="$work/profile" --virtual-time-budget=10000 --window-size=640,560)
dom=$(timeout 120 "${chrome[@]}" --dump-dom "http://127.0.0.1:$port/index.html" 2>/dev/null)
timeout 120 "${chrome[@]}" --screenshot="$work/shot.png" "http://127.0.0.1:$port/index.html" >/dev/null 2>&1 || true

picks=$(sed -n 's/.*<p id="picks"[^>]*>\([^<]*\)<.*/\1/p' <<<"$dom")
text=$(sed -n 's/.*<p id="text"[^>]*>\([^<]*\)<.*/\1/p' <<<"$dom")
echo "picks: $picks (left quad, right quad, above, between)"
echo "white text pixels: $text glyph bits"
status=0
[ "$picks" = "1 2 0 0" ] || { echo "FAIL: the picks should be 1 2 0 0" >&2; status=1; }
read -r lit _ bits <<<"$text"
[ -n "$lit" ] && [ "$lit" -gt 0 ] && [ "$lit" = "$bits" ] || { echo "FAIL: the text should light every glyph bit" >&2; status=1; }
exit $status
