#!/usr/bin/env python3
"""Peak memory of zov-pedidos and zov-appserver fed what a hostile other side sends.

Run by hand (never a test): bench/entradas_hostis.py BUILD_DIR
Prints one `figure NAME VALUE UNIT` line per measurement:

  client_string_bomb_peak_mb / _s  a gzip reply that inflates to one 1 GiB JSON string (--sync)
  server_gzip_bomb_peak_mb         a request that inflates to 900 MB (one string)
  server_extra_columns_peak_mb     10 000 unknown columns x 1 000 rows in the orders packet
  server_long_text_stored          a customer name of 100 MB in SetPedidos: 1 when it was stored
"""
import gzip
import http.server
import json
import os
import resource
import socket
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import urllib.error
import urllib.request
import zlib

BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
SERVER = os.path.join(BUILD, "server", "zov-appserver")
CLIENT = os.path.join(BUILD, "app", "zov-pedidos")
SCHEMA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "db", "schema.sql")
MB = 1 << 20
BRANCH, OPERATOR, PASSWORD = "0001", "000000000001", "ana123"


def figure(name, value, unit):
    print(f"figure {name} {value} {unit}", flush=True)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def gzip_stream(pieces):
    """gzip of the concatenated pieces, made piece by piece."""
    z = zlib.compressobj(9, zlib.DEFLATED, 31)
    out = [z.compress(p) for p in pieces]
    out.append(z.flush())
    return b"".join(out)


def repeat(prefix, byte, count, suffix):
    yield prefix
    block = byte * MB
    for _ in range(count // MB):
        yield block
    yield byte * (count % MB)
    yield suffix


# ---------------------------------------------------------------- the client

def client_string_bomb(work):
    reply = gzip_stream(repeat(b'{"result":[{"columns":[{"name":"CDCLIENTE","type":"text"}],"rows":[["', b"a", 1 << 30, b'"]]}]}'))

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *a):
            pass

        def send(self, status, body, gz=False):
            self.send_response(status)
            self.send_header("Content-Type", "application/json")
            if gz:
                self.send_header("Content-Encoding", "gzip")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            self.send(200, b'{"server":"zov-appserver","objects":["PAD.rdmImpPedidos","PAD.rdmExpDados"]}')

        def do_POST(self):
            self.rfile.read(int(self.headers.get("Content-Length", "0")))
            if self.path == "/sessao":
                self.send(200, b'{"token":"t","expira":"2099-01-01T00:00:00"}')
            else:
                self.send(200, reply, gz=True)

    port = free_port()
    httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    threading.Thread(target=httpd.serve_forever, daemon=True).start()
    db = os.path.join(work, "cliente.sqlite")
    with open(SCHEMA) as f:
        sqlite3.connect(db).executescript(f.read())
    env = dict(os.environ, ZOV_SENHA=PASSWORD, HOME=work)
    start = time.monotonic()
    args = [CLIENT, "--sync", "--database", db, "--address", f"127.0.0.1:{port}", "--filial", BRANCH]
    if b"--operador" in subprocess.run([CLIENT, "--help"], capture_output=True).stdout:
        args += ["--operador", OPERATOR]
    p = subprocess.Popen(args, env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(p.pid, 0)
    elapsed = time.monotonic() - start
    err = p.stderr.read().decode(errors="replace").strip().splitlines()
    httpd.shutdown()
    print("client:", err[-1] if err else "(nada)", file=sys.stderr)
    figure("client_string_bomb_peak_mb", round(usage.ru_maxrss / 1024), "MB")
    figure("client_string_bomb_s", round(elapsed, 1), "s")


# ---------------------------------------------------------------- the server

class Server:
    def __init__(self, work):
        self.db = os.path.join(work, "servidor.db")
        if not os.path.exists(self.db):
            subprocess.run([SERVER, "init", "--db", self.db, "--demo"], check=True, stdout=subprocess.DEVNULL)
        self.port = free_port()
        self.p = subprocess.Popen([SERVER, "serve", "--db", self.db, "--host", "127.0.0.1", "--port", str(self.port)],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            try:
                urllib.request.urlopen(f"http://127.0.0.1:{self.port}/", timeout=1).read()
                break
            except OSError:
                time.sleep(0.1)
        self.token = None
        try:
            body = json.dumps({"filial": BRANCH, "operador": OPERATOR, "senha": PASSWORD}).encode()
            r = urllib.request.urlopen(urllib.request.Request(f"http://127.0.0.1:{self.port}/sessao", body,
                                                              {"Content-Type": "application/json"}), timeout=30)
            self.token = json.loads(r.read())["token"]
        except (urllib.error.HTTPError, KeyError):
            pass  # a server without sessions

    def post(self, method, body, gz=False):
        headers = {"Content-Type": "application/json"}
        if gz:
            headers["Content-Encoding"] = "gzip"
        if self.token:
            headers["Authorization"] = "Bearer " + self.token
        req = urllib.request.Request(f"http://127.0.0.1:{self.port}/{method}", body, headers)
        try:
            with urllib.request.urlopen(req, timeout=600) as r:
                return r.status, r.read()[:200]
        except urllib.error.HTTPError as e:
            return e.code, e.read()[:200]
        except OSError as e:
            return 0, str(e).encode()

    def peak_mb(self):
        with open(f"/proc/{self.p.pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return round(int(line.split()[1]) / 1024)
        return -1

    def stop(self):
        self.p.terminate()
        self.p.wait()


def packet(columns, rows):
    return {"columns": [{"name": n, "type": t} for n, t in columns], "rows": rows}


ORDER = [("CDFILIAL", "text"), ("NRPEDIDO", "text"), ("CDCLIENTE", "text")]
EMPTY = {"columns": [{"name": "CDFILIAL", "type": "text"}], "rows": []}


def set_pedidos(orders, customers):
    return {"args": [orders, EMPTY, EMPTY, customers, EMPTY, BRANCH, "hostil", "3f2a9c1e-0000-4000-8000-000000000001"]}


def server_gzip_bomb(work):
    s = Server(work)
    body = gzip_stream(repeat(b'{"args":["', b"a", 900 * MB, b'"]}'))
    status, text = s.post("PAD.rdmImpPedidos/SetPedidos", body, gz=True)
    print("server gzip bomb:", status, text, file=sys.stderr)
    figure("server_gzip_bomb_peak_mb", s.peak_mb(), "MB")
    s.stop()


def server_extra_columns(work):
    s = Server(work)
    columns = ORDER + [(f"X{i:05d}", "integer") for i in range(10000)]
    rows = [[BRANCH, f"{n:010d}", "F52998224725"] + [0] * 10000 for n in range(1, 1001)]
    body = gzip.compress(json.dumps(set_pedidos(packet(columns, rows), EMPTY)).encode())
    status, text = s.post("PAD.rdmImpPedidos/SetPedidos", body, gz=True)
    print(f"server extra columns ({len(body) // 1024} KB sent):", status, text, file=sys.stderr)
    figure("server_extra_columns_peak_mb", s.peak_mb(), "MB")
    s.stop()


def server_long_text(work):
    s = Server(work)
    customers = packet([("CDCLIENTE", "text"), ("IDTPIJURCLIE", "text"), ("NRINSJURCLIE", "text"), ("NMFANTCLIE", "text"),
                        ("IDCLIEATIV", "text")], [["F11144477735", "F", "11144477735", "x" * (100 * MB), "S"]])
    status, text = s.post("PAD.rdmImpPedidos/SetPedidos", gzip.compress(json.dumps(set_pedidos(EMPTY, customers)).encode()), gz=True)
    print("server long text:", status, text, file=sys.stderr)
    s.stop()
    stored = sqlite3.connect(s.db).execute("SELECT COUNT(*) FROM CLIENTE WHERE length(NMFANTCLIE) > 1000").fetchone()[0]
    figure("server_long_text_stored", stored, "rows")


def main():
    with tempfile.TemporaryDirectory() as work:
        client_string_bomb(work)
        server_gzip_bomb(work)
        server_extra_columns(work)
        server_long_text(work)


if __name__ == "__main__":
    main()
