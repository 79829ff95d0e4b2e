#!/usr/bin/env bash
# Builds the Debian packages from a configured build directory and runs the
# checks a distribution would: lintian (errors and warnings fail),
# desktop-file-validate and appstreamcli on the packaged files. The browser
# game's package is made by tools/package_web.sh from build-web/web/ (or
# $QUADRUNE_WEB_DIR), or from a stand-in build when there is none.
# With --fresh-debian it instead installs the package into a fresh minimal
# Debian 12 tree (debootstrap, as root, from the archive), checks that the
# installed game loads sdl12-compat's libSDL-1.2.so.0 there, and starts it on
# a virtual display until its menu is up.
# Usage: tools/check_package.sh [--fresh-debian] [build directory]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
fresh=0
[ "${1:-}" = --fresh-debian ] && { fresh=1; shift; }
build=$(cd "${1:-${QUADRUNE_BUILD_DIR:-$top/build}}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/quadrune_*.deb)
server_deb=$(ls "$work"/out/quadrune-score-server_*.deb)
web=${QUADRUNE_WEB_DIR:-$top/build-web/web}
[ -f "$web/index.html" ] || { web=$work/web-fixture; "$top/tools/web_fixture.sh" "$web"; }
web_deb=$("$top/tools/package_web.sh" "$web" "$work/out")
echo "packages: $(basename "$deb") $(basename "$server_deb") $(basename "$web_deb") (from $web)"
[ "$(dpkg-deb -f "$web_deb" Architecture)" = all ] || { echo "the web package is not Architecture: all"; exit 1; }
dpkg-deb -f "$server_deb" Recommends | grep -qw quadrune-web || { echo "the server does not recommend quadrune-web"; exit 1; }
web_files=$(dpkg-deb -c "$web_deb")
grep -q ' \./usr/share/quadrune-web/index\.html$' <<<"$web_files" || { echo "no index.html where the server looks"; exit 1; }
[ "$(dpkg-deb -f "$deb" Section)" = games ] || { echo "section is not games"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q libsdl || { echo "no shared-library dependencies"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q 'libsdl1.2-compat-shim' || { echo "the classic SDL 1.2 could be installed"; exit 1; }
if [ "$fresh" = 1 ]; then
  . "$top/tools/fresh_debian.sh"
  exit 0
fi

status=0
lintian --fail-on error,warning --tag-display-limit 0 "$deb" "$server_deb" "$web_deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
[ "$status" -eq 0 ] || { echo "lintian failed"; exit 1; }

# The server's unit, checked offline: this machine's init is not systemd.
unit=quadrune-score-server.service
dpkg-deb -x "$server_deb" "$work/server"
mkdir -p "$work/server/lib/systemd/system"
cp -n /lib/systemd/system/*.target "$work/server/lib/systemd/system/"
systemd-analyze verify --man=no --root="$work/server" "$unit" || { echo "systemd-analyze verify failed"; exit 1; }
rating=$(systemd-analyze security --offline=true "$work/server/lib/systemd/system/$unit" 2>/dev/null | grep 'Overall exposure level')
echo "${rating#→ }"
echo "$rating" | grep -Eq ' (SAFE|OK) ' || { echo "the unit is rated worse than OK"; exit 1; }

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work"/root/usr/share/applications/*.desktop
appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml
# The replay type: a .qrp name or the QRPL magic makes it one.
update-mime-database "$work/root/usr/share/mime" >/dev/null 2>&1
grep -q '^application/x-quadrune-replay:\*\.qrp$' "$work/root/usr/share/mime/globs" || { echo "no .qrp glob"; exit 1; }
grep -q 'application/x-quadrune-replay' "$work/root/usr/share/mime/magic" || { echo "no QRPL magic"; exit 1; }
echo "package checks passed"
