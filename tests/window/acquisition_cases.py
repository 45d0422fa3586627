"""Pictures into the window (clipboard text, clipboard bitmap, the open-file dialog), the preview,
the saved copy, and the tag on the clipboard."""
import shutil
import struct

from harness import CF_DIB, OPEN_DIALOG, SOURCE, KorviCase, bmp_bytes, grab, ids, read_clipboard_text, wait_until

BACKGROUND, RED, BLUE = (0xBA, 0xBA, 0x80), (220, 30, 40), (20, 40, 200)


def dib_bytes(width, height, rows, table, compression=0):
    """An 8-bit packed DIB as the clipboard holds one: the header, the colour table, the rows as given."""
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, compression, len(rows), 0, 0, 0, 0) + table + rows


class Acquisition(KorviCase):
    def test_clipboard_text_naming_a_picture_loads_and_shows_it(self):
        self.path("in.bmp").write_bytes(bmp_bytes(40, 30, lambda x, y: RED if x < 20 else BLUE))
        window = self.start()
        # As Explorer's "Copy as path" gives it, and with the line break of a copied line.
        self.put_clipboard_text('"%s"\n' % self.windows_path("in.bmp"))
        self.click_control(window, ids.IDC_PREVIEW)
        wait_until(lambda: self.shown_size(window) == "40 x 30", what="the picture size")
        left, top, right, bottom = self.probe.rect(window, ids.IDC_PREVIEW)
        # Drawn 1:1 in the middle of the background: its edges and the border of its halves.
        wait_until(lambda: [grab(left + (right - left) // 2 - 21, (top + bottom) // 2, 42, 1)[0][i] for i in (0, 20, 21, 41)]
                   == [BACKGROUND, RED, BLUE, BACKGROUND], what="the picture drawn 1:1 in the middle")
        wait_until(lambda: self.probe.call("formats") == "", what="the clipboard to be emptied")
        self.assertEqual(self.path("$korvi_sv.bmp").read_bytes(), self.path("in.bmp").read_bytes())

    def test_clipboard_bitmap_loads_what_cannot_be_read_keeps_it_and_a_chosen_file_converts_as_korvi_cli_does(self):
        grey = bytes(b for i in range(256) for b in (i, i, i, 0))
        self.path("x.jpg").write_bytes(b"only a text named like a picture\r\n")
        shutil.copy(SOURCE / "samples" / "badge.png", self.path("badge.png"))
        # The back colour is blue, as a COLORREF: the badge's corners are transparent.
        self.write_settings(SizeChange=3, Format=0, JpegQuality=35, Pixel=120, BackColor=0xFF0000,
                            InputFile=self.windows_path("earlier.bmp"))
        window = self.start()
        self.place_on_clipboard(CF_DIB, dib_bytes(4, 2, bytes([200, 10, 10, 10, 50, 60, 70, 80]), grey))
        self.click_control(window, ids.IDC_PREVIEW)
        wait_until(lambda: self.shown_size(window) == "4 x 2", what="the clipboard's picture")
        self.assertEqual(self.probe.call("formats"), "")
        saved = self.path("$korvi_sv.bmp").read_bytes()
        self.assertEqual(saved[28], 8, "the saved copy keeps the 8 bits")
        # A clipboard bitmap that does not read opens the dialog; a file there that does not read
        # either leaves the picture, its source path and saved copy as they were, without a message.
        self.place_on_clipboard(CF_DIB, dib_bytes(2, 2, bytes([2, 1, 0, 0, 2, 1, 0, 1]), bytes(1024), 1))
        self.click_control(window, ids.IDC_PREVIEW)
        self.choose_file(OPEN_DIALOG, self.windows_path("x.jpg"))
        # The size field answers once the load has returned.
        self.assertEqual(self.shown_size(window), "4 x 2")
        self.assertEqual((self.path("$korvi_sv.bmp").read_bytes(), self.message_boxes()), (saved, []))
        self.click_control(window, ids.IDC_OUTPUT)
        self.wait_popup_closed()
        self.assertEqual(self.settings()["InputFile"], self.windows_path("earlier.bmp"))
        # With the box checked, a file chosen in the dialog converts at once.
        self.probe.call("clear-clipboard")
        self.click_control(window, ids.IDC_AUTO_OUTPUT)
        wait_until(lambda: self.probe.checked(window, ids.IDC_AUTO_OUTPUT), what="the box to be checked")
        self.click_control(window, ids.IDC_PREVIEW)
        self.choose_file(OPEN_DIALOG, self.windows_path("badge.png"))
        self.wait_popup_closed()
        tag = wait_until(read_clipboard_text, what="the tag")
        self.assertEqual(self.shown_size(window), "64 x 64")
        self.assertEqual(tag, self.cli("-f", "jpeg", "-q", 35, "-m", 3, "-s", 120, "-b", "0000FF", "badge.png"))
        self.assertEqual(self.settings()["InputFile"], self.windows_path("badge.png"))
