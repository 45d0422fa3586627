"""The hints of the main window: after the pointer rests on a control a pale yellow window shows the
control's text below it, or above it near the bottom of the screen, and a mouse button removes it.
Where exactly, and after how long a rest, is the hint rules' unit table."""
import screen
from harness import KorviCase, ProbeError, ids, move_mouse, screen_size, wait_until, xdotool

HINT_CLASS = "QV ToolHint"
PREVIEW_HINT = ["入力画像を表示する", "クリックすると画像ファイルをロードするボックスが開く",
                "クリックするときに、クリップボードに画像データがあれば、これを取り込む"]
FILL, BORDER = (255, 255, 128), (0, 0, 0)


class Hints(KorviCase):
    def hint(self):
        """The shown hint's rectangle, or None (also when it went while being looked at)."""
        for found in self.probe.windows():
            if found["cls"] == HINT_CLASS:
                try:
                    return self.probe.rect(found["handle"])
                except ProbeError:
                    return None
        return None

    def rest_on(self, window, control):
        """Rests the pointer on the control until its hint shows centred on it; returns the hint's
        rectangle and the control's."""
        move_mouse(*self.control_centre(window, control))
        area = self.probe.rect(window, control)

        def centred():
            rect = self.hint()
            return rect if rect and rect[0] == area[0] + (area[2] - area[0]) // 2 - (rect[2] - rect[0]) // 2 else None
        return wait_until(centred, 20, f"the hint of {control} centred on it"), area

    def test_hint_shows_its_text_below_the_control_and_goes_on_a_press(self):
        window = self.start()
        rect, area = self.rest_on(window, ids.IDC_PREVIEW)
        self.assertEqual(rect[1], area[1] + (area[3] - area[1]) // 2 * 2 + 6)
        left, top, right, bottom = rect
        pixels = wait_until(lambda: (lambda p: p if p[2][2] == FILL else None)(
            screen.grab(left, top, right - left, bottom - top)), 10, "the hint to be painted")
        # As large as its text measured in its font, bordered and filled, with ink on every line.
        widest, height = (int(v) for v in self.probe.call("measure-hint", "\x1e".join(PREVIEW_HINT)).split())
        self.assertEqual((right - left, bottom - top), (widest + 6, len(PREVIEW_HINT) * height + 6))
        self.assertEqual({pixels[0][0], pixels[-1][-1], pixels[0][-1], pixels[-1][0]}, {BORDER})
        for line in range(len(PREVIEW_HINT)):
            band = pixels[3 + line * height:3 + (line + 1) * height]
            self.assertTrue(any(p[1] < 200 for row in band for p in row[1:-1]), f"no text on line {line + 1}")
        # A held button keeps the hint away; the pointer is on the read-only size field then.
        self.rest_on(window, ids.IDC_PICTURE_SIZE)
        xdotool("mousedown", 1)
        try:
            wait_until(lambda: self.hint() is None, 10, "the hint to go")
        finally:
            xdotool("mouseup", 1)

    def test_hint_goes_above_its_control_near_the_bottom_of_the_screen(self):
        width, height = screen_size()
        left = width // 2 - 100
        self.write_settings(Rect=f"{left},{height},{left + 200},{height + 300}")  # kept on the screen at its bottom
        window = self.start()
        self.assertEqual(self.probe.rect(window)[3], height)
        rect, area = self.rest_on(window, ids.IDC_TEST_PAGE)
        self.assertEqual(rect[3], area[1] - 6)

    def test_click_on_a_hint_reaches_the_control_below(self):
        window = self.start()
        rect, _ = self.rest_on(window, ids.IDC_SIDE_LENGTH)
        x, y = self.control_centre(window, ids.IDC_FORMAT_GIF)
        self.assertTrue(rect[0] <= x < rect[2] and rect[1] <= y < rect[3], "the hint covers the GIF button")
        # At once, before the timer sees the pointer leave the side length's field and moves the hint.
        xdotool("mousemove", x, y, "click", 1)
        wait_until(lambda: self.probe.checked(window, ids.IDC_FORMAT_GIF), 10, "GIF to be chosen")
