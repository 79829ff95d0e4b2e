#!/usr/bin/env bash
# Unpacks a Debian source package from bookworm into a folder, once: the web
# build compiles a few upstream files (freeglut's font data, zlib, libpng)
# from Debian's own sources rather than vendoring or downloading them.
# Needs no root: apt runs on a private configuration under the cache folder.
#   tools/debian_source.sh PACKAGE DEST
# DEST/PACKAGE is the unpacked tree; a second run finds it there and does nothing.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 PACKAGE DEST" >&2; exit 2; }
package=$1
dest=$2
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
tree="$dest/$package"
[ -f "$tree/.unpacked" ] && exit 0

apt_dir="$dest/.apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial"
# Only the main archive: the build machines reach no security mirror, and a
# source from there would differ between machines that do and do not.
cat > "$apt_dir/sources.list" <<LIST
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
LIST
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::Archives=$apt_dir/archives"
  -o "Debug::NoLocking=1" -o "APT::Sandbox::User=$(id -un)")
# The index is fetched once a cache folder; later packages reuse it.
[ -n "$(find "$apt_dir/lists" -maxdepth 1 -name '*Sources*' -print -quit)" ] \
  || apt-get "${apt_options[@]}" update -qq

work=$(mktemp -d "$dest/.fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get "${apt_options[@]}" source -qq "$package" >/dev/null)
unpacked=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
[ -n "$unpacked" ] || { echo "$0: apt-get source $package unpacked nothing" >&2; exit 1; }
rm -rf "$tree"
mv "$unpacked" "$tree"
basename "$unpacked" > "$tree/.unpacked"
