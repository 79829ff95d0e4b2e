#!/usr/bin/env bash
# Writes a small stand-in for the browser build into DIR, laid out as
# tools/build_web.sh lays out build-web/web/: index.html, content-addressed
# NAME.<16 hex of sha256>.EXT files, each with its gzip -9 -n twin. Its
# script instantiates the .wasm by streaming (which only application/wasm
# allows) and shows what it read, so a browser can tell that serving works.
# Usage: tools/web_fixture.sh DIR
set -euo pipefail
dir=${1:?usage: web_fixture.sh DIR}
mkdir -p "$dir"
cd "$dir"

# A module of one function, answer(), that returns 42.
printf '\0asm\1\0\0\0\1\5\1\140\0\1\177\3\2\1\0\7\12\1\6answer\0\0\12\6\1\4\0\101\52\13' >module.wasm
# Game data: bytes a text editor would mangle.
head -c 3000 /dev/zero | tr '\0' '\252' >module.data

hashed() {  # NAME EXT FILE: moves FILE to its content-addressed name, prints it
  local name="$1.$(sha256sum "$3" | cut -c1-16).$2"
  mv "$3" "$name"
  echo "$name"
}
wasm=$(hashed quadrune wasm module.wasm)
data=$(hashed quadrune data module.data)
cat >module.js <<JS
"use strict";
const out = document.getElementById("out");
Promise.all([WebAssembly.instantiateStreaming(fetch("$wasm")), fetch("$data").then(r => r.arrayBuffer())])
  .then(([wasm, data]) => { out.textContent = "wasm says " + wasm.instance.exports.answer() + ", data holds " + data.byteLength + " bytes"; })
  .catch(error => { out.textContent = "failed: " + error; });
JS
js=$(hashed quadrune js module.js)
cat >index.html <<HTML
<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Quadrune</title></head>
<body><p id="out">loading</p><script src="$js"></script></body></html>
HTML
for file in "$wasm" "$data" "$js"; do gzip -9 -n -k "$file"; done
