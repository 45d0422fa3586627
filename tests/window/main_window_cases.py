"""The main window: start-up, settings, position, closing."""
import itertools

from harness import (AUTO_OUTPUT, CAPTION, FORMAT_BMP, FORMAT_GIF, FORMAT_JPEG, JPEG_QUALITY, PICTURE_SIZE,
                     RESIZE_METHOD, SIDE_LENGTH, WS_EX_TOPMOST, KorviCase, move_mouse, screen_size, wait_until,
                     xdotool)


class StartUp(KorviCase):
    def shown_settings(self, window):
        checked = [c for c in (FORMAT_JPEG, FORMAT_GIF, FORMAT_BMP) if self.probe.call("checked", window, c) == "1"]
        return dict(method=int(self.probe.call("combo", window, RESIZE_METHOD)), formats=checked,
                    quality=self.probe.text(window, JPEG_QUALITY), side=self.probe.text(window, SIDE_LENGTH),
                    auto=self.probe.call("checked", window, AUTO_OUTPUT))

    def test_settings_shown_with_defaults_and_clamps(self):
        cases = [
            ({}, dict(method=1, formats=[FORMAT_JPEG], quality="80", side="430", auto="0")),
            (dict(JpegQuality=15, Pixel=2000, SizeChange=7, Format=-1),
             dict(method=3, formats=[FORMAT_JPEG], quality="30", side="800", auto="0")),
            (dict(JpegQuality=101, Pixel=10, SizeChange=-3, Format=9),
             dict(method=0, formats=[FORMAT_BMP], quality="100", side="64", auto="0")),
            (dict(JpegQuality="55abc", Pixel="x", SizeChange=2, Format=1),
             dict(method=2, formats=[FORMAT_GIF], quality="55", side="64", auto="0")),
        ]
        for stored, shown in cases:
            with self.subTest(stored=stored):
                if stored:
                    self.write_settings(**stored)
                else:
                    self.path("korvi.ini").unlink(missing_ok=True)
                window = self.start()
                self.assertEqual(self.shown_settings(window), shown)
                self.close_with_escape(window)
                self.processes.clear()

    def test_second_start_is_refused_while_the_first_runs_on(self):
        first = self.start()
        second = self.start(wait=False)
        box, text = self.wait_message_box()
        self.assertEqual(text, "二重起動です．")
        self.probe.call("command", box, 1)
        wait_until(lambda: second.poll() is not None, what="the second start to end")
        self.assertEqual(self.main_window(), first)
        self.assertEqual([w for w in self.dialogs(CAPTION) if w["owner"] == 0 and w["handle"] != first], [])

    def test_escape_closes_and_writes_the_settings_word_and_position(self):
        self.write_settings(flags=0, Pixel=2000)
        window = self.start()
        self.assertTrue(self.probe.styles(window)[1] & WS_EX_TOPMOST)
        self.close_with_escape(window)
        settings = self.settings()
        self.assertEqual(settings["flags"], "1")
        left, top, right, bottom = (int(v) for v in settings["Rect"].split(","))
        self.assertGreater(right - left, 100)
        self.assertGreater(bottom - top, 100)
        # Only the conversion stores the output settings.
        self.assertEqual(settings["Pixel"], "2000")

    def test_position_comes_back_and_is_kept_on_the_screen(self):
        window = self.start()
        left, top, right, bottom = self.probe.rect(window)
        width, height = right - left, bottom - top
        # Dragged by the background: no control reaches the right margin.
        client = self.probe.client(window)
        grab_x, grab_y = client[2] - 3, (client[1] + client[3]) // 2
        # A click on the read-only size field first makes the window the active one.
        self.click_control(window, PICTURE_SIZE)
        move_mouse(grab_x, grab_y)
        under = self.probe.call("window-at", grab_x, grab_y)
        self.assertEqual(int(under), window, f"the window under the pointer; all: {self.probe.windows()}")
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
        self.probe.call("minimise", window)
        wait_until(lambda: self.probe.call("iconic", window) == "1", what="the window to be minimised")
        self.probe.call("close", window)
        self.wait_exit()
        self.processes.clear()
        moved = tuple(int(v) for v in self.settings()["Rect"].split(","))
        self.assertLess(moved[0], left - 40)
        self.assertLess(moved[1], top - 20)
        self.assertEqual((moved[2] - moved[0], moved[3] - moved[1]), (width, height))

        window = self.start()
        self.assertEqual(self.probe.rect(window), moved)
        self.close_with_escape(window)
        self.processes.clear()

        screen_width, screen_height = screen_size()
        for stored, expected in [((5000, 6000), (screen_width - width, screen_height - height)),
                                 ((-900, -700), (0, 0)), ((screen_width - 10, 10), (screen_width - width, 10))]:
            with self.subTest(stored=stored):
                x, y = stored
                self.write_settings(Rect=f"{x},{y},{x + width},{y + height}")
                window = self.start()
                self.assertEqual(self.probe.rect(window)[:2], expected)
                self.close_with_escape(window)
                self.processes.clear()
