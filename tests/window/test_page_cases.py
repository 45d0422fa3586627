"""The test page button and the dialog that chooses the page's variants."""
import shutil

from harness import CANNOT_WRITE, IDCANCEL, IDOK, SOURCE, KorviCase, ids, wait_until


class TestPageCases(KorviCase):
    def test_button_writes_the_page_korvi_cli_writes_and_opens_it_and_the_dialog_stores_its_bits_on_ok(self):
        self.record_html_opens()
        shutil.copy(SOURCE / "samples" / "landscape.bmp", self.path("$korvi_sv.bmp"))
        self.write_settings(SizeChange=2, Pixel=100, flags=0x2040)  # GIF and quality 70 hidden
        self.path("$korvi2.html").mkdir()  # the page cannot be written at first
        window = self.start()
        self.click_control(window, ids.IDC_TEST_PAGE)
        self.assertEqual(self.close_message_box(), CANNOT_WRITE)
        self.assertIsNone(self.recorded(), "nothing was handed to the browser")

        self.path("$korvi2.html").rmdir()
        self.click_control(window, ids.IDC_TEST_PAGE)
        command = wait_until(self.recorded, 30, "the shell to open the page")
        self.assertIn(self.windows_path("$korvi2.html"), command)
        # The work files stay beside the program.
        self.assertTrue(all(self.path(name).exists() for name in ("$korvi2.gif", "$korvi2.jpg", "$korvi2.bmp")))
        self.cli("-m", "2", "-s", "100", "--hide", "gif,q70", "--test-page", "expected.html", "$korvi_sv.bmp")
        self.assertEqual(self.path("$korvi2.html").read_bytes(), self.path("expected.html").read_bytes())
        # The settings dialog shows the bits and stores them on OK only.
        boxes = {name: id for name, id in vars(ids).items() if name.startswith("IDC_SHOW_")}
        for button in (IDCANCEL, IDOK):
            with self.subTest(button=button):
                self.click_control(window, ids.IDC_TEST_PAGE_SETTINGS)
                dialog = self.dialog("テスト表示する画像の設定")
                checked = {name for name, box in boxes.items() if self.probe.checked(dialog, box)}
                self.assertEqual(checked, boxes.keys() - {"IDC_SHOW_GIF", "IDC_SHOW_Q70"})
                for box in ("IDC_SHOW_ORIGINAL", "IDC_SHOW_GIF", "IDC_SHOW_Q10"):
                    self.probe.call("press", dialog, boxes[box])
                self.press_and_wait_closed(dialog, button)
        self.close_with_escape(window)
        # Original and quality 10 hidden, GIF shown, and the bit set at every start.
        self.assertEqual(int(self.settings()["flags"]), 0x20000 | 0x2000 | 0x80 | 0x1)
