"""Pictures into the window (clipboard text, clipboard bitmap, the open-file dialog), the preview,
and the tag on the clipboard."""
import pathlib
import struct

from harness import (AUTO_OUTPUT, CAPTION, PREVIEW, Conversions, bmp_bytes, click_at, dib_bytes, move_mouse,
                     read_clipboard_text, wait_until)

BACKGROUND = (0xBA, 0xBA, 0x80)
RED, BLUE, GREEN = (220, 30, 40), (20, 40, 200), (30, 160, 60)
BADGE = pathlib.Path(__file__).resolve().parents[2] / "samples" / "badge.png"


def halves(width):
    """Red on the left, blue on the right."""
    return lambda x, y: RED if x < width // 2 else BLUE


def placement(width, height, box_width, box_height):
    ratio = max(width / box_width, height / box_height)
    if ratio > 1:
        width, height = (min(max(int(width / ratio), 1), box_width), min(max(int(height / ratio), 1), box_height))
    return width, height, (box_width - width) // 2, (box_height - height) // 2


class Acquisition(Conversions):
    def assert_preview(self, window, width, height, colour):
        """The picture drawn 1:1 or scaled down, centred on the background colour."""
        pixels = wait_until(lambda: (lambda p: p if p[0][0] == BACKGROUND else None)(self.preview_pixels(window)),
                            what="the preview to be drawn")
        box_height, box_width = len(pixels), len(pixels[0])
        shown_width, shown_height, x, y = placement(width, height, box_width, box_height)
        for px, py, expected in [
            (x, y, colour(0, 0)), (x + shown_width - 1, y + shown_height - 1, colour(width - 1, height - 1)),
            (x - 1, y, BACKGROUND), (x, y - 1, BACKGROUND), (x + shown_width, y + shown_height - 1, BACKGROUND),
            (x, y + shown_height, BACKGROUND),
        ]:
            if 0 <= px < box_width and 0 <= py < box_height:
                self.assertEqual(pixels[py][px], expected, f"pixel {px}, {py} of the preview")

    def test_clipboard_text_naming_a_picture_loads_it_and_empties_the_clipboard(self):
        self.path("in.bmp").write_bytes(bmp_bytes(40, 30, halves(40)))
        window = self.start()
        # As Explorer's "Copy as path" gives it, and with the line break of a copied line.
        self.put_clipboard_text('"%s"\n' % self.windows_path("in.bmp"))
        self.click_control(window, PREVIEW)
        wait_until(lambda: self.shown_size(window) == "40 x 30", what="the picture size")
        self.assert_preview(window, 40, 30, halves(40))
        wait_until(lambda: self.probe.call("formats") == "", what="the clipboard to be emptied")
        self.assertEqual(self.path("$korvi_sv.bmp").read_bytes(), self.path("in.bmp").read_bytes())

        # The last picture is there again at the next start.
        self.close_with_escape(window)
        self.processes.clear()
        window = self.start()
        self.assertEqual(self.shown_size(window), "40 x 30")
        self.assert_preview(window, 40, 30, halves(40))

    def test_clipboard_bitmaps_load_clear_the_source_path_and_are_saved(self):
        grey = bytes(b for i in range(256) for b in (i, i, i, 0))
        core_grey = bytes(b for i in range(256) for b in (i, i, i))
        cases = [
            # name, DIB, size, pixel at the top left and bottom right, kept as the saved copy's depth
            ("24-bit", bmp_bytes(30, 20, halves(30))[14:], (30, 20), (RED, BLUE), 24),
            ("8-bit", dib_bytes(40, 4, 2, 8, bytes([200, 10, 10, 10, 50, 60, 70, 80]), grey), (4, 2),
             ((50, 50, 50), (10, 10, 10)), 8),
            ("core header", dib_bytes(12, 4, 2, 8, bytes([1, 2, 3, 4, 5, 6, 7, 9]), core_grey), (4, 2),
             ((5, 5, 5), (4, 4, 4)), 8),
            ("16-bit 565", dib_bytes(40, 2, 1, 16, struct.pack("<HHI", 0xF800, 0x001F, 0), compression=3,
                                     masks=(0xF800, 0x07E0, 0x001F)), (2, 1), ((248, 0, 0), (0, 0, 248)), 24),
            ("32-bit top-down", bmp_bytes(6, 4, halves(6), top_down=True)[14:].replace(
                struct.pack("<i", -4), struct.pack("<i", -4), 1), (6, 4), (RED, BLUE), 24),
        ]
        self.write_settings(InputFile=self.windows_path("earlier.bmp"))
        window = self.start()
        for name, dib, size, corners, depth in cases:
            with self.subTest(name):
                self.path(f"{name}.dib").write_bytes(dib)
                self.probe.call("place-dib", self.windows_path(f"{name}.dib"))
                self.click_control(window, PREVIEW)
                wait_until(lambda: self.shown_size(window) == "%d x %d" % size, what=f"the {name} picture")
                self.assertEqual(self.probe.call("formats"), "")
                saved = self.path("$korvi_sv.bmp").read_bytes()
                self.assertEqual(struct.unpack_from("<iiHH", saved, 18), (size[0], size[1], 1, depth))
                self.assert_preview(window, size[0], size[1], lambda x, y: corners[0] if (x, y) == (0, 0) else corners[1])
        # A conversion of a clipboard picture stores no source path.
        self.convert(window)
        self.assertEqual(self.settings()["InputFile"], self.windows_path("earlier.bmp"))

    def test_pictures_that_cannot_be_read_keep_the_current_one(self):
        self.path("in.bmp").write_bytes(bmp_bytes(8, 6, halves(8)))
        self.path("x.jpg").write_bytes(b"only a text named like a picture\r\n")
        self.write_settings(InputFile=self.windows_path("in.bmp"), SizeChange=0, Format=2)
        self.path("$korvi_sv.bmp").write_bytes(self.path("in.bmp").read_bytes())
        window = self.start()
        self.assertEqual(self.shown_size(window), "8 x 6")
        # A clipboard bitmap that does not read opens the dialog; a file there that does not read
        # either leaves the picture, its preview, source path and saved copy as they were.
        self.path("rle.dib").write_bytes(dib_bytes(40, 2, 2, 8, bytes([2, 1, 0, 0, 2, 1, 0, 1]), bytes(1024),
                                                   compression=1))
        self.probe.call("place-dib", self.windows_path("rle.dib"))
        self.click_control(window, PREVIEW)
        dialog = wait_until(lambda: next(iter(self.dialogs("元の画像ファイルを選択する")), None), what="the dialog")
        self.probe.call("choose-file", dialog["handle"], self.windows_path("x.jpg"))
        wait_until(lambda: not self.dialogs("元の画像ファイルを選択する"), what="the dialog to close")
        # The size field answers once the load has returned.
        self.assertEqual(self.shown_size(window), "8 x 6")
        self.assert_preview(window, 8, 6, halves(8))
        self.assertEqual(self.path("$korvi_sv.bmp").read_bytes(), self.path("in.bmp").read_bytes())
        self.assertEqual(self.message_boxes(), [])
        self.assertEqual(self.convert(window), self.cli_tag("in.bmp", "-f", "bmp", "-m", 0))
        self.assertEqual(self.settings()["InputFile"], self.windows_path("in.bmp"))

    def test_chosen_file_converts_at_once_and_equals_the_cli_tag(self):
        self.path("pictures").mkdir()
        self.path("pictures/photo.bmp").write_bytes(bmp_bytes(500, 300, lambda x, y: (x % 256, y % 256, (x * y) % 256)))
        # A source path without a folder opens the dialog in the picture folder.
        self.write_settings(SizeChange=3, Format=1, Pixel=120, InputFile="photo.bmp")
        window = self.start()
        self.probe.call("clear-clipboard")
        self.click_control(window, AUTO_OUTPUT)
        wait_until(lambda: self.probe.call("checked", window, AUTO_OUTPUT) == "1", what="the box to be checked")
        self.click_control(window, PREVIEW)
        dialog = wait_until(lambda: next(iter(self.dialogs("元の画像ファイルを選択する")), None), what="the dialog")
        self.probe.call("choose-file", dialog["handle"], self.windows_path("pictures/photo.bmp"))
        self.wait_popup_closed()
        tag = wait_until(read_clipboard_text, what="the tag")
        self.assertEqual(self.shown_size(window), "500 x 300")
        self.assertEqual(tag, self.cli_tag("pictures/photo.bmp", "-f", "gif", "-m", 3, "-s", 120))
        self.assertEqual(self.settings()["InputFile"], self.windows_path("pictures/photo.bmp"))

    def test_transparent_png_pixels_take_the_back_colour_of_the_settings(self):
        self.path("badge.png").write_bytes(BADGE.read_bytes())
        self.write_settings(BackColor=0xFF0000, SizeChange=0, Format=2)  # blue, as a COLORREF
        window = self.start()
        self.put_clipboard_text(self.windows_path("badge.png"))
        self.click_control(window, PREVIEW)
        wait_until(lambda: self.shown_size(window) == "64 x 64", what="the picture size")
        tag = self.convert(window)
        self.assertEqual(tag, self.cli_tag("badge.png", "-f", "bmp", "-m", 0, "-b", "0000ff"))
        self.assertNotEqual(tag, self.cli_tag("badge.png", "-f", "bmp", "-m", 0))

    def test_tags_equal_the_cli_output_for_every_format(self):
        self.path("in.bmp").write_bytes(bmp_bytes(700, 90, lambda x, y: ((x * 3) % 256, (y * 5) % 256, 90)))
        for settings, options in [
            (dict(SizeChange=1, Format=0, JpegQuality=80, Pixel=430), ("-f", "jpeg", "-m", 1, "-s", 430, "-q", 80)),
            (dict(SizeChange=2, Format=2, Pixel=64), ("-f", "bmp", "-m", 2, "-s", 64)),
            (dict(SizeChange=0, Format=0, JpegQuality=35), ("-f", "jpeg", "-m", 0, "-q", 35)),
        ]:
            with self.subTest(settings=settings):
                self.write_settings(InputFile=self.windows_path("in.bmp"), **settings)
                self.path("$korvi_sv.bmp").write_bytes(self.path("in.bmp").read_bytes())
                window = self.start()
                self.assertEqual(self.convert(window), self.cli_tag("in.bmp", *options))
                self.close_with_escape(window)
                self.processes.clear()

    def test_large_picture_is_scaled_into_the_preview(self):
        colour = lambda x, y: GREEN if y < 250 else RED  # noqa: E731
        self.path("wide.bmp").write_bytes(bmp_bytes(1000, 500, colour))
        window = self.start()
        self.put_clipboard_text(self.windows_path("wide.bmp"))
        self.click_control(window, PREVIEW)
        wait_until(lambda: self.shown_size(window) == "1000 x 500", what="the picture size")
        self.assert_preview(window, 1000, 500, colour)
