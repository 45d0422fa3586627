"""Driving korvi.exe under Wine as a user would: each case starts it afresh in a folder of its own
on the suite's X display; the mouse and keyboard go through xdotool, the X clipboard through xclip,
the rest through korvi-probe.exe. Every wait polls against a deadline."""
import atexit
import configparser
import functools
import http.server
import os
import pathlib
import re
import select
import shutil
import struct
import subprocess
import tempfile
import threading
import time
import types
import unittest

from Xlib import X, display

SOURCE = pathlib.Path(__file__).resolve().parents[2]
CAPTION = "絵送(KORVI)"
MAIN_DIALOG = "#32770"
OPEN_DIALOG = "元の画像ファイルを選択する"
COPIED = "クリップボードにコピーしました．"
NO_PICTURE = "変換する画像が設定されていません．"
CANNOT_WRITE = "ファイルが書き込み出来ませんでした．"
IDOK, IDCANCEL, WS_EX_TOPMOST, CF_TEXT, CF_DIB = 1, 2, 0x8, 1, 8
MESSAGE_TEXT = 0xFFFF  # the text of a message box
WM_CLOSE, WM_COMMAND, WM_SYSCOMMAND, SC_MINIMIZE = 0x10, 0x111, 0x112, 0xF020
# The program's resource and control ids, read from the header its resource script includes.
ids = types.SimpleNamespace(**{name: int(value) for name, value in re.findall(
    r"^#define (ID\w+) (\d+)", (SOURCE / "resources" / "resource_ids.h").read_text(), re.M)})


class Paths:
    """Set once by the runner: the programs under test and the folder the cases work in."""
    korvi = probe = cli = work = None


# The Wine that runs the build under test, as scripts/wine-suite.sh chose it.
WINE = os.environ.get("KORVI_WINE", "wine")


def wait_until(condition, timeout=10.0, what="the condition", interval=0.05):
    """Polls until condition() gives something true and returns it; fails after the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, timeout=10)


def ask_root(question):
    """question(root window) on a connection of its own to the X display."""
    connection = display.Display()
    try:
        return question(connection.screen().root)
    finally:
        connection.close()


def pointer_and_screen():
    """Where X has the pointer and the screen's size, asked of the root window alone: xdotool's
    getmouselocation also looks up the window under the pointer and dies of an X error when that
    window goes away meanwhile."""
    pointer, size = ask_root(lambda root: (root.query_pointer(), root.get_geometry()))
    return (pointer.root_x, pointer.root_y), (size.width, size.height)


def grab(x, y, width, height):
    """A rectangle of the screen as rows of (r, g, b), top row first."""
    raw = ask_root(lambda root: root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data)
    stride = len(raw) // height
    return [[tuple(raw[row * stride + 4 * col + 2 - c] for c in range(3)) for col in range(width)]
            for row in range(height)]


def move_mouse(x, y):
    """Moves the pointer and waits until X reports it there (--sync would wait forever for a
    pointer that is already in place)."""
    xdotool("mousemove", x, y)
    wait_until(lambda: pointer_and_screen()[0] == (x, y), what=f"the pointer at {x}, {y}")


DOUBLE_CLICK_SECONDS, DOUBLE_CLICK_PIXELS = 0.5, 2  # the system's defaults: half the 4 x 4 rectangle
last_click = {}


def click_at(x, y):
    """Clicks at a point. A click near the previous one waits out the double-click time first: it would
    be the second half of a double click, which the preview box does not act on."""
    move_mouse(x, y)
    previous = last_click.get("left")
    if previous and abs(previous[0] - x) <= DOUBLE_CLICK_PIXELS and abs(previous[1] - y) <= DOUBLE_CLICK_PIXELS:
        time.sleep(max(0.0, previous[2] + DOUBLE_CLICK_SECONDS - time.monotonic()))
    xdotool("click", 1)
    last_click["left"] = (x, y, time.monotonic())


def read_clipboard_text():
    """The X clipboard as bytes, or None when it holds no text or X's request to Wine stalls (seen
    once in some runs, gone when asked again)."""
    try:
        result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, timeout=3)
    except subprocess.TimeoutExpired:
        return None
    return result.stdout if result.returncode == 0 else None


def reg(*args, check=True):
    subprocess.run([WINE, "reg", *args], check=check, timeout=60, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def bmp_bytes(width, height, colour):
    """A 24-bit bottom-up BMP file; colour(x, y) gives (r, g, b) with y counted from the top."""
    stride = (width * 3 + 3) // 4 * 4
    data = b"".join(bytes(b for x in range(width) for b in reversed(colour(x, y))).ljust(stride, b"\0")
                    for y in reversed(range(height)))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54) + info + data


class PictureServer:
    """A plain HTTP server in a thread of this process: the files of its folder, and "late.bmp" (its
    "pic.bmp" after four seconds) and "stall-body.gif" (the head and the first 300 bytes of "pic.bmp",
    then nothing for 30 s), as from a slow server."""

    def __init__(self):
        root = self.root = pathlib.Path(tempfile.mkdtemp(prefix="korvi-server-"))
        atexit.register(shutil.rmtree, root, True)

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                if self.path not in ("/late.bmp", "/stall-body.gif"):
                    return super().do_GET()
                late, body = self.path == "/late.bmp", (root / "pic.bmp").read_bytes()
                time.sleep(4 if late else 0)
                self.send_response(200)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body if late else body[:300])
                self.wfile.flush()
                time.sleep(0 if late else 30)

        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=str(root)))
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.port = server.server_address[1]

    def publish(self, name, data):
        (self.root / name).write_bytes(data)
        return self.url(name)

    def url(self, name):
        return f"http://127.0.0.1:{self.port}/{name}"


class Probe:
    """korvi-probe.exe kept running for a case; call() sends one command and returns its answer."""

    def __init__(self):
        # Unbuffered: select() sees only what no buffer has read ahead.
        self.process = subprocess.Popen([WINE, Paths.probe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, bufsize=0)

    def call(self, *args, timeout=15.0):
        self.process.stdin.write(("\t".join(map(str, args)) + "\n").encode("utf-8"))
        if not select.select([self.process.stdout], [], [], timeout)[0]:
            raise AssertionError(f"the probe did not answer {args[0]} in {timeout} s")
        line = self.process.stdout.readline()
        if not line:
            raise AssertionError("the probe ended")
        status, _, result = line.decode("utf-8").rstrip("\r\n").partition("\t")
        result = result.replace("\x1d", "\r").replace("\x1e", "\n")
        if status != "ok":
            raise ProbeError(f"{args[0]}: {result}")
        return result

    def windows(self):
        """Visible top-level windows as dicts: handle, owner, cls, caption."""
        entries = [e.split("\t") for e in self.call("windows").split("\x1f") if e]
        return [dict(handle=int(h), owner=int(o), cls=c, caption=t) for h, o, c, t in entries]

    def rect(self, *window_and_control):
        return tuple(int(v) for v in self.call("rect", *window_and_control).split())

    def styles(self, *window_and_control):
        return tuple(int(v) for v in self.call("styles", *window_and_control).split())

    def text(self, window, control):
        return self.call("text", window, control)

    def state(self, window):
        """Which of "shown", "enabled" and "iconic" apply to the window; none once it is gone."""
        return set(self.call("state", window).split())

    def checked(self, window, control):
        return self.call("checked", window, control) == "1"

    def close(self):
        self.process.stdin.close()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


class ProbeError(AssertionError):
    pass


class KorviCase(unittest.TestCase):
    """A case with a fresh folder holding a copy of korvi.exe, a probe, and helpers to start, find,
    drive and close the program. Whatever a case started is ended in tearDown."""

    def setUp(self):
        self.folder = pathlib.Path(Paths.work) / self.id().rsplit(".", 1)[-1]
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        shutil.copy(Paths.korvi, self.folder / "korvi.exe")
        self.processes = []
        self.probe = Probe()
        self.addCleanup(self._end_everything)
        # Windows that open on the cursor open in the middle of the screen.
        width, height = pointer_and_screen()[1]
        move_mouse(width // 2, height // 2)
        # A program left over from elsewhere would answer in place of this case's.
        wait_until(lambda: self.main_window() is None, what="no other korvi.exe to be running")

    def _end_everything(self):
        for process in self.processes:
            process.kill()
            process.wait()
        self.probe.close()

    # Files beside the program.
    def path(self, name):
        return self.folder / name

    def windows_path(self, name):
        """The path korvi sees for a file of the case folder (the Linux root is drive Z:)."""
        return "Z:" + str(self.folder / name).replace("/", "\\")

    def write_settings(self, section="minicon", **keys):
        lines = [f"[{section}]"] + [f"{key}={value}" for key, value in keys.items()]
        self.path("korvi.ini").write_bytes(("\r\n".join(lines) + "\r\n").encode("cp932"))

    def settings(self, section="minicon"):
        parser = configparser.ConfigParser(interpolation=None, strict=False)
        parser.optionxform = str
        parser.read_string(self.path("korvi.ini").read_bytes().decode("cp932"))
        return dict(parser[section])

    # Starting, finding and closing the program.
    def start(self, wait=True):
        """Starts korvi.exe in the case folder; with wait, returns the main window once it is shown."""
        process = subprocess.Popen([WINE, str(self.folder / "korvi.exe")], cwd=self.folder,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return wait_until(self.main_window, what="the main window") if wait else process

    def close_with_escape(self, window):
        """Presses Esc in the main window, activated by a click on its read-only size field, and waits
        for the program to end."""
        self.click_control(window, ids.IDC_PICTURE_SIZE)
        xdotool("key", "--clearmodifiers", "Escape")
        self.wait_exit()

    def wait_exit(self):
        for process in self.processes:
            wait_until(lambda: process.poll() is not None, 15, "korvi.exe to end")
        self.processes.clear()

    def dialogs(self, caption):
        return [w for w in self.probe.windows() if w["cls"] == MAIN_DIALOG and w["caption"] == caption]

    def dialog(self, caption):
        return wait_until(lambda: next((w["handle"] for w in self.dialogs(caption)), None), what=caption)

    def _has_control(self, window, control):
        try:
            self.probe.text(window, control)
            return True
        except ProbeError:
            return False

    def main_window(self):
        """The main window's handle, or None while it is not shown."""
        for window in self.dialogs(CAPTION):
            if window["owner"] == 0 and self._has_control(window["handle"], ids.IDC_PREVIEW):
                return window["handle"]
        return None

    def message_boxes(self):
        """Shown message boxes as (handle, text) pairs: the windows of the caption with an OK button,
        found without a message to the main window (it does not answer while it downloads)."""
        boxes = []
        for window in self.dialogs(CAPTION):
            try:
                self.probe.rect(window["handle"], IDOK)
                boxes.append((window["handle"], self.probe.text(window["handle"], MESSAGE_TEXT)))
            except ProbeError:
                pass
        return boxes

    def close_message_box(self, timeout=10.0):
        try:
            box, text = wait_until(lambda: next(iter(self.message_boxes()), None), timeout, "a message box")
        except AssertionError as missing:
            # The windows shown instead tell a lost click from a slow or a different window.
            raise AssertionError(f"{missing}; shown: {self.probe.windows()}") from None
        self.probe.call("press", box, IDOK)
        wait_until(lambda: not self.message_boxes(), what="the message box to close")
        return text

    def press_and_wait_closed(self, dialog, button):
        """Presses a button that ends a dialog; the dialog's own handle tells when it is gone (a
        window list taken while it closes could meet it half destroyed)."""
        self.probe.call("press", dialog, button)
        wait_until(lambda: not self._has_control(dialog, button), what="the dialog to close")

    def choose_file(self, caption, path):
        dialog = self.dialog(caption)
        self.probe.call("set-text", dialog, 0x47C, path)
        self.press_and_wait_closed(dialog, IDOK)

    def control_centre(self, window, control):
        left, top, right, bottom = self.probe.rect(window, control)
        return (left + right) // 2, (top + bottom) // 2

    def click_control(self, window, control):
        click_at(*self.control_centre(window, control))

    def shown_size(self, window):
        return self.probe.text(window, ids.IDC_PICTURE_SIZE)

    # The clipboard and the browser.
    def place_on_clipboard(self, format, data):
        """Puts the bytes on the clipboard in that format, as a Windows program would."""
        self.probe.call("place", format, data.hex())

    def put_clipboard_text(self, text):
        self.place_on_clipboard(CF_TEXT, text.encode("cp932") + b"\0")

    def stand_in(self):
        """korvi-stand-in.exe in the case folder, as korvi sees it: it keeps its command line in
        "recorded.txt" there."""
        shutil.copy(pathlib.Path(Paths.probe).with_name("korvi-stand-in.exe"), self.path("stand-in.exe"))
        return self.windows_path("stand-in.exe")

    def record_html_opens(self):
        """Makes the shell's "open" of .html files run the stand-in."""
        command = f'"{self.stand_in()}" "%1"'
        for key, value in ((r"HKCR\.html", "htmlfile"), (r"HKCR\htmlfile\shell\open\command", command)):
            reg("add", key, "/ve", "/d", value, "/f")

    def recorded(self):
        """What the recorder was given, or None before it ran."""
        path = self.path("recorded.txt")
        return path.read_bytes().decode("cp932") if path.exists() else None

    # Conversions: the popup, the tag on the clipboard, korvi-cli's tag.
    def popup(self):
        """The popup's handle and message, or None while none is shown."""
        for window in self.dialogs(CAPTION):
            if window["owner"] and self._has_control(window["handle"], ids.IDC_NOTIFICATION_TEXT):
                return window["handle"], self.probe.text(window["handle"], ids.IDC_NOTIFICATION_TEXT)
        return None

    def wait_hidden(self, window, timeout=3.0):
        wait_until(lambda: "shown" not in self.probe.state(window), timeout, "the window to close")

    def wait_popup_closed(self):
        """Moves the pointer off the popup onto a control of the main window, where Wine still sees it
        (over the bare X root Wine keeps the last position it saw), waits for the popup to close and
        the main window to take input again; returns the popup's message."""
        handle, text = wait_until(self.popup, what="the popup")
        left, top, right, bottom = self.probe.rect(handle)
        main = self.main_window()
        move_mouse(*next(point for point in (self.control_centre(main, control) for control in (
            ids.IDC_PREVIEW, ids.IDC_PICTURE_SIZE, ids.IDC_EDIT_PICTURE, ids.IDC_MENU))
            if not (left <= point[0] < right and top <= point[1] < bottom)))
        self.wait_hidden(handle)
        wait_until(lambda: "enabled" in self.probe.state(main), what="the main window to be enabled")
        return text

    def cli(self, *args):
        """What korvi-cli.exe prints for the arguments, in the case folder."""
        result = subprocess.run([WINE, Paths.cli, *map(str, args)], capture_output=True, timeout=120, cwd=self.folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout
