#!/usr/bin/env bash
# Regenerates every picture and sound into a scratch folder and compares it
# byte for byte with data/. Not part of the test suite: the bytes depend on
# the exact versions of PIL, NumPy, lame, oggenc and the fonts, so a Debian
# point release may change them without anything being wrong for a player.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install_deps.sh" tools
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$top/tools/assets/generate.sh" "$scratch"
status=0
for made in "$scratch"/pics/* "$scratch"/audio/* "$scratch"/icons/*; do
  committed="$top/data/${made#"$scratch"/}"
  if ! cmp -s "$made" "$committed"; then
    echo "differs: ${committed#"$top"/}"
    status=1
  fi
done
[ $status -eq 0 ] && echo "all $(find "$scratch" -type f | wc -l) files match"
exit $status
