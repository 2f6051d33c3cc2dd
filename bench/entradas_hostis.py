#!/usr/bin/env python3
"""Peak memory of zov-pedidos and zov-appserver fed what a hostile other side sends.

Run by hand (never a test): bench/entradas_hostis.py BUILD_DIR [CASE...]
(CASE: a function below, e.g. server_unauth_body; all when none is named).
Prints one `figure NAME VALUE UNIT` line per measurement:

  client_string_bomb_peak_mb / _s  a gzip reply that inflates to one 1 GiB JSON string (--sync)
  server_gzip_bomb_peak_mb         a request that inflates to 900 MB (one string)
  server_extra_columns_peak_mb     10 000 unknown columns x 1 000 rows in the orders packet
  server_long_text_stored          a customer name of 100 MB in SetPedidos: 1 when it was stored
  hostile_unauth_body_peak_mb      900 MB sent without a session to SetPedidos, /sessao and an unknown path, in turn
  hostile_unauth_body_x4_peak_mb   four such bodies to SetPedidos at once
  hostile_plain_string_peak_mb     one 600 MB string with a session (refused past 64 MiB)
  hostile_empty_lists_peak_mb      a gzip request inflating to 300 million empty lists "[],[],..." (900 MB) with a session
  hostile_slow_senders_honest_ok   1 when every connection test and download over TLS succeeded while 96
                                   connections from 10 addresses trickled handshake or head bytes every 2 s
                                   (ZOV_ATAQUE_S seconds, 60 by default); with _peak_mb and _honest (ok/tries)
"""
import gzip
import http.server
import json
import os
import resource
import socket
import ssl
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
    def __init__(self, work, tls=False, login=True):
        self.db = os.path.join(work, "servidor.db")
        if not os.path.exists(self.db):
            subprocess.run([SERVER, "init", "--db", self.db, "--demo"], check=True, stdout=subprocess.DEVNULL)
        self.port = free_port()
        args = [SERVER, "serve", "--db", self.db, "--host", "127.0.0.1", "--port", str(self.port)]
        self.ctx = None
        self.base = f"http://127.0.0.1:{self.port}"
        if tls:
            folder = os.path.join(work, "tls")
            if not os.path.exists(folder):
                subprocess.run([SERVER, "certificado", "--host", "127.0.0.1", "--saida", folder], check=True,
                               stdout=subprocess.DEVNULL)
            args += ["--certificado", os.path.join(folder, "servidor.pem"), "--chave", os.path.join(folder, "servidor-chave.pem")]
            self.ctx = ssl.create_default_context(cafile=os.path.join(folder, "ca.pem"))
            self.base = f"https://127.0.0.1:{self.port}"
        self.p = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            try:
                urllib.request.urlopen(self.base + "/", timeout=1, context=self.ctx).read()
                break
            except OSError:
                time.sleep(0.1)
        self.token = None
        try:
            if not login:
                raise KeyError  # the login's argon2 alone takes 64 MB
            body = json.dumps({"filial": BRANCH, "operador": OPERATOR, "senha": PASSWORD}).encode()
            r = urllib.request.urlopen(urllib.request.Request(self.base + "/sessao", body, {"Content-Type": "application/json"}),
                                       timeout=30, context=self.ctx)
            self.token = json.loads(r.read())["token"]
        except (urllib.error.HTTPError, KeyError):
            pass  # a server without sessions

    def post(self, method, body, gz=False):
        headers = {"Content-Type": "application/json"}
        if gz:
            headers["Content-Encoding"] = "gzip"
        if self.token:
            headers["Authorization"] = "Bearer " + self.token
        req = urllib.request.Request(f"{self.base}/{method}", body, headers)
        try:
            with urllib.request.urlopen(req, timeout=600, context=self.ctx) as r:
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


# ---------------------------------------------------------------- the front

def send_body(port, head, size, source="127.0.0.1"):
    """A head and `size` bytes of body from a 1 MB block; the status line of the answer, or the error."""
    block = b"a" * MB
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=120, source_address=(source, 0)) as s:
            s.sendall(head)
            for _ in range(size // MB):
                s.sendall(block)
            s.shutdown(socket.SHUT_WR)
            answer = b""
            while chunk := s.recv(65536):
                answer += chunk
            return answer.split(b"\r\n", 1)[0].decode()
    except OSError as e:
        return f"erro: {e}"


def server_unauth_body(work):
    size = 900 * MB
    s = Server(work, login=False)
    for path in ("PAD.rdmImpPedidos/SetPedidos", "sessao", "nada/de/nada"):
        head = f"POST /{path} HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nContent-Length: {size}\r\n\r\n"
        print(f"server unauth /{path}:", send_body(s.port, head.encode(), size), file=sys.stderr)
    figure("hostile_unauth_body_peak_mb", s.peak_mb(), "MB")
    s.stop()

    s = Server(work, login=False)
    head = f"POST /PAD.rdmImpPedidos/SetPedidos HTTP/1.1\r\nHost: x\r\nContent-Length: {size}\r\n\r\n".encode()
    threads = [threading.Thread(target=lambda: print("server unauth x4:", send_body(s.port, head, size), file=sys.stderr))
               for _ in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    figure("hostile_unauth_body_x4_peak_mb", s.peak_mb(), "MB")
    s.stop()


def server_plain_string(work):
    s = Server(work)
    size = 600 * MB
    prefix, suffix = b'{"args":["', b'"]}'
    total = len(prefix) + size + len(suffix)
    head = (f"POST /PAD.rdmImpPedidos/SetPedidos HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
            f"Authorization: Bearer {s.token}\r\nContent-Length: {total}\r\n\r\n").encode()
    # the string's bytes follow the prefix; the suffix never matters, the refusal comes first
    print("server plain string:", send_body(s.port, head + prefix, size), file=sys.stderr)
    figure("hostile_plain_string_peak_mb", s.peak_mb(), "MB")
    s.stop()


def server_empty_lists(work):
    s = Server(work)
    count = 300_000_000  # 900 MB once inflated, within the body's limit
    body = gzip_stream(repeat(b'{"args":["0001",[', b"[],", count, b'[]]]}'))
    status, text = s.post("PAD.rdmExpDados/getTabelas", body, gz=True)
    print(f"server empty lists ({len(body) // 1024} KB of gzip):", status, text[:200], file=sys.stderr)
    figure("hostile_empty_lists_peak_mb", s.peak_mb(), "MB")
    s.stop()


def client_hello():
    ctx = ssl.create_default_context()
    ctx.check_hostname = False
    ctx.verify_mode = ssl.CERT_NONE
    tls = ctx.wrap_bio(ssl.MemoryBIO(), out := ssl.MemoryBIO())
    try:
        tls.do_handshake()
    except ssl.SSLWantReadError:
        pass
    return out.read()


def server_slow_senders(work):
    """96 connections from 10 addresses trickle a byte every 2 s (half in the TLS handshake, half in the
    request's head) and come back when closed; an honest laptop tests the connection and downloads meanwhile."""
    s = Server(work, tls=True)
    seconds = float(os.environ.get("ZOV_ATAQUE_S", "60"))
    end = time.monotonic() + seconds
    hello = client_hello()
    trusting = ssl.create_default_context()
    trusting.check_hostname = False
    trusting.verify_mode = ssl.CERT_NONE

    def attacker(n):
        source = (f"127.0.1.{10 + n % 10}", 0)
        while time.monotonic() < end:
            try:
                with socket.create_connection(("127.0.0.1", s.port), timeout=5, source_address=source) as raw:
                    if n % 2:
                        conn, data = raw, hello
                    else:
                        conn = trusting.wrap_socket(raw)
                        data = b"GET / HTTP/1.1\r\nHost: x\r\nX-Lento: " + b"a" * 10000
                    for i in range(len(data)):
                        if time.monotonic() >= end:
                            return
                        conn.sendall(data[i:i + 1])
                        time.sleep(2)
            except OSError:
                time.sleep(0.2)

    attackers = [threading.Thread(target=attacker, args=(n,), daemon=True) for n in range(96)]
    for t in attackers:
        t.start()
    time.sleep(5)  # every slot taken
    body = json.dumps({"args": [BRANCH, [None] * 24, [None] * 24]}).encode()
    tries = ok = 0
    while time.monotonic() < end - 5:
        for method, data in ((None, None), ("PAD.rdmExpDados/getTabelas", body)):
            tries += 1
            try:
                if method is None:
                    r = urllib.request.urlopen(s.base + "/", timeout=20, context=s.ctx)
                    good = b"zov-appserver" in r.read()
                else:
                    status, text = s.post(method, data)
                    good = status == 200
                    if not good:
                        print("honest download:", status, text[:120], file=sys.stderr)
            except (OSError, urllib.error.URLError) as e:
                good = False
                print("honest connection test:", e, file=sys.stderr)
            ok += good
        time.sleep(1)
    for t in attackers:
        t.join()
    figure("hostile_slow_senders_honest_ok", int(ok == tries and tries > 0), "bool")
    figure("hostile_slow_senders_honest", f"{ok}/{tries}", "calls")
    figure("hostile_slow_senders_peak_mb", s.peak_mb(), "MB")
    s.stop()


CASES = [client_string_bomb, server_gzip_bomb, server_extra_columns, server_long_text, server_unauth_body,
         server_plain_string, server_empty_lists, server_slow_senders]


def main():
    chosen = sys.argv[2:]
    with tempfile.TemporaryDirectory() as work:
        for case in CASES:
            if not chosen or case.__name__ in chosen:
                case(work)


if __name__ == "__main__":
    main()
