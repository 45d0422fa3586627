"""The test page from the main window: button 1001 writes "$korvi2.html" beside the program and
hands it to the shell's "open", the small button 1025 opens dialog 116, which chooses the variants
through the settings word."""
import pathlib
import shutil
import subprocess

from harness import KorviCase, Paths, TEST_PAGE, wait_until

TEST_PAGE_SETTINGS = 1025
SETTINGS_CAPTION = "テスト表示する画像の設定"
IDOK, IDCANCEL = 1, 2
# The check boxes of dialog 116 and the bit each one clears when checked.
VARIANT_BOXES = {1029: 0x20000, 1005: 0x40, 1027: 0x20, 1026: 0x10000, 1025: 0x8000, 1024: 0x4000,
                 1023: 0x2000, 1022: 0x1000, 1021: 0x800, 1020: 0x400, 1019: 0x200, 1018: 0x100, 1017: 0x80}
SOURCE = pathlib.Path(__file__).resolve().parents[2]
SAMPLE = SOURCE / "samples" / "landscape.bmp"
CHECK_PAGE = SOURCE / "tests" / "browser" / "check_test_page.py"
NO_PICTURE = "変換する画像が設定されていません．"
CANNOT_WRITE = "ファイルが書き込み出来ませんでした．"


class TestPageCases(KorviCase):
    def setUp(self):
        super().setUp()
        self.record_html_opens()

    def test_button_writes_the_page_of_the_picture_and_opens_it(self):
        shutil.copy(SAMPLE, self.path("$korvi_sv.bmp"))
        self.write_settings(SizeChange=2, Pixel=100, flags=0x2040)  # GIF and quality 70 hidden
        window = self.start()
        self.click_control(window, TEST_PAGE)
        command = wait_until(self.recorded, 30, "the shell to open the page")
        self.assertIn(self.windows_path("$korvi2.html"), command)
        for work_file in ("$korvi2.gif", "$korvi2.jpg", "$korvi2.bmp"):
            self.assertTrue(self.path(work_file).exists(), f"{work_file} stays beside the program")

        # The same bytes as korvi-cli's page of the same picture, method and side.
        expected = self.path("expected.html")
        subprocess.run(["wine", Paths.cli, "-m", "2", "-s", "100", "--hide", "gif,q70", "--test-page",
                        self.windows_path("expected.html"), self.windows_path("$korvi_sv.bmp")],
                       check=True, timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.assertEqual(self.path("$korvi2.html").read_bytes(), expected.read_bytes())
        checked = subprocess.run(["/usr/bin/python3", str(CHECK_PAGE), "sizes", str(self.path("$korvi2.html"))],
                                 capture_output=True, text=True, timeout=120)
        self.assertEqual(checked.returncode, 0, checked.stdout)

    def test_button_without_a_picture_or_a_writable_page_opens_nothing(self):
        for picture, message in ((False, NO_PICTURE), (True, CANNOT_WRITE)):
            if picture:
                shutil.copy(SAMPLE, self.path("$korvi_sv.bmp"))
                self.path("$korvi2.html").mkdir()  # the page cannot be created
            window = self.start()
            self.click_control(window, TEST_PAGE)
            box, text = self.wait_message_box()
            self.assertEqual(text, message)
            self.probe.call("press", box, IDOK)
            self.close_with_escape(window)
            self.assertEqual(self.path("$korvi2.html").is_file(), False)
            self.assertIsNone(self.recorded(), "nothing was handed to the browser")

    def open_settings(self, window):
        self.click_control(window, TEST_PAGE_SETTINGS)
        return wait_until(lambda: next((w["handle"] for w in self.dialogs(SETTINGS_CAPTION)), None),
                          what="dialog 116")

    def test_dialog_shows_the_bits_and_ok_stores_them_at_exit(self):
        self.write_settings(flags=0x2040)
        window = self.start()
        dialog = self.open_settings(window)
        for box, bit in VARIANT_BOXES.items():
            self.assertEqual(self.probe.call("checked", dialog, box), "0" if bit & 0x2040 else "1", box)
        for box in (1029, 1005, 1017):  # original off, GIF on, quality 10 off
            self.probe.call("press", dialog, box)
        self.press_and_wait_closed(dialog, IDOK)
        self.close_with_escape(window)
        self.assertEqual(int(self.settings()["flags"]), 0x2000 | 0x20000 | 0x80 | 0x1)

    def test_dialog_cancel_keeps_the_bits(self):
        self.write_settings(flags=0x40)
        window = self.start()
        dialog = self.open_settings(window)
        self.probe.call("press", dialog, 1005)
        self.probe.call("press", dialog, 1026)
        self.press_and_wait_closed(dialog, IDCANCEL)
        self.close_with_escape(window)
        self.assertEqual(int(self.settings()["flags"]), 0x40 | 0x1)
