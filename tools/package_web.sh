#!/usr/bin/env bash
# Packs the browser build (tools/build_web.sh writes it to build-web/web/) as
# OUT_DIR/quadrune-web_VERSION_all.deb: its files in /usr/share/quadrune-web,
# where quadrune-score-server looks for them by default. Prints the package's path.
# QUADRUNE_MAINTAINER and QUADRUNE_HOMEPAGE override the fields the game's
# own packages take from CMake.
# Usage: tools/package_web.sh BUILD_WEB_DIR OUT_DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
web=$(cd "${1:?usage: package_web.sh BUILD_WEB_DIR OUT_DIR}" && pwd)
out=${2:?usage: package_web.sh BUILD_WEB_DIR OUT_DIR}
[ -f "$web/index.html" ] || { echo "package_web.sh: no index.html in $web" >&2; exit 1; }
version=$(sed -n 's/^project(Quadrune VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
maintainer=${QUADRUNE_MAINTAINER:-Quadrune Developers <dev@quadrune.invalid>}
homepage=${QUADRUNE_HOMEPAGE:-https://quadrune.example.org}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
share=$root/usr/share/quadrune-web doc=$root/usr/share/doc/quadrune-web

# The files get the time they are packed, which the server's entity tags
# carry: a new build's index.html never looks like the one before.
mkdir -p "$share" "$doc" "$root/DEBIAN"
cp -R --no-preserve=mode,ownership,timestamps "$web/." "$share/"
fill() { sed -e "s|@PROJECT_VERSION@|$version|g" -e "s|@QUADRUNE_MAINTAINER@|$maintainer|g" "$1"; }
fill "$top/packaging/web/copyright.in" >"$doc/copyright"
fill "$top/packaging/web/changelog.in" | gzip -9n >"$doc/changelog.gz"
find "$root" -type d -exec chmod 0755 {} +
find "$root/usr" -type f -exec chmod 0644 {} +

(cd "$root" && find usr -type f -printf '%P\0' | sort -z | sed -z 's|^|usr/|' | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
cat >"$root/DEBIAN/control" <<CONTROL
Package: quadrune-web
Version: $version
Architecture: all
Maintainer: $maintainer
Installed-Size: $(du -sk --apparent-size "$root/usr" | cut -f1)
Section: games
Priority: optional
Homepage: $homepage
Enhances: quadrune-score-server
Description: Quadrune in the browser, served by its score server
 The block-swapping puzzle game compiled to WebAssembly from the same
 sources as the desktop game: the same rules, pictures, sounds and replays.
 .
 quadrune-score-server serves it under /play/ to every visitor of its
 leaderboard, who plays with nothing to install, sends scores that the
 server verifies like any other, and watches any verified game.
CONTROL
chmod 0644 "$root/DEBIAN/md5sums" "$root/DEBIAN/control"
mkdir -p "$out"
deb="$out/quadrune-web_${version}_all.deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
