#!/usr/bin/python3
"""The web server of the download tests: the files of ROOT, and by path the answers a careless or
hostile server gives (serving ROOT/landscape.bmp where they serve a picture). Listens on free
ports of 127.0.0.1 (HTTP, HTTPS with FOLDER/trusted.pem, HTTPS with an untrusted certificate),
writes them in that order to FOLDER/ready, and ends when the process PARENT ends or in ten minutes.
usage: hostile_server.py ROOT FOLDER PARENT"""

import functools
import gzip
import http.server
import itertools
import os
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time

ROOT, FOLDER, PARENT = sys.argv[1], sys.argv[2], int(sys.argv[3])
PORTS = {}
# Two self-signed certificates: the tests trust the first, never the second.
CERTIFICATE = (
    "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1"
    " -addext subjectAltName=DNS:127.0.0.1,IP:127.0.0.1,DNS:localhost -keyout {0}.key -out {0}.pem"
)


def picture():
    with open(os.path.join(ROOT, "landscape.bmp"), "rb") as file:
        return file.read()


class Handler(http.server.SimpleHTTPRequestHandler):
    """Serves the files of ROOT, and the hostile answers by their paths."""

    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        answer = HOSTILE.get(self.path)
        if answer is None:
            super().do_GET()
            return
        self.close_connection = True
        try:
            answer(self)
        except OSError:
            pass  # the client left

    def head(self, status=200, length=None, *extra):
        self.send_response(status)
        if length is not None:
            self.send_header("Content-Length", str(length))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()

    def send(self, body, status=200, *extra):
        self.head(status, len(body), *extra)
        self.wfile.write(body)

    def drip(self, chunks, pause):
        for chunk in chunks:
            self.wfile.write(chunk)
            self.wfile.flush()
            time.sleep(pause)

    def stall(self):
        """Holds the connection open, sending nothing, until the client leaves or 30 s pass."""
        self.connection.settimeout(30)
        self.connection.recv(1)

    def reset(self):
        body = picture()
        self.head(200, len(body))
        self.wfile.write(body[: len(body) // 2])
        self.wfile.flush()
        time.sleep(0.2)
        # Closing with a zero linger time sends a reset instead of the orderly end.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.rfile.close()
        self.wfile.close()
        self.connection.close()

    def chunked(self):
        body = picture()
        self.head(200, None, ("Transfer-Encoding", "chunked"))
        for at in range(0, len(body), 100):
            self.wfile.write(b"%x\r\n%s\r\n" % (len(body[at : at + 100]), body[at : at + 100]))
        self.wfile.write(b"0\r\n\r\n")

    def stall_body(self):
        self.head(200, len(picture()))
        self.wfile.write(picture()[:300])
        self.wfile.flush()
        self.stall()

    def drip_body(self):
        body = picture()
        self.head(200, len(body))
        self.drip([body[:300]] + [body[at : at + 1] for at in range(300, len(body))], 9)


HOSTILE = {
    # A client that took the body before judging the announced length would pass the time limit.
    "/big-length": lambda h: (h.head(200, 6000000), h.drip([picture()] + [bytes(16384)] * 400, 0.1)),
    "/reset": Handler.reset,
    "/chunked": Handler.chunked,
    "/gzip": lambda h: h.send(gzip.compress(picture()), 200, ("Content-Encoding", "gzip")),
    "/404": lambda h: h.send(picture(), 404),
    "/stall-headers": Handler.stall,
    "/stall-body": Handler.stall_body,
    "/drip-headers": lambda h: h.drip(
        itertools.chain([b"HTTP/1.1 200 OK\r\n"], itertools.repeat(b"X-Drip: 1\r\n", 1000)), 1
    ),
    "/continue": lambda h: h.drip(itertools.repeat(b"HTTP/1.1 100 Continue\r\n\r\n", 1000), 1),
    "/drip-body": Handler.drip_body,
    "/to-http": lambda h: h.send(b"", 302, ("Location", f"http://127.0.0.1:{PORTS['http']}/landscape.bmp")),
}


def listen(name=None):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=ROOT))
    if name:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(FOLDER, name + ".pem"), os.path.join(FOLDER, name + ".key"))
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def parent_alive():
    try:
        os.kill(PARENT, 0)
        return True
    except OSError:
        return False


def main():
    for name in ("trusted", "untrusted"):
        subprocess.run(CERTIFICATE.format(name).split(), cwd=FOLDER, check=True, capture_output=True)
    PORTS.update(http=listen(), https=listen("trusted"), untrusted=listen("untrusted"))
    with open(os.path.join(FOLDER, "ready.part"), "w", encoding="utf-8") as out:
        out.write("{http} {https} {untrusted}\n".format(**PORTS))
    os.replace(os.path.join(FOLDER, "ready.part"), os.path.join(FOLDER, "ready"))
    deadline = time.monotonic() + 600
    while parent_alive() and time.monotonic() < deadline:
        time.sleep(0.2)
    return 0


if __name__ == "__main__":
    sys.exit(main())
