#!/usr/bin/env python3
"""Load benchmark for quadrune-score-server on loopback.

N client processes send uploads for a bounded time, each on its own
connection as the game does: four valid games (every one different) to one
invalid row. Prints submissions per second, p50 and p99 latency, and checks
that every acknowledged row is in the database afterwards. Each client
sends from a loopback address of its own, as players do from theirs.
Usage: tools/bench_score_server.py SERVER_BINARY [clients] [seconds] [--postgres] [--servers N] [--flood F]
  --postgres  keep the rows in a throwaway PostgreSQL cluster (tools/scratch_postgres.sh), not SQLite
  --servers   run N server processes on the one database; client c sends to server c mod N"""
import argparse, multiprocessing, os, select, socket, sqlite3, struct, subprocess, sys, tempfile, threading, time

SLOW, SILENT = ("127.0.1.1", b"POST /score.php?mode=1 HTTP/1.1\r\n"), ("127.0.1.2", b"")
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


def submit(port, mode, row):
    with socket.create_connection(("127.0.0.1", port), timeout=5) as conn:
        conn.sendall(HEADER.format(mode).encode() + b"data=" + row + b"0120")
        answer = b""
        while chunk := conn.recv(4096):
            answer += chunk
    return answer


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

def flood(port, size, until):
    """Keeps size slow and size silent connections open, reopening those the server ends."""
    def opened(kind):
        conn = socket.create_connection(("127.0.0.1", port), source_address=(kind[0], 0))
        conn.sendall(kind[1])
        return conn, kind
    conns = [opened(kind) for _ in range(size) for kind in (SLOW, SILENT)]
    while time.monotonic() < until:
        ended, _, _ = select.select([c for c, _ in conns], [], [], 0.1)
        for i, (conn, kind) in enumerate(conns):
            if conn in ended:
                conn.close()
                conns[i] = opened(kind)
    for conn, _ in conns:
        conn.close()


def start_server(binary, database):
    server = subprocess.Popen([binary, "--listen", "127.0.0.1:0", "--database", database,
                               "--rate", "1000000000"], stdout=subprocess.PIPE, text=True)
    return server, int(server.stdout.readline().rsplit(":", 1)[1])


def run_clients(binary, database, options):
    servers = [start_server(binary, database) for _ in range(options.servers)]
    try:
        began = time.monotonic()
        flooder = threading.Thread(target=flood, args=(servers[0][1], options.flood, began + options.seconds + 1))
        flooder.start()
        with multiprocessing.Pool(options.clients) as pool:
            results = pool.map(client, [(servers[c % len(servers)][1], c, options.seconds)
                                        for c in range(options.clients)])
        wall = time.monotonic() - began
        flooder.join()
        return results, wall
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


def collect(binary, database, options):
    results, wall = run_clients(binary, database, options)
    return results, wall, stored_rows(database)


def measure(binary, work, options):
    if not options.postgres:
        return collect(binary, os.path.join(work, "scores.sqlite3"), options)
    cluster = os.path.join(work, "pg")
    database = subprocess.run(["bash", SCRATCH_POSTGRES, "start", cluster], check=True,
                              capture_output=True, text=True).stdout.strip()
    try:
        return collect(binary, database, options)
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
    options = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="quadrune-bench-") as work:
        results, wall, stored = measure(options.binary, work, options)
    acked = [a for r in results for a in r[0]]
    latencies = sorted(l for r in results for l in r[1])
    sent = sum(r[3] for r in results)
    missing = sum(1 for mode, row in acked if (mode, row) not in stored)
    pct = lambda p: latencies[min(len(latencies) - 1, int(p * len(latencies)))] * 1000
    where = "PostgreSQL" if options.postgres else "SQLite"
    print(f"{options.clients} clients, {options.servers} server(s) on {where}, flood {options.flood} + {options.flood}, "
          f"{wall:.1f} s: "
          f"{sent / wall:.0f} submissions/s "
          f"({len(acked) / wall:.0f} valid acknowledged/s, {sum(r[2] for r in results)} invalid refused)")
    print(f"latency p50 {pct(0.50):.2f} ms, p99 {pct(0.99):.2f} ms")
    print(f"acknowledged rows {len(acked)}, in the database {len(acked) - missing}, missing {missing}")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
