"""Runs the browser build in Debian's headless chromium (shared by the web tests).

A tiny HTTP server serves the web build folder (the site under site/, test
files under tests/); run_page.mjs loads a page through playwright-core and
hands back the page's result once its run has ended.
"""
import http.server
import json
import os
import subprocess
import tempfile
import threading
import zlib

SKIP = 77  # ctest's skip code


class Server:
    """Serves ROOT on a free loopback port, quietly."""

    def __init__(self, root):
        handler = lambda *a, **k: _Quiet(*a, directory=root, **k)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def url(self, path):
        return "http://127.0.0.1:%d/%s" % (self.port, path)

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class _Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript"})

    def log_message(self, *args):
        pass


def run_page(url, profile, tabs=1, failing_storage=False):
    """window.kurunoaResult of the page's run in the browser profile folder
    (None when the page gave none); SKIP when the browser cannot run here.
    With tabs, that many pages run at once and the result is their list;
    failing_storage makes the browser's storage refuse every write."""
    fd, out = tempfile.mkstemp(suffix=".json")
    os.close(fd)
    try:
        here = os.path.dirname(os.path.abspath(__file__))
        command = ["node", os.path.join(here, "run_page.mjs"), url, profile, out]
        if tabs != 1:
            command += ["--tabs", str(tabs)]
        if failing_storage:
            command.append("--failing-storage")
        done = subprocess.run(command,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
        if done.returncode == SKIP:
            return SKIP
        if done.returncode != 0:
            print(done.stdout.decode("utf-8", "replace")[-2000:])
            return None
        with open(out) as f:
            return json.load(f)
    finally:
        os.remove(out)


def png_pixels(data):
    """(width, height, rows of RGB bytes) of an 8-bit RGB PNG, any filter."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        n = int.from_bytes(data[at:at + 4], "big")
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + n]
        if kind == b"IHDR":
            width, height = int.from_bytes(body[0:4], "big"), int.from_bytes(body[4:8], "big")
            assert body[8] == 8 and body[9] == 2 and body[12] == 0, "only 8-bit RGB"
        elif kind == b"IDAT":
            idat += body
        at += 12 + n
    raw, stride, rows, prev = zlib.decompress(idat), 3 * width, [], bytearray(3 * width)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 3] if i >= 3 else 0
            b = prev[i]
            c = prev[i - 3] if i >= 3 else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, rows
