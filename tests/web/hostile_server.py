#!/usr/bin/python3
"""The web server of the download tests: static files from a folder, plus answers by path that
a careless or hostile server gives. Listens on free ports of 127.0.0.1 (plain HTTP, HTTPS with a
certificate of the test authority, HTTPS with an untrusted certificate), writes them in that order
to the --ready file, appends what it saw of each hostile answer to the --log file, and ends when
its parent (--parent) ends or after ten minutes."""

import argparse
import functools
import gzip
import http.server
import itertools
import os
import socket
import ssl
import struct
import sys
import threading
import time


def parse_arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--ready", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--cert", nargs=2, required=True, metavar=("CERT", "KEY"))
    parser.add_argument("--untrusted", nargs=2, required=True, metavar=("CERT", "KEY"))
    parser.add_argument("--parent", type=int, required=True)
    return parser.parse_args()


ARGS = parse_arguments()
LOG_LOCK = threading.Lock()
PORTS = {}


def log(line):
    with LOG_LOCK, open(ARGS.log, "a", encoding="utf-8") as out:
        out.write(line + "\n")


def picture():
    with open(os.path.join(ARGS.root, "pic.bmp"), "rb") as file:
        return file.read()


class Handler(http.server.SimpleHTTPRequestHandler):
    """Serves the files of --root, and the hostile answers by their paths."""

    protocol_version = "HTTP/1.1"
    timeout = 60

    def log_message(self, *args):
        pass

    def do_GET(self):
        answer = HOSTILE.get(self.path.split("?")[0])
        if answer is None:
            super().do_GET()
        else:
            answer(self)

    def head(self, status=200, length=None, extra=()):
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        if length is not None:
            self.send_header("Content-Length", str(length))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()

    def send(self, body, status=200, extra=()):
        self.head(status, len(body), extra)
        self.wfile.write(body)

    def stream(self, name, chunks, pause=0.0):
        """Sends chunks until the client goes away; logs how many bytes it took."""
        sent = 0
        try:
            for chunk in chunks:
                self.wfile.write(chunk)
                self.wfile.flush()
                sent += len(chunk)
                if pause:
                    time.sleep(pause)
            outcome = "completed"
        except OSError:
            outcome = "client-closed"
        log(f"{name} {outcome} sent={sent}")
        self.close_connection = True

    def stall(self, seconds=30):
        """Holds the connection open, sending nothing, until the client leaves or time is up."""
        self.connection.settimeout(seconds)
        try:
            self.connection.recv(1)
        except OSError:
            pass
        self.close_connection = True

    # The hostile answers.

    def big_length(self):
        body = picture()
        self.head(length=6000000)
        rest = 6000000 - len(body)
        filler = [bytes(16384)] * (rest // 16384) + [bytes(rest % 16384)]
        self.stream("big-length", [body] + filler, pause=0.02)

    def endless(self):
        self.head(extra=[("Connection", "close")])
        self.stream("endless", [picture()] + [bytes(65536)] * 800)

    def short_body(self):
        body = picture()
        self.head(length=len(body) + 100)
        self.stream("short-body", [body])

    def reset(self):
        body = picture()
        self.head(length=len(body))
        self.wfile.write(body[: len(body) // 2])
        self.wfile.flush()
        time.sleep(0.2)
        # Closing with a zero linger time sends a reset instead of the orderly end.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.rfile.close()
        self.wfile.close()
        self.connection.close()
        self.close_connection = True

    def chunked(self, cut=False):
        body = picture()
        self.head(extra=[("Transfer-Encoding", "chunked")])
        pieces = [body[i : i + 100] for i in range(0, len(body), 100)]
        if cut:
            pieces = pieces[: len(pieces) // 2]
        for piece in pieces:
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
        if not cut:
            self.wfile.write(b"0\r\n\r\n")
        self.wfile.flush()
        self.close_connection = cut

    def stall_body(self):
        body = picture()
        self.head(length=len(body))
        self.wfile.write(body[:300])
        self.wfile.flush()
        self.stall()

    def drip(self, name, first, then, pause):
        """Sends `first`, then `then` after every pause, never ending on its own."""
        self.stream(name, itertools.chain([first], itertools.repeat(then, 1000)), pause)

    def drip_body(self):
        body = picture()
        self.head(length=len(body))
        self.stream("drip-body", [body[:300]] + [body[i : i + 1] for i in range(300, len(body))], pause=9)


HOSTILE = {
    "/big-length.gif": Handler.big_length,
    "/endless.gif": Handler.endless,
    "/short-body.gif": Handler.short_body,
    "/reset.gif": Handler.reset,
    "/chunked.gif": Handler.chunked,
    "/cut-chunked.gif": lambda handler: handler.chunked(cut=True),
    "/gzip.gif": lambda handler: handler.send(gzip.compress(picture()), 200, [("Content-Encoding", "gzip")]),
    "/404.gif": lambda handler: handler.send(picture(), 404),
    "/stall-headers.gif": Handler.stall,
    "/stall-body.gif": Handler.stall_body,
    "/drip-headers.gif": lambda handler: handler.drip(
        "drip-headers", b"HTTP/1.1 200 OK\r\n", b"X-Drip: 1\r\n", pause=1
    ),
    "/continue.gif": lambda handler: handler.drip(
        "continue", b"HTTP/1.1 100 Continue\r\n\r\n", b"HTTP/1.1 100 Continue\r\n\r\n", pause=1
    ),
    "/drip-body.gif": Handler.drip_body,
    "/a/moved": lambda handler: handler.send(b"", 302, [("Location", "/a/b/page.html")]),
    "/to-http.gif": lambda handler: handler.send(
        b"", 302, [("Location", f"http://127.0.0.1:{PORTS['http']}/pic.bmp")]
    ),
}


def listen(certificate=None):
    handler = functools.partial(Handler, directory=ARGS.root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    if certificate:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*certificate)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def main():
    PORTS.update(http=listen(), https=listen(ARGS.cert), untrusted=listen(ARGS.untrusted))
    with open(ARGS.ready + ".part", "w", encoding="utf-8") as out:
        out.write("{http} {https} {untrusted}\n".format(**PORTS))
    os.replace(ARGS.ready + ".part", ARGS.ready)
    deadline = time.monotonic() + 600
    while parent_alive() and time.monotonic() < deadline:
        time.sleep(0.2)
    return 0


def parent_alive():
    try:
        os.kill(ARGS.parent, 0)
        return True
    except OSError:
        return False


if __name__ == "__main__":
    sys.exit(main())
