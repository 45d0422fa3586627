"""The hints of the main window: after the pointer rests on a control a pale yellow window shows the
control's text below it, or above it near the bottom of the screen, and a mouse button removes it."""
import screen
from harness import (FORMAT_GIF, JPEG_QUALITY, PICTURE_SIZE, PREVIEW, SIDE_LENGTH, TEST_PAGE, KorviCase, ProbeError,
                     move_mouse, screen_size, wait_until, xdotool)

HINT_CLASS = "QV ToolHint"
HINTS = {
    PREVIEW: "入力画像を表示する\nクリックすると画像ファイルをロードするボックスが開く\n"
             "クリックするときに、クリップボードに画像データがあれば、これを取り込む",
    JPEG_QUALITY: "フォーマットでJpegが選択されたときの\nJpeg品質を設定します",
    PICTURE_SIZE: "入力画像の幅と高さを表示する",
    TEST_PAGE: "画像をブラウザでテスト表示します",
    SIDE_LENGTH: "幅か正方形の一辺のピクセル数を設定します",
}
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
        """Rests the pointer on the control until its hint shows and is painted. Checks that it is as
        large as its text measured in its font and bordered and filled, with ink on every line, and
        centred on the control; returns its rectangle and the control's."""
        move_mouse(*self.control_centre(window, control))
        rect = wait_until(self.hint, 20, f"the hint of {control}")
        left, top, right, bottom = rect
        pixels = wait_until(lambda: (lambda p: p if p[2][2] == FILL else None)(
            screen.grab(left, top, right - left, bottom - top)), 10, "the hint to be painted")
        text = HINTS[control]
        widest, height = (int(v) for v in self.probe.call("measure-hint", text.replace("\n", "\x1e")).split())
        lines = text.split("\n")
        self.assertEqual((right - left, bottom - top), (widest + 6, len(lines) * height + 6))
        self.assertEqual({pixels[0][0], pixels[-1][-1], pixels[0][-1], pixels[-1][0]}, {BORDER})
        for line in range(len(lines)):
            band = pixels[3 + line * height:3 + (line + 1) * height]
            self.assertTrue(any(p[1] < 200 for row in band for p in row[1:-1]), f"no text on line {line + 1}")
        area = self.probe.rect(window, control)
        self.assertEqual(left, area[0] + (area[2] - area[0]) // 2 - (right - left) // 2)
        return rect, area

    def leave(self, window):
        """Moves the pointer onto the window's bare right margin (over the bare X root Wine would keep
        the last position it saw)."""
        left, top, right, bottom = self.probe.client(window)
        move_mouse(right - 3, (top + bottom) // 2)
        wait_until(lambda: self.hint() is None, 10, "the hint to go when the pointer leaves")

    def test_hint_shows_below_its_control_after_a_rest_and_goes_on_a_press(self):
        window = self.start()
        for control in (PREVIEW, JPEG_QUALITY, PICTURE_SIZE):
            with self.subTest(control=control):
                rect, area = self.rest_on(window, control)
                self.assertEqual(rect[1], area[1] + (area[3] - area[1]) // 2 * 2 + 6)
                if control != PICTURE_SIZE:
                    self.leave(window)
        # A held button keeps the hint away; the pointer is on the read-only size field.
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
        rect, area = self.rest_on(window, TEST_PAGE)
        self.assertEqual(rect[3], area[1] - 6)

    def test_click_on_a_hint_reaches_the_control_below(self):
        window = self.start()
        rect, _ = self.rest_on(window, SIDE_LENGTH)
        x, y = self.control_centre(window, FORMAT_GIF)
        self.assertTrue(rect[0] <= x < rect[2] and rect[1] <= y < rect[3], "the hint covers the GIF button")
        # At once, before the timer sees the pointer leave the side length's field and moves the hint.
        xdotool("mousemove", x, y, "click", 1)
        wait_until(lambda: self.probe.call("checked", window, FORMAT_GIF) == "1", 10, "GIF to be chosen")
