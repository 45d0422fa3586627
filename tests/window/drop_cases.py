"""Files, texts and links dropped on the main window by korvi-drag.exe: a list of files, ANSI text and
Unicode text. Which drop is acted on is the drop rules' unit table; here, that each form reaches it."""
import pathlib
import select
import subprocess

from harness import (NO_PICTURE, WINE, WM_COMMAND, KorviCase, Paths, PictureServer, bmp_bytes, ids,
                     read_clipboard_text, wait_until, xdotool)


def colours(x, y):
    return (x * 7 % 256, y * 3 % 256, (x ^ y) % 256)


class Drops(KorviCase):
    def picture(self, name, width=8, height=8):
        """Writes a picture into the case folder and returns the path korvi sees."""
        self.path(name).write_bytes(bmp_bytes(width, height, colours))
        return self.windows_path(name)

    def drop(self, window, *offers):
        """Drags the offers from korvi-drag.exe onto the preview; true when the drop came back with the
        source's own effects (copy, link)."""
        helper = subprocess.Popen([WINE, str(pathlib.Path(Paths.probe).with_name("korvi-drag.exe")), *offers],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.processes.append(helper)
        wait_until(lambda: any(w["caption"] == "korvi-drag" for w in self.probe.windows()), 30, "the drag source")
        x, y = self.control_centre(window, ids.IDC_PREVIEW)
        xdotool("mousemove", 200, 250, "mousedown", 1)
        # A button let go before the drag runs would leave it waiting for the mouse for ever; one still
        # held when no drag started would keep every later drag from starting.
        if not select.select([helper.stdout], [], [], 30)[0]:
            xdotool("mouseup", 1)
            self.fail("the drag did not start")
        self.assertEqual(helper.stdout.readline().strip(), b"dragging")
        xdotool("mousemove", 230, 250, "mousemove", x, y, "mousemove", x + 1, y + 1, "mouseup", 1)
        out, _ = helper.communicate(timeout=60)
        return out.decode().strip() == "drop 5"

    def test_files_are_ignored_while_busy_the_first_of_several_converts_and_an_unspellable_one_is_refused(self):
        window = self.start()
        self.probe.call("post", window, WM_COMMAND, ids.IDC_OUTPUT)
        wait_until(self.message_boxes, 30, "the message")
        # The window may refuse the drag while its message is up; either way nothing loads.
        self.drop(window, "file=" + self.picture("late.bmp", 30, 30))
        self.assertEqual(self.close_message_box(), NO_PICTURE)
        # Had the drop been taken, a conversion posted behind it would find a picture.
        self.probe.call("post", window, WM_COMMAND, ids.IDC_OUTPUT)
        self.assertEqual((self.close_message_box(30), self.shown_size(window)), (NO_PICTURE, ""))
        self.probe.call("press", window, ids.IDC_AUTO_OUTPUT)
        wait_until(lambda: self.probe.checked(window, ids.IDC_AUTO_OUTPUT), what="the box checked")
        self.probe.call("clear-clipboard")
        files = ["file=" + self.picture("一枚目.bmp", 48, 36), "file=" + self.picture("two.bmp", 20, 10)]
        self.assertTrue(self.drop(window, *files))
        wait_until(lambda: self.shown_size(window) == "48 x 36", 30, "the first file's size")
        self.wait_popup_closed()
        self.assertTrue(wait_until(read_clipboard_text, what="the tag").startswith(b'<img src="data:image/jpeg;'))
        # Had the window acted again on the earlier path, it would show this picture's size.
        self.picture("一枚目.bmp", 70, 70)
        self.assertTrue(self.drop(window, "file=" + self.picture("한국.bmp")))
        # A conversion posted behind the drop shows when it has been handled.
        self.probe.call("post", window, WM_COMMAND, ids.IDC_OUTPUT)
        self.wait_popup_closed()
        self.assertEqual(self.shown_size(window), "48 x 36")

    def test_texts_naming_a_picture_or_an_address_load_it_and_files_win_over_text(self):
        window = self.start()
        for offers, size in [
                ((f"unicode=  {self.picture('写真.bmp', 60, 20)}\r\n",), "60 x 20"),
                (("file=" + self.picture("a.bmp", 30, 20), "text=" + self.picture("b.bmp", 50, 40)), "30 x 20"),
                (("text=" + PictureServer().publish("ole.bmp", bmp_bytes(44, 11, colours)),), "44 x 11")]:
            with self.subTest(offers=offers):
                self.assertTrue(self.drop(window, *offers))
                wait_until(lambda: self.shown_size(window) == size, 60, size)
