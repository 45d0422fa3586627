"""The conversion command: the format buttons, failures in their message box, the popup."""
import struct
import time

from harness import COPIED, WS_EX_TOPMOST, KorviCase, bmp_bytes, ids, move_mouse, read_clipboard_text, wait_until

# A GIF of 65500 x 1024, the widest picture the readers take, whose image data ends at once: 201 MB
# as 24 bits, and a BMP tag of 268 MB.
LARGEST_GIF = (b"GIF89a" + struct.pack("<HHBBB", 65500, 1024, 0x80, 0, 0) + bytes([0, 0, 0, 255, 255, 255]) +
               b"," + struct.pack("<HHHHB", 0, 0, 65500, 1024, 0) + bytes([2, 1, 0x2C, 0, 0x3B]))
LARGEST_BMP_TAG = len('<img src="data:image/bmp;base64,">') + (54 + 65500 * 1024 * 3 + 2) // 3 * 4


class Conversion(KorviCase):
    def test_each_format_button_reaches_its_writer_failures_show_their_message_and_the_popup_stays_its_time(self):
        self.path("$korvi_sv.bmp").write_bytes(bmp_bytes(20, 10, lambda x, y: (x * 9, 0, 0)))
        self.write_settings(SizeChange=2, Pixel=64)
        window = self.start()
        for radio, extension, message in [
            (ids.IDC_FORMAT_JPEG, ".jpg", "Jpegフォーマットの画像ファイルが作成できませんでした."),
            (ids.IDC_FORMAT_GIF, ".gif", "GIFフォーマットの画像ファイルが作成できませんでした."),
            (ids.IDC_FORMAT_BMP, ".bmp", "BMPフォーマットの画像ファイルが作成できませんでした."),
        ]:
            with self.subTest(extension):
                # A folder in the work file's place cannot be written.
                self.path("$korvi2" + extension).mkdir()
                self.click_control(window, radio)
                self.click_control(window, ids.IDC_OUTPUT)
                self.assertEqual(self.close_message_box(), message)
                stored = self.settings()
                self.assertEqual((stored["Format"], stored["Pixel"]), (str(radio - ids.IDC_FORMAT_JPEG), "64"))
        self.path("$korvi2.bmp").rmdir()
        # The probe's end releases the clipboard, should the message not come.
        self.probe.call("hold-clipboard")
        self.click_control(window, ids.IDC_OUTPUT)
        self.assertEqual(self.close_message_box(), "クリップボードがオープンできない．")
        self.probe.call("release-clipboard")
        # The popup stays its time under the mouse (that it closes when the mouse leaves it, every
        # other conversion shows).
        self.probe.call("clear-clipboard")
        self.click_control(window, ids.IDC_OUTPUT)
        opened = time.monotonic()
        handle, text = wait_until(self.popup, what="the popup")
        self.assertTrue(self.probe.styles(handle)[1] & WS_EX_TOPMOST)
        left, top, right, bottom = self.probe.rect(handle)
        move_mouse((left + right) // 2, (top + bottom) // 2)
        self.wait_hidden(handle, 6.0)
        self.assertGreater(time.monotonic() - opened, 3.0)
        self.assertEqual(text, COPIED)
        self.assertTrue(wait_until(read_clipboard_text, what="the tag").startswith(b'<img src="data:image/bmp;base64,Qk'))

    def test_the_largest_picture_converts_at_its_own_size(self):
        """The 32-bit program holds the picture and its 268 MB tag within its address space."""
        self.path("wide.gif").write_bytes(LARGEST_GIF)
        for name in ("$korvi2.bmp", "$korvi_sv.bmp"):
            self.addCleanup(self.path(name).unlink, missing_ok=True)
        self.write_settings(SizeChange=0, Format=2)
        window = self.start()
        self.put_clipboard_text(self.windows_path("wide.gif"))
        self.click_control(window, ids.IDC_PREVIEW)
        wait_until(lambda: self.shown_size(window) == "65500 x 1024", 60, "the picture to load")
        self.click_control(window, ids.IDC_OUTPUT)
        _, text = wait_until(self.popup, 60, "the popup")
        self.assertEqual(text, COPIED)
        self.assertEqual(self.probe.call("clipboard-length"), str(LARGEST_BMP_TAG))
