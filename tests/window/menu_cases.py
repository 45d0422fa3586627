"""The menu button: the help page that ships inside the program, the about box, the guard that keeps
a closing click from reopening the menu."""
import time

from harness import IDCANCEL, SOURCE, WM_COMMAND, KorviCase, click_at, ids, wait_until, xdotool

ABOUT_CAPTION = "『絵送』について"


class Menu(KorviCase):
    def menu(self):
        return next((w["handle"] for w in self.probe.windows() if w["cls"] == "#32768"), None)

    def choose(self, window, downs):
        self.click_control(window, ids.IDC_MENU)
        wait_until(self.menu, what="the menu")
        xdotool("key", *["Down"] * downs, "Return")
        wait_until(lambda: self.menu() is None, what="the menu to close")

    def test_help_page_is_written_beside_the_program_and_opened_and_the_about_box_shows_the_version(self):
        self.record_html_opens()
        window = self.start()
        self.choose(window, 1)
        command = wait_until(self.recorded, 20, "the browser to be asked for the page")
        self.assertIn(self.windows_path("korvi_help.html"), command)
        self.assertEqual(self.path("korvi_help.html").read_bytes(), (SOURCE / "resources" / "help.html").read_bytes())
        self.choose(window, 2)
        about = self.dialog(ABOUT_CAPTION)
        self.assertEqual(self.probe.text(about, ids.IDC_VERSION), "1.02")
        self.probe.call("post", about, WM_COMMAND, IDCANCEL)
        wait_until(lambda: not self.dialogs(ABOUT_CAPTION), what="the about box to close")

    def test_a_click_that_closes_the_menu_does_not_reopen_it(self):
        window = self.start()
        self.click_control(window, ids.IDC_MENU)
        menu = self.probe.rect(wait_until(self.menu, what="the menu"))
        # A corner of the button that the menu does not cover (it opens at the cursor, down and
        # right of it, or up and left of it near the screen's edges).
        left, top, right, bottom = self.probe.rect(window, ids.IDC_MENU)
        x, y = next(((x, y) for x in (left + 2, right - 3) for y in (top + 2, bottom - 3)
                     if not (menu[0] <= x < menu[2] and menu[1] <= y < menu[3])))
        click_at(x, y)
        wait_until(lambda: self.menu() is None, what=f"the menu at {menu} to close on a click at {x}, {y}")
        closed = time.monotonic()
        while time.monotonic() - closed < 0.6:
            self.assertIsNone(self.menu())
        wait_until(lambda: time.monotonic() - closed > 1.1, what="a second to pass")
        self.click_control(window, ids.IDC_MENU)
        wait_until(self.menu, what="the menu again")
