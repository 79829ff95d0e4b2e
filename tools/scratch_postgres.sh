#!/usr/bin/env bash
# A throwaway PostgreSQL cluster in DIR, listening on 127.0.0.1 only, for the
# score server's tests and benchmark.
#   start DIR   creates the cluster on first use (on a free port, kept in DIR/port),
#               starts it and prints its connection URI
#   stop DIR    stops it at once, as a crash would: committed rows must survive
# Runs the server as the postgres user when started as root, as it refuses root.
set -euo pipefail
command=${1:?usage: scratch_postgres.sh start|stop DIR}
dir=$(realpath -m "${2:?usage: scratch_postgres.sh start|stop DIR}")
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/pg_ctl" ]; then
  echo "PostgreSQL is not installed (Debian package postgresql; tools/install_deps.sh test)" >&2
  exit 1
fi

as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  as_owner=(runuser -u postgres --)
fi

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

create() {
  mkdir -p "$dir"
  if [ ${#as_owner[@]} -gt 0 ]; then
    chown postgres "$dir"
    chmod o+x "$(dirname "$dir")"  # the postgres user must reach it
  fi
  "${as_owner[@]}" "$bin/initdb" -D "$dir/data" -U quadrune -A trust -E UTF8 --no-sync >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
}

launch() {
  "${as_owner[@]}" "$bin/pg_ctl" start -D "$dir/data" -l "$dir/data/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -c port=$1 -c unix_socket_directories=''" >/dev/null
}

case "$command" in
  start)
    [ -d "$dir/data" ] || create
    if [ -f "$dir/port" ]; then
      launch "$(cat "$dir/port")" || { cat "$dir/data/server.log" >&2; exit 1; }
    else
      # The free port may be taken before the server binds it: try another.
      for attempt in 1 2 3; do
        port=$(free_port)
        launch "$port" && break
        [ "$attempt" -eq 3 ] && { cat "$dir/data/server.log" >&2; exit 1; }
      done
      echo "$port" >"$dir/port"
    fi
    echo "postgresql://quadrune@127.0.0.1:$(cat "$dir/port")/postgres"
    ;;
  stop)
    "${as_owner[@]}" "$bin/pg_ctl" stop -D "$dir/data" -m immediate -w -t 60 >/dev/null
    ;;
  *)
    echo "usage: scratch_postgres.sh start|stop DIR" >&2
    exit 2
    ;;
esac
