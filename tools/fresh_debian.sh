# Sourced by check_package.sh --fresh-debian with $deb, $server_deb, $web_deb and $work set: the
# packages in a fresh `debootstrap --variant=minbase bookworm` tree, as on a
# pristine Debian 12 where nothing but apt chooses the libraries.
[ "$(id -u)" = 0 ] || { echo "the fresh Debian check needs root (debootstrap, chroot, mounts)"; exit 1; }
root=$work/debian
mounted=()
leave() {
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap leave EXIT
bind() { mkdir -p "${!#}"; mount "$@" && mounted+=("${!#}"); }

mirror=${QUADRUNE_DEBIAN_MIRROR:-http://deb.debian.org/debian}
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log"; echo "debootstrap failed"; exit 1; }
bind -t proc proc "$root/proc"
bind --bind /dev "$root/dev"
cp "$deb" "$server_deb" "$web_deb" "$root/tmp/"
in_tree() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"; }
in_tree apt-get update >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }
in_tree apt-get install -y "/tmp/$(basename "$deb")" >>"$work/apt.log" 2>&1 || { tail -30 "$work/apt.log"; exit 1; }
in_tree dpkg -s libsdl1.2-compat-shim >/dev/null || { echo "sdl12-compat's shim was not installed"; exit 1; }
if in_tree dpkg -s libsdl1.2debian >/dev/null 2>&1; then echo "the classic SDL 1.2 came with the package"; exit 1; fi

# A virtual display of our own, its socket shown inside the tree.
exec 3>"$work/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 150); do [ -s "$work/display" ] && break; sleep 0.1; done
display=$(head -n 1 "$work/display")
[ -n "$display" ] || { echo "Xvfb did not start"; exit 1; }
bind --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

mkdir -p "$root/tmp/player"
chroot "$root" env -i PATH=/usr/games:/usr/bin:/bin HOME=/tmp/player DISPLAY=":$display" SDL_AUDIODRIVER=dummy \
  /usr/games/quadrune >"$work/game.out" 2>"$work/game.err" &
game=$!
for _ in $(seq 300); do grep -q '\.\.done\.' "$work/game.out" 2>/dev/null && break; kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
grep -q '\.\.done\.' "$work/game.out" || { cat "$work/game.out" "$work/game.err"; echo "the installed game never reached its menu"; exit 1; }
# The map names the file as seen from outside the tree.
library=$(grep -o "$root/[^ ]*libSDL-1\.2\.so[^ ]*" "/proc/$game/maps" | head -n 1 | sed "s|^$root||") || true
kill "$game"; wait "$game" 2>/dev/null || true
[ -n "$library" ] || { echo "the game runs without libSDL-1.2"; exit 1; }
owner=$(in_tree dpkg -S "$library" | cut -d: -f1)
echo "the installed game loads $library from $owner"
[ "$owner" = libsdl1.2-compat ] || { echo "not sdl12-compat's library"; exit 1; }
# The server's package installs beside it with the browser game it recommends,
# and its program starts and serves both.
in_tree apt-get install -y "/tmp/$(basename "$server_deb")" "/tmp/$(basename "$web_deb")" >>"$work/apt.log" 2>&1 ||
  { tail -30 "$work/apt.log"; exit 1; }
chroot "$root" env -i PATH=/usr/bin:/bin /usr/bin/quadrune-score-server --listen 127.0.0.1:0 --database /tmp/s.db \
  >"$work/server.out" 2>"$work/server.err" &
server=$!
for _ in $(seq 100); do grep -q '^listening on' "$work/server.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/server.out")
[ -n "$port" ] || { cat "$work/server.err"; echo "the installed server did not start"; exit 1; }
ask() {  # TARGET: the whole answer
  exec 4<>"/dev/tcp/127.0.0.1/$port"
  printf 'GET %s HTTP/1.1\r\nHost: x\r\n\r\n' "$1" >&4
  timeout 5 cat <&4
  exec 4<&-
}
answer=$(ask '/scores.json?mode=1')
game_page=$(ask /play/)
kill "$server"; wait "$server" 2>/dev/null || true
echo "$answer" | grep -q '"rows":\[\]' || { echo "$answer"; echo "the installed server did not serve"; exit 1; }
echo "$game_page" | head -n 1 | grep -q ' 200 ' || { echo "$game_page"; echo "the installed server did not serve the browser game"; exit 1; }
echo "the installed server starts and serves, the browser game included"
echo "fresh Debian check passed"
