"""The hints of the main window; where exactly, and after how long a rest, is the hint rules' unit
table."""
from harness import KorviCase, ProbeError, grab, ids, move_mouse, wait_until, xdotool

HINT_CLASS = "QV ToolHint"
FILL, BORDER = (255, 255, 128), (0, 0, 0)


class Hints(KorviCase):
    def hint(self):
        """The shown hint's rectangle, or None (also when it went while being looked at)."""
        handle = next((w["handle"] for w in self.probe.windows() if w["cls"] == HINT_CLASS), None)
        try:
            return handle and self.probe.rect(handle)
        except ProbeError:
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

    def test_hint_shows_below_its_control_lets_a_click_through_and_goes_while_it_is_held(self):
        window = self.start()
        rect, area = self.rest_on(window, ids.IDC_PREVIEW)
        self.assertEqual(rect[1], area[1] + (area[3] - area[1]) // 2 * 2 + 6)
        left, top, right, bottom = rect
        pixels = wait_until(lambda: (lambda p: p if p[2][2] == FILL else None)(
            grab(left, top, right - left, bottom - top)), 10, "the hint to be painted")
        self.assertEqual({pixels[0][0], pixels[-1][-1], pixels[0][-1], pixels[-1][0]}, {BORDER})
        self.assertTrue(any(p[1] < 200 for row in pixels[3:-3] for p in row[3:-3]), "no text in the hint")
        rect, _ = self.rest_on(window, ids.IDC_SIDE_LENGTH)
        x, y = self.control_centre(window, ids.IDC_FORMAT_GIF)
        self.assertTrue(rect[0] <= x < rect[2] and rect[1] <= y < rect[3], "the hint covers the GIF button")
        # At once, before the timer sees the pointer leave the side length's field and moves the hint.
        xdotool("mousemove", x, y, "mousedown", 1)
        try:
            wait_until(lambda: self.hint() is None, 10, "the hint to go")
        finally:
            xdotool("mouseup", 1)
        wait_until(lambda: self.probe.checked(window, ids.IDC_FORMAT_GIF), 10, "GIF to be chosen")
