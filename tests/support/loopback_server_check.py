#!/usr/bin/env python3
"""Quick check of loopback_server.py through its CTest fixture:
  loopback_server_check.py STATE_DIR ROOT
A few paths, the request log, a file with a Chinese name and the "refuse"
mode, each with a deadline."""

import http.client
import os
import socket
import sys
import time

state, root = sys.argv[1], sys.argv[2]
port = int(open(os.path.join(state, "port")).read())
failures = []


def get(path, timeout=10):
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout)
    c.request("GET", path, headers={"X-Check": "1"})
    r = c.getresponse()
    body = r.read()
    c.close()
    return r.status, r.getheaders(), body


def expect(what, actual, wanted):
    if actual != wanted:
        failures.append("%s: got %r, wanted %r" % (what, actual, wanted))


def wait_for(condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return False


expect("/ok", get("/ok")[::2], (200, b"ok\n"))
expect("/status/404", get("/status/404")[::2], (404, b"status 404 body\n"))
expect("/zero", get("/zero")[2], b"ab\x00cd")
expect("/empty", get("/empty")[::2], (200, b""))
cookies = [v for k, v in get("/cookies")[1] if k.lower() == "set-cookie"]
expect("/cookies", cookies, ["a=1; path=/", "b=2", "c=3"])
expect("/redirect", [v for k, v in get("/redirect")[1] if k == "Location"],
       ["http://127.0.0.1:%d/ok" % port])
os.makedirs(os.path.join(root, "dir"), exist_ok=True)
with open(os.path.join(root, "dir", "版本.txt"), "wb") as f:
    f.write(b"\"6.2\"\r\n")
expect("file", get("/dir/%E7%89%88%E6%9C%AC.txt")[::2], (200, b"\"6.2\"\r\n"))
status, _, body = get("/dir/missing.txt")
expect("missing file", (status, b"404" in body), (404, True))
expect("outside the root", get("/../../etc/passwd")[0], 404)

log = open(os.path.join(state, "requests.log"), "rb").read()
expect("log", b"GET /ok HTTP/1.1\r\n" in log and b"X-Check: 1\r\n" in log, True)

with open(os.path.join(root, "_mode"), "w") as f:
    f.write("zero\n")
expect("mode zero", get("/ok")[2], b"ab\x00cd")
with open(os.path.join(root, "_mode"), "w") as f:
    f.write("refuse\n")


def refused():
    try:
        socket.create_connection(("127.0.0.1", port), timeout=2).close()
        return False
    except ConnectionRefusedError:
        return True


expect("refuse", wait_for(refused, 10), True)
os.remove(os.path.join(root, "_mode"))
expect("listens again", wait_for(lambda: not refused(), 10), True)
expect("/ok after refuse", get("/ok")[2], b"ok\n")

for f in failures:
    print("FAIL " + f)
sys.exit(1 if failures else 0)
