"""The conversion command: every failure in its message box, the settings it stores, the popup."""
import struct
import time

from harness import (FORMAT_BMP, FORMAT_GIF, FORMAT_JPEG, OUTPUT, PREVIEW, RESIZE_METHOD, SIDE_LENGTH,
                     WS_EX_TOPMOST, Conversions, bmp_bytes, move_mouse, wait_until)

# A GIF of 65500 x 1024, the widest picture the readers take, whose image data ends at once: 201 MB
# as 24 bits, and a BMP tag of 268 MB.
LARGEST_GIF = (b"GIF89a" + struct.pack("<HHBBB", 65500, 1024, 0x80, 0, 0) + bytes([0, 0, 0, 255, 255, 255]) +
               b"," + struct.pack("<HHHHB", 0, 0, 65500, 1024, 0) + bytes([2, 1, 0x2C, 0, 0x3B]))
LARGEST_BMP_TAG = len('<img src="data:image/bmp;base64,">') + (54 + 65500 * 1024 * 3 + 2) // 3 * 4


class Conversion(Conversions):
    def press_output_expecting(self, window, message):
        self.click_control(window, OUTPUT)
        box, text = self.wait_message_box()
        self.assertEqual(text, message)
        self.probe.call("command", box, 1)
        wait_until(lambda: not self.message_boxes(), what="the message box to close")

    def test_every_failure_shows_its_message(self):
        window = self.start()
        self.press_output_expecting(window, "変換する画像が設定されていません．")
        self.assertNotIn("Format", self.settings())
        self.close_with_escape(window)
        self.processes.clear()

        self.path("in.bmp").write_bytes(bmp_bytes(20, 300, lambda x, y: (x % 256, 0, 0)))
        self.path("$korvi_sv.bmp").write_bytes(self.path("in.bmp").read_bytes())
        self.write_settings(InputFile="C:\\pictures\\noextension", SizeChange=1, Pixel=100)
        window = self.start()
        self.press_output_expecting(window, "システム異常です．")
        self.assertEqual(self.settings()["InputFile"], "C:\\pictures\\noextension")
        self.close_with_escape(window)
        self.processes.clear()

        self.write_settings(InputFile=self.windows_path("in.bmp"), SizeChange=2)
        window = self.start()
        # 20 x 300 fixed at a width of 5000 is 5000 x 75000, taller than any picture may be.
        self.probe.call("set-text", window, SIDE_LENGTH, "5000")
        self.press_output_expecting(window, "画像変換の異常です．")
        self.probe.call("set-text", window, SIDE_LENGTH, "64")
        for radio, extension, message in [
            (FORMAT_JPEG, ".jpg", "Jpegフォーマットの画像ファイルが作成できませんでした."),
            (FORMAT_GIF, ".gif", "GIFフォーマットの画像ファイルが作成できませんでした."),
            (FORMAT_BMP, ".bmp", "BMPフォーマットの画像ファイルが作成できませんでした."),
        ]:
            with self.subTest(extension):
                # A folder in the work file's place cannot be written.
                self.path("$korvi2" + extension).mkdir()
                self.click_control(window, radio)
                self.press_output_expecting(window, message)
                stored = self.settings()
                self.assertEqual((stored["Format"], stored["Pixel"]), (str(radio - FORMAT_JPEG), "64"))
        self.path("$korvi2.bmp").rmdir()
        self.probe.call("hold-clipboard")
        try:
            self.press_output_expecting(window, "クリップボードがオープンできない．")
        finally:
            self.probe.call("release-clipboard")
        self.assertTrue(self.convert(window).startswith(b'<img src="data:image/bmp;base64,Qk'))

    def test_popup_confirms_and_closes_when_the_mouse_leaves(self):
        self.path("in.bmp").write_bytes(bmp_bytes(20, 10, lambda x, y: (9, 9, 9)))
        self.path("$korvi_sv.bmp").write_bytes(self.path("in.bmp").read_bytes())
        window = self.start()
        self.assertEqual(self.probe.call("combo", window, RESIZE_METHOD), "1")
        for stays in (True, False):
            with self.subTest(stays=stays):
                self.click_control(window, OUTPUT)
                opened = time.monotonic()
                handle, text = wait_until(self.popup, what="the popup")
                self.assertEqual(text, "クリップボードにコピーしました．")
                self.assertTrue(self.probe.styles(handle)[1] & WS_EX_TOPMOST)
                left, top, right, bottom = self.probe.rect(handle)
                if stays:
                    move_mouse((left + right) // 2, (top + bottom) // 2)
                    self.wait_hidden(handle, 6.0)
                    self.assertGreater(time.monotonic() - opened, 3.0)
                else:
                    self.leave_popup(handle)
                    moved = time.monotonic()
                    self.wait_hidden(handle)
                    self.assertLess(time.monotonic() - moved, 1.5)
                self.wait_closed(handle)

    def test_the_largest_picture_converts_at_its_own_size(self):
        """The 32-bit program holds the picture and its 268 MB tag within its address space."""
        self.path("wide.gif").write_bytes(LARGEST_GIF)
        for name in ("$korvi2.bmp", "$korvi_sv.bmp"):
            self.addCleanup(self.path(name).unlink, missing_ok=True)
        self.write_settings(SizeChange=0, Format=2)
        window = self.start()
        self.put_clipboard_text(self.windows_path("wide.gif"))
        self.click_control(window, PREVIEW)
        wait_until(lambda: self.shown_size(window) == "65500 x 1024", 60, "the picture to load")
        self.probe.call("clear-clipboard")
        self.click_control(window, OUTPUT)
        _, text = wait_until(self.popup, 60, "the popup")
        self.assertEqual(text, "クリップボードにコピーしました．")
        self.assertEqual(self.probe.call("clipboard-length"), str(LARGEST_BMP_TAG))
