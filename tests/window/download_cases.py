"""Pictures downloaded from an address on the clipboard: korvi.exe against the download suite's
server (tests/web/hostile_server.py), started once for the module with HTTPS certificates of a
test authority that the Wine prefix is made to trust."""
import atexit
import base64
import json
import os
import pathlib
import re
import subprocess
import tempfile

import screen
from harness import CAPTION, PREVIEW, Conversions, bmp_bytes, read_clipboard_text, wait_until

SERVER = pathlib.Path(__file__).resolve().parent.parent / "web" / "hostile_server.py"
PROGRESS_CAPTION = "絵送(KORVI) [ダウンロード]"
OPEN_DIALOG = "元の画像ファイルを選択する"
IDOK, IDCANCEL, PROGRESS_BAR, WS_DISABLED = 1, 2, 1069, 0x08000000
DOWNLOAD_FAILED = "ファイルのダウンロードができませんでした."


def colours(x, y):
    return (x * 4 % 256, y * 5 % 256, (x + y) * 3 % 256)


class TestServer:
    """The server with its pictures, pages and certificates, in a folder of its own."""

    def __init__(self):
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix="korvi-download-"))
        self.root = self.folder / "www"
        (self.root / "a").mkdir(parents=True)
        self._certificates()
        ready = self.folder / "ready.json"
        self.process = subprocess.Popen(
            ["/usr/bin/python3", str(SERVER), "--root", str(self.root), "--ready", str(ready),
             "--log", str(self.folder / "server.log"),
             "--cert", str(self.folder / "server.pem"), str(self.folder / "server.key"),
             "--untrusted", str(self.folder / "untrusted.pem"), str(self.folder / "untrusted.key")],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        atexit.register(self.stop)
        self.ports = wait_until(lambda: ready.exists() and json.loads(ready.read_text()), 20, "the server")

    def _certificates(self):
        key = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2"]
        (self.folder / "server.ext").write_text("subjectAltName=DNS:127.0.0.1,IP:127.0.0.1,DNS:localhost\n"
                                                "basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")
        for command in (
                ["req", "-x509", *key, "-keyout", "ca.key", "-out", "ca.pem", "-subj", "/CN=korvi-test-authority",
                 "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign"],
                ["req", *key, "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1"],
                ["x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
                 "-days", "2", "-extfile", "server.ext", "-out", "server.pem"],
                ["req", "-x509", *key, "-keyout", "untrusted.key", "-out", "untrusted.pem", "-subj", "/CN=127.0.0.1",
                 "-addext", "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1,DNS:localhost"]):
            subprocess.run(["openssl", *command], cwd=self.folder, check=True, capture_output=True, timeout=60)
        ca = "Z:" + str(self.folder / "ca.pem").replace("/", "\\")
        subprocess.run(["wine", os.environ["KORVI_TRUST_CA"], ca], check=True, capture_output=True, timeout=60)

    def url(self, path, listener="http"):
        scheme = "http" if listener == "http" else "https"
        return f"{scheme}://127.0.0.1:{self.ports[listener]}/{path}"

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        subprocess.run(["rm", "-rf", str(self.folder)], check=False)


_server = None


def server():
    global _server
    if _server is None:
        _server = TestServer()
    return _server


class Downloads(Conversions):
    def setUp(self):
        super().setUp()
        self.server = server()

    def publish(self, name, data):
        (self.server.root / name).write_bytes(data)
        return data

    def gif(self, name, width, height):
        """A GIF of the program's own writer, taken from korvi-cli's tag."""
        self.path("picture.bmp").write_bytes(bmp_bytes(width, height, colours))
        tag = self.cli_tag("picture.bmp", "-f", "gif", "-m", "0")
        return self.publish(name, base64.b64decode(re.search(rb"base64,([^\"]+)", tag).group(1)))

    def download(self, window, url):
        """Copies the address as a Windows program would and clicks the preview, as a user takes a
        picture. (Text put on the X clipboard can reach Wine a moment after X reports it there.)"""
        self.probe.call("place-text", url)
        self.click_control(window, PREVIEW)

    def failure_message(self, window, timeout=30.0):
        """Waits for the message box over the main window and closes it; returns its text. Found by
        its owner, which needs no message, since the main window does not answer while it downloads."""
        def box():
            for dialog in self.dialogs(CAPTION):
                if dialog["owner"] == window:
                    statics = [t for _, cls, t in self.probe.children(dialog["handle"]) if cls.lower() == "static"]
                    if statics:
                        return dialog["handle"], "".join(statics)
            return None
        handle, text = wait_until(box, timeout, "the message box")
        self.probe.call("command", handle, IDOK)
        return text

    def cancel_file_dialog(self):
        """After a failed download the program offers the open-file dialog, as for an empty clipboard."""
        dialog = wait_until(lambda: next(iter(self.dialogs(OPEN_DIALOG)), None), what="the open-file dialog")
        self.probe.call("command", dialog["handle"], IDCANCEL)
        wait_until(lambda: self.dialogs(OPEN_DIALOG) == [], what="the open-file dialog to close")

    def test_an_address_on_the_clipboard_becomes_the_current_picture(self):
        served = {"pic.bmp": self.publish("pic.bmp", bmp_bytes(64, 48, colours)),
                  "pic.gif": self.gif("pic.gif", 40, 30), "a/pic.gif": self.gif("a/pic.gif", 50, 20)}
        (self.server.root / "a/dot.html").write_text('<meta http-equiv="refresh" content="0; url=./pic.gif">')
        window = self.start()
        for url, picture, work_file, size in [
                (self.server.url("pic.bmp"), "pic.bmp", "$korvi2.bmp", "64 x 48"),
                (self.server.url("pic.gif", "https"), "pic.gif", "$korvi2.gif", "40 x 30"),
                (self.server.url("a/dot.html"), "a/pic.gif", "$korvi2.gif", "50 x 20")]:
            with self.subTest(url=url):
                self.download(window, url)
                wait_until(lambda: self.shown_size(window) == size, 20, f"the size {size}")
                self.assertEqual(self.path(work_file).read_bytes(), served[picture])
                self.assertEqual(self.message_boxes(), [])
                wait_until(lambda: self.probe.call("formats") == "", what="the address to be taken off")

    def test_a_text_copied_during_the_download_stays_on_the_clipboard(self):
        self.publish("pic.bmp", bmp_bytes(64, 48, colours))
        window = self.start()
        self.download(window, self.server.url("late.bmp"))
        wait_until(lambda: self.dialogs(PROGRESS_CAPTION), 10, "the progress window")
        self.put_clipboard_text("copied meanwhile")
        wait_until(lambda: self.shown_size(window) == "64 x 48", 20, "the picture")
        self.assertEqual(read_clipboard_text(), b"copied meanwhile")

    def test_a_failed_download_shows_its_message_and_keeps_the_picture(self):
        self.publish("pic.bmp", bmp_bytes(64, 48, colours))
        self.publish("tiny.gif", b"GIF89a\x0a\x00\x0a\x00".ljust(40, b" "))
        self.publish("nowhere.jpg", b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\x12\xc0"
                     .ljust(300, b" "))
        window = self.start()
        self.download(window, self.server.url("pic.bmp"))
        wait_until(lambda: self.shown_size(window) == "64 x 48", 20, "the first picture")
        for url, message in [(self.server.url("tiny.gif"), DOWNLOAD_FAILED),
                             (self.server.url("nowhere.jpg"), "未知のファイルフォーマットです."),
                             (self.server.url("pic.bmp", "untrusted"), DOWNLOAD_FAILED),
                             ("http://127.0.0.1:1/pic.bmp", DOWNLOAD_FAILED)]:
            with self.subTest(url=url):
                self.download(window, url)
                self.assertEqual(self.failure_message(window), message)
                self.cancel_file_dialog()
                self.assertEqual(self.shown_size(window), "64 x 48")

    def test_the_progress_window_stands_while_the_server_stalls(self):
        self.publish("pic.bmp", bmp_bytes(64, 48, colours))
        window = self.start()
        self.download(window, self.server.url("stall-body.gif"))
        # The program's thread is held by the download: only what needs no message can be read.
        progress = wait_until(lambda: next((w["handle"] for w in self.dialogs(PROGRESS_CAPTION)), None), 10,
                              "the progress window")
        self.assertTrue(self.probe.styles(progress, IDCANCEL)[0] & WS_DISABLED, "the cancel button is greyed")
        # The bar is drawn at 20 %, although no message loop runs: its filled share of the middle row.
        left, top, right, bottom = self.probe.rect(progress, PROGRESS_BAR)
        row = screen.grab(left + 2, (top + bottom) // 2, right - left - 4, 1)[0]
        filled = sum(1 for r, g, b in row if b > r + 60) / len(row)
        self.assertAlmostEqual(filled, 0.2, delta=0.05)
        self.assertEqual(self.failure_message(window), DOWNLOAD_FAILED)
        self.assertEqual(self.dialogs(PROGRESS_CAPTION), [])
