"""The editor round trip and the dialog that chooses the program. How the command line is made, and
when the wait ends, are the editor's unit tables; here, that the registry, the settings and a
restore reach them. The paint program is korvi-stand-in.exe."""
from harness import CANNOT_WRITE, IDCANCEL, IDOK, WM_COMMAND, KorviCase, bmp_bytes, ids, reg, wait_until

EDITOR_CAPTION = "korvi test editor"
TEST_CLASS = "KorviTestPicture"
PICTURE = bmp_bytes(40, 30, lambda x, y: (6 * x, 8 * y, 255 - 3 * x - 4 * y))


def inverted(bmp):
    return bmp[:54] + bytes(255 - b for b in bmp[54:])


class EditorCases(KorviCase):
    def shows(self, window, picture):
        """Whether the program is back with the picture loaded and kept as its saved copy."""
        saved = self.path("$korvi_sv.bmp")
        return (saved.exists() and saved.read_bytes() == picture and "iconic" not in self.probe.state(window)
                and self.shown_size(window) == "40 x 30")

    def edit(self, window):
        """Presses the edit button and waits for the stand-in's record of the command line it was given."""
        self.path("recorded.txt").unlink(missing_ok=True)
        self.click_control(window, ids.IDC_EDIT_PICTURE)
        return wait_until(self.recorded, 60, "the editor to be started")

    def editor_window(self):
        return next((w["handle"] for w in self.probe.windows() if w["caption"] == EDITOR_CAPTION), None)

    def test_the_setting_or_the_association_edits_the_picture_a_restore_ends_the_wait_and_the_dialog_sets_it(self):
        for key in (".bmp", TEST_CLASS):
            reg("delete", "HKCR\\" + key, "/f", check=False)
        editor = self.stand_in()
        self.path("$korvi_sv.bmp").write_bytes(PICTURE)
        window = self.start()
        # Without either, the button does nothing visible.
        self.click_control(window, ids.IDC_EDIT_PICTURE)
        wait_until(self.path("$korvi$.bmp").exists, 30, "the hand-over file")
        # The size field answers only once the command has returned.
        self.assertEqual(self.shown_size(window), "40 x 30")
        self.assertEqual((self.message_boxes(), self.probe.state(window), self.recorded()), ([], {"shown", "enabled"}, None))
        handover = self.windows_path("$korvi$.bmp")
        expected = PICTURE
        for what, setting, keys, command in [
            ("the setting before the association", editor,
             [(r".bmp\shell\open\command", r'"C:\nowhere\paint.exe" "%1"')], f'"{editor}" "{handover}"'),
            ("edit command of the class", "", [(".bmp", TEST_CLASS),
                                               (TEST_CLASS + r"\shell\open\command", r'"C:\nowhere\view.exe" "%1"'),
                                               (TEST_CLASS + r"\shell\edit\command", f'"{editor}" "%1" /edit')],
             f'"{editor}" "{handover}" /edit'),
        ]:
            with self.subTest(what):
                self.write_settings("Tools", EditBitmap=setting)
                reg("delete", r"HKCR\.bmp", "/f", check=False)
                for key, value in keys:
                    reg("add", "HKCR\\" + key, "/ve", "/d", value, "/f")
                self.assertEqual(self.edit(window), command)
                expected = inverted(expected)
                wait_until(lambda: self.shows(window, expected), 30, "the edited picture")
        # The wait ends on a restore while the editor runs on.
        self.path("editor-hold").touch()
        self.edit(window)
        held = wait_until(self.editor_window, 30, "the editor's window")
        self.assertIn("iconic", self.probe.state(window))
        self.assertEqual(self.path("$korvi_sv.bmp").read_bytes(), PICTURE)
        self.probe.call("restore", window)
        wait_until(lambda: self.shows(window, inverted(PICTURE)), 30, "the picture after the restore")
        self.assertEqual(self.editor_window(), held)
        self.probe.call("post", held, WM_COMMAND, IDOK)
        wait_until(lambda: self.editor_window() is None, 30, "the editor to close")

        # The settings dialog chooses the program and says when it cannot store it.
        deep = "C:\\" + "\\".join(["長いフォルダ名" * 4] * 8) + "\\paint.exe"  # longer than 255 bytes
        self.write_settings("Tools", EditBitmap=deep)
        dialog = self.open_settings(window)
        self.assertEqual(self.probe.text(dialog, ids.IDC_EDITOR_PROGRAM), deep)
        self.probe.call("press", dialog, ids.IDC_BROWSE_EDITOR)
        self.choose_file("画像編集アプリを選択する", editor)
        wait_until(lambda: self.probe.text(dialog, ids.IDC_EDITOR_PROGRAM) == editor, what="the chosen program")
        self.press_and_wait_closed(dialog, IDOK)
        self.assertEqual(self.settings("Tools"), {"EditBitmap": editor})

        dialog = self.open_settings(window)
        self.probe.call("set-text", dialog, ids.IDC_EDITOR_PROGRAM, "C:\\other.exe")
        self.press_and_wait_closed(dialog, IDCANCEL)
        self.assertEqual(self.settings("Tools"), {"EditBitmap": editor})

        self.path("korvi.ini").unlink()
        self.path("korvi.ini").mkdir()
        dialog = self.open_settings(window)
        self.probe.call("set-text", dialog, ids.IDC_EDITOR_PROGRAM, editor)
        self.probe.call("press", dialog, IDOK)
        self.assertEqual(self.close_message_box(), CANNOT_WRITE)
        self.assertEqual(self.probe.text(dialog, ids.IDC_EDITOR_PROGRAM), editor)
        self.press_and_wait_closed(dialog, IDCANCEL)

    def open_settings(self, window):
        self.click_control(window, ids.IDC_EDITOR_SETTINGS)
        return self.dialog("画像編集アプリの設定")
