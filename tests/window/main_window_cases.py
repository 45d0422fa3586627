"""The main window: start-up, settings, position, closing, the buttons without a picture, a second start."""
import itertools

from harness import (CAPTION, NO_PICTURE, SC_MINIMIZE, WM_CLOSE, WM_SYSCOMMAND, WS_EX_TOPMOST, KorviCase, ids, move_mouse,
                     wait_until, xdotool)


class StartUp(KorviCase):
    def test_settings_shown_clamped_buttons_without_a_picture_a_second_start_and_the_position_kept(self):
        self.write_settings(JpegQuality=101, Pixel=10, SizeChange=2, Format=1)
        window = self.start()
        shown = [self.probe.text(window, ids.IDC_RESIZE_METHOD),
                 [self.probe.checked(window, c) for c in (ids.IDC_FORMAT_JPEG, ids.IDC_FORMAT_GIF, ids.IDC_FORMAT_BMP)],
                 self.probe.text(window, ids.IDC_JPEG_QUALITY), self.probe.text(window, ids.IDC_SIDE_LENGTH),
                 self.probe.checked(window, ids.IDC_AUTO_OUTPUT)]
        self.assertEqual(shown, ["幅に固定する", [False, True, False], "100", "64", False])
        self.assertTrue(self.probe.styles(window)[1] & WS_EX_TOPMOST)
        self.click_control(window, ids.IDC_TEST_PAGE)
        self.assertEqual(self.close_message_box(), NO_PICTURE)
        self.click_control(window, ids.IDC_EDIT_PICTURE)
        # The size field answers once the command has returned.
        self.assertEqual(self.shown_size(window), "")
        self.assertEqual((self.message_boxes(), "iconic" in self.probe.state(window)), ([], False))
        second = self.start(wait=False)
        self.assertEqual(self.close_message_box(), "二重起動です．")
        wait_until(lambda: second.poll() is not None, what="the second start to end")
        self.assertEqual([w["handle"] for w in self.dialogs(CAPTION) if w["owner"] == 0], [window])
        left, top, right, bottom = self.probe.rect(window)
        # Dragged by the background 3 pixels inside the 3-pixel frame: no control reaches the right margin.
        grab_x, grab_y = right - 6, (top + bottom) // 2
        # A click on the read-only size field first makes the window the active one.
        self.click_control(window, ids.IDC_PICTURE_SIZE)
        move_mouse(grab_x, grab_y)
        xdotool("mousedown", 1)
        # The first move starts the drag; each later one moves the window, which is awaited so that a
        # busy machine cannot see the button come up before the moves. Moves that arrive together
        # reach the window as one, so while it waits the pointer is nudged by a pixel to send another.
        last_left = left
        for step in range(1, 8):
            x, y = grab_x - 20 * step, grab_y - 10 * step
            move_mouse(x, y)
            if step > 1:
                nudges = itertools.cycle([(x, y - 1), (x, y)])

                def followed():
                    now = self.probe.rect(window)[0]
                    if now < last_left:
                        return now
                    xdotool("mousemove", *next(nudges))
                    return None

                last_left = wait_until(followed, what="the window to follow the drag", interval=0.2)
        xdotool("mouseup", 1)
        # Closed while minimised, it keeps the place it is restored to.
        self.probe.call("post", window, WM_SYSCOMMAND, SC_MINIMIZE)
        wait_until(lambda: "iconic" in self.probe.state(window), what="the window to be minimised")
        self.probe.call("post", window, WM_CLOSE, 0)
        self.wait_exit()
        # Only a conversion that succeeds stores the output settings.
        self.assertEqual(self.settings()["Pixel"], "10")
        self.assertFalse(self.path("$korvi$.bmp").exists() or self.path("$korvi2.html").exists())
        moved = tuple(int(v) for v in self.settings()["Rect"].split(","))
        self.assertLess(moved[0], left - 40)
        self.assertLess(moved[1], top - 20)
        self.assertEqual((moved[2] - moved[0], moved[3] - moved[1]), (right - left, bottom - top))
        self.assertEqual(self.probe.rect(self.start()), moved)
