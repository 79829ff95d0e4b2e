#!/usr/bin/env bash
# Builds the game for the browser into build-web/ (or $QUADRUNE_WEB_BUILD_DIR):
# zlib and libpng from Debian's source packages compiled with emcc (kept
# between runs), then the game, then build-web/web/ as the server serves it:
# index.html, and the JS, .wasm and .data under content-addressed names,
# each with a gzip beside it. Needs tools/install_deps.sh web.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUADRUNE_WEB_BUILD_DIR:-$top/build-web}
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
jobs=$(nproc)
mkdir -p "$build"
build=$(cd "$build" && pwd)
deps=$build/deps
sources=$build/debian-sources

# One static library from the listed C files of a source tree; CFLAGS
# carries what the library's own configure would have found.
compile_library() {
  local name=$1 tree=$2 flags=$3; shift 3
  local objects=$deps/obj-$name
  rm -rf "$objects" && mkdir -p "$objects"
  printf '%s\n' "$@" | xargs -P "$jobs" -I{} sh -c \
    'emcc -O2 '"$flags"' -c "$1/$2" -I "$1" -I "$3/include" -o "$4/$(basename "$2" .c).o"' _ "$tree" {} "$deps" "$objects"
  emar rcs "$deps/lib/lib$name.a" "$objects"/*.o
}

build_zlib() {
  [ -f "$deps/lib/libz.a" ] && return
  "$top/tools/debian_source.sh" zlib "$sources"
  local tree=$sources/zlib
  mkdir -p "$deps/lib" "$deps/include"
  compile_library z "$tree" "-DHAVE_UNISTD_H -DHAVE_STDARG_H" adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c gzwrite.c \
    infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c
  cp "$tree/zlib.h" "$tree/zconf.h" "$deps/include/"
}

build_libpng() {
  [ -f "$deps/lib/libpng.a" ] && return
  "$top/tools/debian_source.sh" libpng1.6 "$sources"
  local tree=$sources/libpng1.6
  # The stock configuration, as libpng's own makefiles use it.
  cp "$tree/scripts/pnglibconf.h.prebuilt" "$tree/pnglibconf.h"
  compile_library png "$tree" "" png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c pngrtran.c \
    pngrutil.c pngset.c pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c
  cp "$tree/png.h" "$tree/pngconf.h" "$tree/pnglibconf.h" "$deps/include/"
}

# NAME.<16 hex of its sha256>.EXT beside a gzip of it; prints the new name.
publish() {
  local file=$1 out=$2
  local base ext hash name
  base=$(basename "$file")
  ext=${base##*.}
  hash=$(sha256sum "$file" | cut -c1-16)
  name=${base%.*}.$hash.$ext
  cp "$file" "$out/$name"
  gzip -9 -n -c "$file" >"$out/$name.gz"
  echo "$name"
}

build_zlib
build_libpng
"$top/tools/debian_source.sh" freeglut "$sources"
emcmake cmake -S "$top" -B "$build/game" -DCMAKE_BUILD_TYPE=Release -DQUADRUNE_WEB_DEPS="$deps" -DQUADRUNE_WEB_FREEGLUT="$sources/freeglut" >/dev/null 2>&1 \
  || emcmake cmake -S "$top" -B "$build/game" -DCMAKE_BUILD_TYPE=Release -DQUADRUNE_WEB_DEPS="$deps" -DQUADRUNE_WEB_FREEGLUT="$sources/freeglut"
cmake --build "$build/game" -j "$jobs"

# The page names every other file, so it alone must be revalidated.
out=$build/web
rm -rf "$out.new" && mkdir -p "$out.new"
data=$(publish "$build/game/quadrune.data" "$out.new")
wasm=$(publish "$build/game/quadrune.wasm" "$out.new")
js=$(publish "$build/game/quadrune.js" "$out.new")
sed -e "s/@QUADRUNE_JS@/$js/g" -e "s/@QUADRUNE_WASM@/$wasm/g" -e "s/@QUADRUNE_DATA@/$data/g" \
  "$top/web/index.html" >"$out.new/index.html"
gzip -9 -n -c "$out.new/index.html" >"$out.new/index.html.gz"
rm -rf "$out" && mv "$out.new" "$out"
echo "The web build is in $out"
