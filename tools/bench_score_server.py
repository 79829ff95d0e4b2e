#!/usr/bin/env python3
"""Load benchmark for quadrune-score-server on loopback.

N client processes send uploads for a bounded time, each on its own
connection as the game does: four valid games (every one different) to one
invalid row. Prints submissions per second, p50 and p99 latency, and checks
that every acknowledged row is in the database afterwards. Each client
sends from a loopback address of its own, as players do from theirs.
Usage: tools/bench_score_server.py SERVER_BINARY [clients] [seconds] [--postgres] [--servers N]
                                  [--flood F] [--flood-addresses A] [--replays R]
  --postgres  keep the rows in a throwaway PostgreSQL cluster (tools/scratch_postgres.sh), not SQLite
  --servers   run N server processes on the one database; client c sends to server c mod N
  --flood     keep F connections open all along, every other one sending half a header and then
              nothing, the rest never a byte, from A loopback addresses (--flood-addresses, 2)
  --replays   R more clients send ten-minute FREE PLAY replays (bench/replay_bench writes them),
              each from an address of its own; prints how many the server verified a second"""
import argparse, multiprocessing, os, resource, select, socket, sqlite3, struct, subprocess, sys, tempfile, threading, time

SLOW_HEADER = b"POST /score.php?mode=1 HTTP/1.1\r\n"
BOT_GAMES = 24
SCRATCH_POSTGRES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "scratch_postgres.sh")

HEADER = ("POST /score.php?mode={} HTTP/1.1\r\nHost: localhost\r\nUser-Agent: Quadrune/0.145a Velmo/2006\r\n"
          "Content-Type: application/octet-stream\r\nConnection: keep-alive\r\nContent-Length: 129\r\n\r\n")


def game_row(client, n):
    row = bytearray(120)
    row[0:5] = b"BENCH"
    count = 3 + n % 7
    struct.pack_into("<i", row, 12 + 4 * 2, count)
    struct.pack_into("<i", row, 52, count)
    struct.pack_into("<I", row, 56, count * 2 * 10)
    struct.pack_into("<I", row, 64, client * 10_000_000 + n + 1)  # a distinct game each time
    return bytes(row)


def exchange(port, request, source):
    with socket.create_connection(("127.0.0.1", port), timeout=10, source_address=(source, 0)) as conn:
        conn.sendall(request)
        answer = b""
        while chunk := conn.recv(4096):
            answer += chunk
    return answer


def submit(port, mode, row, source):
    return exchange(port, HEADER.format(mode).encode() + b"data=" + row + b"0120", source)


def replay_client(args):
    """Sends the bot games in turn; returns how many were verified and how many found the server busy."""
    port, number, seconds, files = args
    verified, busy, other, n = 0, 0, 0, 0
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        body = files[(number + n * 7) % len(files)]
        n += 1
        request = (f"POST /replay.php?mode=1 HTTP/1.1\r\nHost: localhost\r\nContent-Type: application/x-quadrune-replay\r\n"
                   f"Content-Length: {len(body)}\r\nConnection: close\r\n\r\n").encode() + body
        try:
            answer = exchange(port, request, f"127.0.9.{1 + number}")
        except OSError:
            answer = b""
        if answer.endswith(b"replayok"):
            verified += 1
        elif answer.startswith(b"HTTP/1.1 503"):
            busy += 1
            time.sleep(0.01)  # as a client would before trying again
        else:
            other += 1
    return verified, busy, other


def client(args):
    port, number, seconds = args
    acked, latencies, refused, n = [], [], 0, 0
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        n += 1
        valid = n % 5 != 0
        mode = 1 + n % 4
        row = game_row(number, n) if valid else b"\x01" * 120
        start = time.perf_counter()
        try:
            answer = submit(port, mode, row, f"127.0.0.{2 + number}")
        except OSError:
            answer = b""
        latencies.append(time.perf_counter() - start)
        if valid and answer.endswith(b"\r\n\r\ndataok"):
            acked.append((mode, row))
        elif not valid and answer.startswith(b"HTTP/1.1 422"):
            refused += 1
    return acked, latencies, refused, n

def flood_address(i, addresses):
    a = i % addresses
    return f"127.0.{20 + a // 250}.{1 + a % 250}"


def flood(port, size, addresses, until, ready):
    """Keeps `size` connections open from `addresses` loopback addresses, every other one slow, the rest
    silent; a connection the server ends is opened again, at most once a second."""
    def opened(i):
        conn = socket.socket()
        conn.setblocking(False)
        conn.bind((flood_address(i, addresses), 0))
        conn.connect_ex(("127.0.0.1", port))
        return conn
    conns = [opened(i) for i in range(size)]
    writable = select.poll()
    for conn in conns[0::2]:
        writable.register(conn, select.POLLOUT)
    waiting, deadline = {c.fileno(): c for c in conns[0::2]}, time.monotonic() + 10
    while waiting and time.monotonic() < deadline:
        for fd, _ in writable.poll(100):
            try:
                waiting[fd].send(SLOW_HEADER)
            except OSError:
                pass
            writable.unregister(fd)
            del waiting[fd]
    ready.set()
    poller = select.poll()
    where = {}
    for i, conn in enumerate(conns):
        poller.register(conn, select.POLLIN)
        where[conn.fileno()] = i
    while time.monotonic() < until:
        for fd, _ in poller.poll(1000):
            i = where.pop(fd)
            poller.unregister(fd)
            conns[i].close()
            conns[i] = opened(i)
            poller.register(conns[i], select.POLLIN)
            where[conns[i].fileno()] = i
        time.sleep(0.5)
    for conn in conns:
        conn.close()


def start_server(binary, database, work):
    log = open(os.path.join(work, f"server-{time.monotonic_ns()}.log"), "w")  # the access log, one line a request
    server = subprocess.Popen([binary, "--listen", "127.0.0.1:0", "--database", database, "--rate", "1000000000",
                               "--replay-max-age", "30d"], stdout=subprocess.PIPE, stderr=log, text=True)
    port = int(server.stdout.readline().rsplit(":", 1)[1])
    threading.Thread(target=lambda: [log.write(line) for line in server.stdout], daemon=True).start()
    return server, port


def bot_games(work, count):
    bench = os.environ.get("QUADRUNE_REPLAY_BENCH", os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                                                "build", "bench", "replay_bench"))
    folder = os.path.join(work, "bots")
    os.makedirs(folder)
    subprocess.run([bench, "--write-bot-games", folder, str(count), "10"], check=True)
    return [open(os.path.join(folder, f"bot-{i}.qrp"), "rb").read() for i in range(count)]


def run_clients(binary, database, options, work):
    files = bot_games(work, BOT_GAMES) if options.replays else []
    servers = [start_server(binary, database, work) for _ in range(options.servers)]
    try:
        ready = threading.Event()
        flooder = threading.Thread(target=flood, args=(servers[0][1], options.flood, options.flood_addresses,
                                                        time.monotonic() + options.seconds + 30, ready))
        flooder.start()
        ready.wait()
        began = time.monotonic()
        with multiprocessing.Pool(options.clients + options.replays) as pool:
            uploads = pool.map_async(client, [(servers[c % len(servers)][1], c, options.seconds)
                                              for c in range(options.clients)])
            replays = pool.map_async(replay_client, [(servers[0][1], r, options.seconds, files)
                                                     for r in range(options.replays)])
            results, replayed = uploads.get(), replays.get()
        wall = time.monotonic() - began
        return results, replayed, wall
    finally:
        for server, _ in servers:
            server.terminate()
            server.wait(10)


def stored_rows(database):
    if not database.startswith("postgresql://"):
        return {(mode, bytes(image)) for mode, image in
                sqlite3.connect(database).execute("SELECT mode, image FROM scores")}
    lines = subprocess.run(["psql", "-X", "-At", "-F", " ", "-c", "SELECT mode, encode(image, 'hex') FROM scores",
                            database], check=True, capture_output=True, text=True).stdout.split()
    return {(int(mode), bytes.fromhex(image)) for mode, image in zip(lines[0::2], lines[1::2])}


def collect(binary, database, options, work):
    results, replayed, wall = run_clients(binary, database, options, work)
    return results, replayed, wall, stored_rows(database)


def measure(binary, work, options):
    if not options.postgres:
        return collect(binary, os.path.join(work, "scores.sqlite3"), options, work)
    cluster = os.path.join(work, "pg")
    database = subprocess.run(["bash", SCRATCH_POSTGRES, "start", cluster], check=True,
                              capture_output=True, text=True).stdout.strip()
    try:
        return collect(binary, database, options, work)
    finally:
        subprocess.run(["bash", SCRATCH_POSTGRES, "stop", cluster], check=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("clients", nargs="?", type=int, default=8)
    parser.add_argument("seconds", nargs="?", type=float, default=10)
    parser.add_argument("--postgres", action="store_true")
    parser.add_argument("--servers", type=int, default=1)
    parser.add_argument("--flood", type=int, default=0)
    parser.add_argument("--flood-addresses", type=int, default=2)
    parser.add_argument("--replays", type=int, default=0)
    options = parser.parse_args()
    files = resource.getrlimit(resource.RLIMIT_NOFILE)[1]
    resource.setrlimit(resource.RLIMIT_NOFILE, (files, files))
    with tempfile.TemporaryDirectory(prefix="quadrune-bench-") as work:
        results, replayed, wall, stored = measure(options.binary, work, options)
    acked = [a for r in results for a in r[0]]
    latencies = sorted(l for r in results for l in r[1])
    sent = sum(r[3] for r in results)
    missing = sum(1 for mode, row in acked if (mode, row) not in stored)
    pct = lambda p: latencies[min(len(latencies) - 1, int(p * len(latencies)))] * 1000
    where = "PostgreSQL" if options.postgres else "SQLite"
    print(f"{options.clients} clients, {options.servers} server(s) on {where}, "
          f"flood of {options.flood} from {options.flood_addresses} addresses, {options.replays} replay clients, "
          f"{wall:.1f} s: "
          f"{sent / wall:.0f} submissions/s "
          f"({len(acked) / wall:.0f} valid acknowledged/s, {sum(r[2] for r in results)} invalid refused)")
    print(f"latency p50 {pct(0.50):.2f} ms, p99 {pct(0.99):.2f} ms")
    print(f"acknowledged rows {len(acked)}, in the database {len(acked) - missing}, missing {missing}")
    if options.replays:
        verified, busy, other = (sum(r[i] for r in replayed) for i in range(3))
        print(f"ten-minute replays verified {verified / wall:.1f}/s ({verified} in all), told busy {busy}, other answers {other}")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
