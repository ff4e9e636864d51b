#!/usr/bin/env python3
"""A small HTTP(S) server on 127.0.0.1 for the web tests: it serves files and
plays well-behaved and hostile servers on purpose.

  loopback_server.py --port N --port-file F --root DIR --log F [--tls CERT KEY]

--port 0 takes any free port; the port is written to --port-file (atomically)
once the server listens. --log gets each request's request line and header
lines as received, then an empty line.

Paths with a behaviour of their own (the query is ignored):
  /ok            200, body "ok\\n"
  /echo          200, the request head as received is the body
  /status/NNN    status NNN with a small body "status NNN body\\n"
  /zero          200, body "ab", a zero byte, "cd"
  /empty         200, empty body
  /cookies       200, "Set-Cookie: a=1; path=/", "Set-Cookie: b=2", "set-cookie: c=3"
  /bigheaders    200, about 6000 bytes of headers, body "big headers\\n"
  /hugeheaders   200, about 1 MB of headers, body "huge headers\\n"
  /redirect      302 to /ok
  /loop          302 to /loop, for ever
  /drip          200, Content-Length 300, one byte per second
  /silent        reads the request, never answers
  /huge          200, a 24 MiB body, streamed
  /truncated     200, Content-Length 1000, 100 bytes sent, then closed
  /junk          4 KiB of binary junk instead of HTTP, then closed
  /reset         reads the request, then resets the connection
Every other path is a file under --root, the path percent-decoded as UTF-8;
a missing file gives 404 with a small HTML body.

Control file ROOT/_mode: while it exists, its first word (one of the names
above without "/", e.g. "drip") makes every request behave that way; the word
"refuse" closes the listening socket until the file is gone or says something
else, then listens again on the same port. It is read every 100 ms.

Slow behaviours end by themselves after SLOW_LIMIT seconds; a request head is
read for at most 30 s and 64 KiB.
"""

import argparse
import os
import select
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse

SLOW_LIMIT = 150
HEAD_LIMIT = 64 * 1024
HUGE_SIZE = 24 * 1024 * 1024
BEHAVIOURS = ("ok", "echo", "zero", "empty", "cookies", "bigheaders", "hugeheaders",
              "redirect", "loop", "drip", "silent", "huge", "truncated", "junk", "reset")

log_lock = threading.Lock()


def read_head(conn):
    """The request head up to the empty line, or None."""
    data = b""
    deadline = time.monotonic() + 30
    while b"\r\n\r\n" not in data:
        left = deadline - time.monotonic()
        if left <= 0 or len(data) > HEAD_LIMIT:
            return None
        conn.settimeout(left)
        chunk = conn.recv(4096)
        if not chunk:
            return None
        data += chunk
    return data[: data.index(b"\r\n\r\n") + 4]


def response(status, reason, body=b"", headers=(), content_type="text/plain"):
    lines = ["HTTP/1.1 %d %s" % (status, reason),
             "Content-Type: " + content_type,
             "Content-Length: %d" % len(body),
             "Connection: close"]
    lines.extend(headers)
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body


def hold(conn, seconds):
    """Keeps the connection open, reading and dropping what arrives."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        conn.settimeout(max(0.1, deadline - time.monotonic()))
        try:
            if not conn.recv(4096):
                return
        except socket.timeout:
            return


class Server:
    def __init__(self, args):
        self.args = args
        self.root = os.path.abspath(args.root)
        self.port = args.port
        self.listener = None
        self.tls = None
        if args.tls:
            self.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            self.tls.load_cert_chain(args.tls[0], args.tls[1])

    def mode(self):
        try:
            with open(os.path.join(self.root, "_mode"), "rb") as f:
                words = f.read(200).split()
            return words[0].decode("ascii", "replace").lower() if words else ""
        except OSError:
            return ""

    def listen(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind(("127.0.0.1", self.port))
        s.listen(64)
        self.port = s.getsockname()[1]
        self.listener = s

    def run(self):
        self.listen()
        tmp = self.args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % self.port)
        os.replace(tmp, self.args.port_file)
        while True:
            refusing = self.mode() == "refuse"
            if refusing and self.listener:
                self.listener.close()
                self.listener = None
            elif not refusing and not self.listener:
                self.listen()
            if not self.listener:
                time.sleep(0.1)
                continue
            ready, _, _ = select.select([self.listener], [], [], 0.1)
            if ready:
                conn, _ = self.listener.accept()
                threading.Thread(target=self.serve, args=(conn,), daemon=True).start()

    def serve(self, conn):
        try:
            if self.tls:
                conn.settimeout(30)
                conn = self.tls.wrap_socket(conn, server_side=True)
            head = read_head(conn)
            if head is None:
                return
            with log_lock, open(self.args.log, "ab") as f:
                f.write(head)
            self.answer(conn, head)
        except Exception:  # a hostile client ends its own connection only
            pass
        finally:
            try:
                conn.close()
            except OSError:
                pass

    def answer(self, conn, head):
        lines = head.split(b"\r\n")
        parts = lines[0].split(b" ")
        target = parts[1].decode("latin-1") if len(parts) > 1 else "/"
        host = "127.0.0.1:%d" % self.port
        for line in lines[1:]:
            if line.lower().startswith(b"host:"):
                host = line[5:].strip().decode("latin-1")
        path = urllib.parse.urlsplit(target).path
        name = self.mode()
        if name not in BEHAVIOURS:
            name = path.strip("/")
            if name.startswith("status/"):
                code = int(name[7:]) if name[7:].isdigit() else 500
                conn.sendall(response(code, "Status",
                                      b"status %d body\n" % code))
                return
            if name not in BEHAVIOURS:
                self.send_file(conn, path)
                return
        scheme = "https" if self.tls else "http"
        if name == "ok":
            conn.sendall(response(200, "OK", b"ok\n"))
        elif name == "echo":
            conn.sendall(response(200, "OK", head))
        elif name == "zero":
            conn.sendall(response(200, "OK", b"ab\x00cd"))
        elif name == "empty":
            conn.sendall(response(200, "OK"))
        elif name == "cookies":
            conn.sendall(response(200, "OK", b"cookies\n",
                                  ["Set-Cookie: a=1; path=/", "Set-Cookie: b=2",
                                   "set-cookie: c=3"]))
        elif name == "bigheaders":
            filler = ["X-Filler-%02d: %s" % (i, "f" * 90) for i in range(60)]
            conn.sendall(response(200, "OK", b"big headers\n",
                                  filler + ["Set-Cookie: big=1"]))
        elif name == "hugeheaders":
            filler = ["X-Filler-%05d: %s" % (i, "h" * 1000) for i in range(1000)]
            conn.sendall(response(200, "OK", b"huge headers\n", filler))
        elif name == "redirect":
            conn.sendall(response(302, "Found", b"moved\n",
                                  ["Location: %s://%s/ok" % (scheme, host)]))
        elif name == "loop":
            conn.sendall(response(302, "Found", b"again\n",
                                  ["Location: %s://%s/loop" % (scheme, host)]))
        elif name == "drip":
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
                         b"Content-Length: 300\r\nConnection: close\r\n\r\n")
            start = time.monotonic()
            for _ in range(300):
                if time.monotonic() - start > SLOW_LIMIT:
                    break
                conn.sendall(b"d")
                time.sleep(1)
        elif name == "silent":
            hold(conn, SLOW_LIMIT)
        elif name == "huge":
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                         b"Content-Length: %d\r\nConnection: close\r\n\r\n" % HUGE_SIZE)
            chunk = b"0123456789abcdef" * 4096
            sent, start = 0, time.monotonic()
            while sent < HUGE_SIZE and time.monotonic() - start < SLOW_LIMIT:
                conn.sendall(chunk)
                sent += len(chunk)
        elif name == "truncated":
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
                         b"Content-Length: 1000\r\nConnection: close\r\n\r\n" + b"t" * 100)
        elif name == "junk":
            junk = bytes((i * 131 + 7) % 256 for i in range(4096))
            conn.sendall(junk)
        elif name == "reset":
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))

    def send_file(self, conn, path):
        rel = urllib.parse.unquote(path, encoding="utf-8", errors="strict").lstrip("/")
        full = os.path.abspath(os.path.join(self.root, rel))
        if full.startswith(self.root + os.sep) and os.path.isfile(full):
            with open(full, "rb") as f:
                body = f.read(HUGE_SIZE)
            conn.sendall(response(200, "OK", body))
        else:
            conn.sendall(response(404, "Not Found",
                                  b"<html><body><h1>404 Not Found</h1></body></html>\n",
                                  content_type="text/html"))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--port-file", required=True)
    p.add_argument("--root", required=True)
    p.add_argument("--log", required=True)
    p.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    Server(p.parse_args()).run()


if __name__ == "__main__":
    sys.exit(main())
