"""Files and links dropped on the main window: from X as a Linux file manager or browser drops
them (XDND), and between Windows programs through DoDragDrop (korvi-drag.exe)."""
import http.server
import pathlib
import subprocess
import threading

import xdnd
from harness import (AUTO_OUTPUT, OUTPUT, PREVIEW, Conversions, Paths, bmp_bytes, read_clipboard_text, wait_until,
                     xdotool)

NO_PICTURE = "変換する画像が設定されていません．"
COPIED = "クリップボードにコピーしました．"
DOWNLOAD_FAILED = "ファイルのダウンロードができませんでした."
IDOK = 1


def colours(x, y):
    return (x * 7 % 256, y * 3 % 256, (x ^ y) % 256)


class PictureServer:
    """An HTTP server on 127.0.0.1 serving a folder and noting the paths asked for."""

    def __init__(self, folder):
        self.asked = []
        asked = self.asked

        class Handler(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=str(folder), **kwargs)

            def do_GET(self):
                asked.append(self.path)
                super().do_GET()

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def url(self, name):
        return f"http://127.0.0.1:{self.server.server_address[1]}/{name}"

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


class Drops(Conversions):
    def picture(self, name, width, height):
        path = self.path(name)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(bmp_bytes(width, height, colours))
        return path

    def preview_centre(self, window):
        return self.control_centre(window, PREVIEW)

    def x_drop(self, window, offers):
        """Drops from X on the preview; true when the drop was taken."""
        return xdnd.drop(offers, *self.preview_centre(window))

    def x_drop_files(self, window, *paths):
        return self.x_drop(window, {"text/uri-list": xdnd.file_uris(paths)})

    def x_drop_text(self, window, text):
        return self.x_drop(window, {"text/plain;charset=utf-8": text.encode("utf-8"),
                                    "UTF8_STRING": text.encode("utf-8")})

    def ole_drop(self, window, kind, *args):
        """Drags the data of korvi-drag.exe onto the preview; returns what the helper printed."""
        helper = subprocess.Popen(["wine", str(pathlib.Path(Paths.probe).with_name("korvi-drag.exe")), kind,
                                   *map(str, args)], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.processes.append(helper)
        wait_until(lambda: any(w["caption"] == "korvi-drag" for w in self.probe.windows()), 30, "the drag source")
        x, y = self.preview_centre(window)
        xdotool("mousemove", 200, 250, "mousedown", 1, "mousemove", 230, 250, "mousemove", x, y,
                "mousemove", x + 1, y + 1, "mouseup", 1)
        out, _ = helper.communicate(timeout=60)
        return out.decode().strip()

    def settled_size(self, window):
        """The shown size once every drop before now has been handled, and what a conversion posted
        behind them said: the popup's message, or the failure it reported."""
        self.probe.call("command", window, OUTPUT)
        handle, text = wait_until(lambda: self.popup() or next(iter(self.message_boxes()), None), 30,
                                  "the conversion's popup or message")
        if text == COPIED:
            self.leave_popup(handle)
            self.wait_closed(handle)
        else:
            self.probe.call("press", handle, IDOK)
            wait_until(lambda: not self.message_boxes(), 10, "the message to close")
        return self.shown_size(window), text

    def check_auto_output(self, window):
        self.probe.call("press", window, AUTO_OUTPUT)
        wait_until(lambda: self.probe.call("checked", window, AUTO_OUTPUT) == "1", what="1011 checked")


class FileDrops(Drops):
    def test_first_of_several_files_from_x_loads_and_converts_at_once(self):
        first = self.picture("一枚目.bmp", 48, 36)
        second = self.picture("second.bmp", 20, 10)
        window = self.start()
        self.check_auto_output(window)
        self.probe.call("clear-clipboard")
        self.assertTrue(self.x_drop_files(window, first, second))
        wait_until(lambda: self.shown_size(window) == "48 x 36", 30, "the first file's size")
        self.wait_popup_closed()
        tag = wait_until(read_clipboard_text, what="the tag on the clipboard")
        self.assertEqual(tag, self.cli_tag(first.name))

    def test_files_win_over_text_between_windows_programs(self):
        self.picture("a.bmp", 30, 20)
        self.picture("b.bmp", 50, 40)
        window = self.start()
        cases = [(("files", self.windows_path("b.bmp"), self.windows_path("a.bmp")), "50 x 40"),
                 (("both", self.windows_path("a.bmp"), self.windows_path("b.bmp")), "30 x 20")]
        for args, size in cases:
            with self.subTest(args=args[0]):
                # The target never refuses: the source's own effects (copy, link) come back.
                self.assertEqual(self.ole_drop(window, *args), "drop 5")
                wait_until(lambda: self.shown_size(window) == size, 30, size)


class TextDrops(Drops):
    def test_drops_that_name_no_loadable_file_keep_the_picture(self):
        dropped = self.picture("dropped.bmp", 40, 30)
        self.path("notes.txt").write_text("not a picture")
        self.path("report.pdf").write_bytes(b"%PDF-1.4\n")
        deep = self.picture("/".join(["d" * 60] * 4) + "/long.bmp", 8, 8)
        self.assertGreaterEqual(len(self.windows_path(deep.relative_to(self.folder))), 260)
        hangul = self.picture("한국.bmp", 8, 8)
        window = self.start()
        self.assertTrue(self.x_drop_files(window, dropped))
        wait_until(lambda: self.shown_size(window) == "40 x 30", 30, "the dropped file")
        # Had the window acted again on the earlier path, it would show this picture's size.
        self.picture("dropped.bmp", 70, 70)
        cases = [("words", lambda: self.x_drop_text(window, "ただの言葉です")),
                 ("text file", lambda: self.x_drop_text(window, self.windows_path("notes.txt"))),
                 ("file of no picture's extension", lambda: self.x_drop_text(window, self.windows_path("report.pdf"))),
                 ("missing picture", lambda: self.x_drop_text(window, self.windows_path("missing.bmp"))),
                 ("outside the code page", lambda: self.x_drop_text(window, "http://127.0.0.1:9/한.bmp")),
                 ("path of 260 bytes", lambda: self.x_drop_files(window, deep)),
                 ("name outside the code page", lambda: self.x_drop_files(window, hangul)),
                 ("words between programs", lambda: self.ole_drop(window, "text", "ただの言葉です") == "drop 5")]
        for name, drop in cases:
            with self.subTest(name):
                self.assertTrue(drop())
                self.assertEqual(self.settled_size(window), ("40 x 30", COPIED))

    def test_text_naming_a_picture_file_loads_it(self):
        self.picture("写真.bmp", 60, 20)
        window = self.start()
        for kind, text, size in [("x", "  " + self.windows_path("写真.bmp") + "\r\n", "60 x 20"),
                                 ("ole", self.windows_path("写真.bmp"), "60 x 20")]:
            with self.subTest(kind):
                self.path("$korvi_sv.bmp").unlink(missing_ok=True)
                if kind == "x":
                    self.assertTrue(self.x_drop_text(window, text))
                else:
                    self.assertEqual(self.ole_drop(window, "text", text), "drop 5")
                wait_until(lambda: self.path("$korvi_sv.bmp").exists(), 30, "the saved copy")
                self.assertEqual(self.shown_size(window), size)


class BusyDrops(Drops):
    def test_drop_during_a_conversion_or_download_is_ignored(self):
        self.picture("late.bmp", 30, 30)
        server = PictureServer(self.folder)
        self.addCleanup(server.stop)
        window = self.start()
        for busy, message in [(lambda: self.probe.call("command", window, OUTPUT), NO_PICTURE),
                              (lambda: self.x_drop_text(window, server.url("missing.bmp")), DOWNLOAD_FAILED)]:
            with self.subTest(message):
                busy()
                box, text = self.wait_message_box(30)
                self.assertEqual(text, message)
                # The window may refuse the drag while its message is up; either way nothing loads.
                self.x_drop_files(window, self.path("late.bmp"))
                self.probe.call("press", box, IDOK)
                wait_until(lambda: not self.message_boxes(), 10, "the message to close")
                self.assertEqual(self.settled_size(window), ("", NO_PICTURE))


class LinkDrops(Drops):
    def test_link_dropped_as_text_is_downloaded(self):
        self.picture("www/pic.bmp", 33, 22)
        self.picture("www/photo.bmp", 44, 11)
        server = PictureServer(self.folder / "www")
        self.addCleanup(server.stop)
        window = self.start()
        for name, drop, size in [
                ("from x as unicode text", lambda: self.x_drop_text(window, server.url("pic.bmp") + "\n"), "33 x 22"),
                ("between programs", lambda: self.ole_drop(window, "text", server.url("photo.bmp")) == "drop 5",
                 "44 x 11")]:
            with self.subTest(name):
                self.assertTrue(drop())
                wait_until(lambda: self.shown_size(window) == size, 60, "the downloaded picture")
        self.assertEqual(sorted(set(server.asked)), ["/photo.bmp", "/pic.bmp"])
