#!/usr/bin/python3
"""The web server of the download tests: the files of ROOT, and by path the answers a careless or
hostile server gives (serving ROOT/landscape.bmp where they serve a picture). Listens on free
ports of 127.0.0.1 (HTTP, HTTPS with FOLDER/trusted.pem, HTTPS with an untrusted certificate),
writes them in that order to FOLDER/ready, and ends when the process PARENT ends.
usage: hostile_server.py ROOT FOLDER PARENT"""

import functools
import gzip
import http.server
import os
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time

ROOT, FOLDER, PARENT = sys.argv[1], sys.argv[2], int(sys.argv[3])
HOSTILE = {}
# Two self-signed certificates: the tests trust the first, never the second.
CERTIFICATE = (
    "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1"
    " -addext subjectAltName=DNS:127.0.0.1,IP:127.0.0.1,DNS:localhost -keyout {0}.key -out {0}.pem"
)


def answers(http_port):
    """By path: the status and headers (none: nothing but the chunks), the chunks sent with a pause
    after each, and then "stall" (nothing more until the client leaves or 30 s pass), "reset" or the
    end."""
    with open(os.path.join(ROOT, "landscape.bmp"), "rb") as file:
        body = file.read()
    length = ("Content-Length", len(body))
    packed = gzip.compress(body)
    pieces = [body[at : at + 100] for at in range(0, len(body), 100)]
    chunked = b"".join(b"%x\r\n%s\r\n" % (len(piece), piece) for piece in pieces) + b"0\r\n\r\n"
    drip = [body[at : at + 1] for at in range(300, len(body))]
    redirect = [("Location", f"http://127.0.0.1:{http_port}/landscape.bmp"), ("Content-Length", 0)]
    return {
        # A client that took the body before judging the announced length would pass the time limit.
        "/big-length": (200, [("Content-Length", 6000000)], [body] + [bytes(16384)] * 400, 0.1, None),
        "/chunked": (200, [("Transfer-Encoding", "chunked")], [chunked], 0, None),
        "/gzip": (200, [("Content-Length", len(packed)), ("Content-Encoding", "gzip")], [packed], 0, None),
        "/404": (404, [length], [body], 0, None),
        "/to-http": (302, redirect, [], 0, None),
        "/reset": (200, [length], [body[: len(body) // 2]], 0.2, "reset"),
        "/stall-headers": (None, [], [], 0, "stall"),
        "/stall-body": (200, [length], [body[:300]], 0, "stall"),
        "/continue": (None, [], [b"HTTP/1.1 100 Continue\r\n\r\n"] * 1000, 1, None),
        "/drip-body": (200, [length], [body[:300]] + drip, 9, None),
    }


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        if self.path not in HOSTILE:
            super().do_GET()
            return
        status, headers, chunks, pause, ending = HOSTILE[self.path]
        self.close_connection = True
        try:
            if status:
                self.send_response(status)
                for name, value in headers:
                    self.send_header(name, str(value))
                self.end_headers()
            for chunk in chunks:
                self.wfile.write(chunk)
                self.wfile.flush()
                time.sleep(pause)
            if ending == "stall":
                self.connection.settimeout(30)
                self.connection.recv(1)
            elif ending == "reset":
                # Closing with a zero linger time sends a reset instead of the orderly end.
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.rfile.close()
                self.wfile.close()
                self.connection.close()
        except OSError:
            pass  # the client left


def listen(name=None):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=ROOT))
    if name:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(FOLDER, name + ".pem"), os.path.join(FOLDER, name + ".key"))
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def main():
    for name in ("trusted", "untrusted"):
        subprocess.run(CERTIFICATE.format(name).split(), cwd=FOLDER, check=True, capture_output=True)
    ports = [listen(), listen("trusted"), listen("untrusted")]
    HOSTILE.update(answers(ports[0]))
    with open(os.path.join(FOLDER, "ready.part"), "w", encoding="utf-8") as out:
        out.write(" ".join(map(str, ports)) + "\n")
    os.replace(os.path.join(FOLDER, "ready.part"), os.path.join(FOLDER, "ready"))
    try:
        while True:
            os.kill(PARENT, 0)  # fails once the parent has ended
            time.sleep(0.2)
    except OSError:
        return 0


if __name__ == "__main__":
    sys.exit(main())
