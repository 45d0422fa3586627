"""Pictures downloaded from an address on the clipboard, with the progress window, from the download
suite's server (what each answer of the server ends in is korvi-cli's download suite's part)."""
import screen
from harness import (CAPTION, CF_TEXT, DOWNLOAD_FAILED, IDCANCEL, IDOK, OPEN_DIALOG, KorviCase, PictureServer,
                     bmp_bytes, ids, read_clipboard_text, wait_until)

PROGRESS_CAPTION = "絵送(KORVI) [ダウンロード]"
WS_DISABLED = 0x08000000
PICTURE = bmp_bytes(64, 48, lambda x, y: (x * 4 % 256, y * 5 % 256, (x + y) * 3 % 256))


class Downloads(KorviCase):
    def setUp(self):
        super().setUp()
        self.server = PictureServer.get()
        self.server.publish("pic.bmp", PICTURE)

    def download(self, window, url):
        """Copies the address as a Windows program would and clicks the preview, as a user takes a
        picture. (Text put on the X clipboard can reach Wine a moment after X reports it there.)"""
        self.place_on_clipboard(CF_TEXT, url.encode() + b"\0")
        self.click_control(window, ids.IDC_PREVIEW)

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

    def test_an_address_on_the_clipboard_becomes_the_current_picture(self):
        window = self.start()
        # A text copied while the picture downloads stays on the clipboard.
        self.download(window, self.server.url("late.bmp"))
        wait_until(lambda: self.dialogs(PROGRESS_CAPTION), 10, "the progress window")
        self.put_clipboard_text("copied meanwhile")
        wait_until(lambda: self.shown_size(window) == "64 x 48", 20, "the picture")
        self.assertEqual(read_clipboard_text(), b"copied meanwhile")

        # Otherwise the address is taken off once its picture is loaded.
        self.path("$korvi2.bmp").unlink()
        self.download(window, self.server.url("pic.bmp"))
        wait_until(lambda: self.probe.call("formats") == "", 20, "the address to be taken off")
        self.assertEqual(self.path("$korvi2.bmp").read_bytes(), PICTURE)
        self.assertEqual(self.message_boxes(), [])

        # A failure says why, offers the open-file dialog, as for an empty clipboard, and keeps the picture.
        self.server.publish("nowhere.jpg", b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01"
                            b"\x00\x00\x12\xc0".ljust(300, b" "))
        self.download(window, self.server.url("nowhere.jpg"))
        self.assertEqual(self.failure_message(window), "未知のファイルフォーマットです.")
        self.probe.call("command", self.dialog(OPEN_DIALOG), IDCANCEL)
        wait_until(lambda: self.dialogs(OPEN_DIALOG) == [], what="the open-file dialog to close")
        self.assertEqual(self.shown_size(window), "64 x 48")

    def test_the_progress_window_stands_while_the_server_stalls(self):
        window = self.start()
        self.download(window, self.server.url("stall-body.gif"))
        # The program's thread is held by the download: only what needs no message can be read.
        progress = self.dialog(PROGRESS_CAPTION)
        self.assertTrue(self.probe.styles(progress, IDCANCEL)[0] & WS_DISABLED, "the cancel button is greyed")
        # The bar is drawn at 20 %, although no message loop runs: its filled share of the middle row.
        left, top, right, bottom = self.probe.rect(progress, ids.IDC_PROGRESS_BAR)
        row = screen.grab(left + 2, (top + bottom) // 2, right - left - 4, 1)[0]
        filled = sum(1 for r, g, b in row if b > r + 60) / len(row)
        self.assertAlmostEqual(filled, 0.2, delta=0.05)
        self.assertEqual(self.failure_message(window), DOWNLOAD_FAILED)
        self.assertEqual(self.dialogs(PROGRESS_CAPTION), [])
