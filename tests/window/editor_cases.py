"""The editor round trip: the edit button writes the picture to "$korvi$.bmp", starts the paint
program of the settings or of the .bmp association on it with the window minimised, and loads what
the program left there once it ends or the window is restored. The editor settings button opens the
dialog that chooses the program. How the command line is made, and when the wait ends, are the
editor's unit tables; here, that the registry, the settings and a restore reach them. The paint
program is korvi-stand-in.exe: it inverts the pixels of the file it is given and, when
"editor-hold" lies beside it, stays until its message box is closed."""
from harness import CANNOT_WRITE, IDCANCEL, IDOK, WM_COMMAND, KorviCase, bmp_bytes, ids, reg, wait_until

SETTINGS_CAPTION = "画像編集アプリの設定"
BROWSE_CAPTION = "画像編集アプリを選択する"
EDITOR_CAPTION = "korvi test editor"
TEST_CLASS = "KorviTestPicture"
PICTURE = bmp_bytes(40, 30, lambda x, y: (6 * x, 8 * y, 255 - 3 * x - 4 * y))


def inverted(bmp):
    return bmp[:54] + bytes(255 - b for b in bmp[54:])


class EditorCases(KorviCase):
    def setUp(self):
        super().setUp()
        for key in (".bmp", TEST_CLASS):
            reg("delete", "HKCR\\" + key, "/f", check=False)
        self.editor = self.stand_in()
        self.path("$korvi_sv.bmp").write_bytes(PICTURE)

    def iconic(self, window):
        return "iconic" in self.probe.state(window)

    def shows(self, window, picture):
        """Whether the program is back with the picture loaded and kept as its saved copy."""
        saved = self.path("$korvi_sv.bmp")
        return (saved.exists() and saved.read_bytes() == picture and not self.iconic(window)
                and self.shown_size(window) == "40 x 30")

    def edit(self, window):
        """Presses the edit button and waits for the stand-in's record of the command line it was given."""
        self.path("recorded.txt").unlink(missing_ok=True)
        self.click_control(window, ids.IDC_EDIT_PICTURE)
        return wait_until(self.recorded, 60, "the editor to be started")

    def editor_window(self):
        return next((w["handle"] for w in self.probe.windows() if w["caption"] == EDITOR_CAPTION), None)

    def test_editor_of_the_setting_or_the_association_edits_the_picture(self):
        window = self.start()
        # Without either, the button does nothing visible.
        self.click_control(window, ids.IDC_EDIT_PICTURE)
        wait_until(self.path("$korvi$.bmp").exists, 30, "the hand-over file")
        # The size field answers only once the command has returned.
        self.assertEqual(self.shown_size(window), "40 x 30")
        self.assertEqual((self.message_boxes(), self.iconic(window), self.recorded()), ([], False, None))
        editor, handover = self.editor, self.windows_path("$korvi$.bmp")
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

    def test_wait_ends_on_a_restore_while_the_editor_runs(self):
        self.write_settings("Tools", EditBitmap=self.editor)
        self.path("editor-hold").touch()
        window = self.start()
        self.edit(window)
        editor = wait_until(self.editor_window, 30, "the editor's window")
        self.assertTrue(self.iconic(window))
        self.assertEqual(self.path("$korvi_sv.bmp").read_bytes(), PICTURE)
        self.probe.call("restore", window)
        wait_until(lambda: self.shows(window, inverted(PICTURE)), 30, "the picture after the restore")
        self.assertEqual(self.editor_window(), editor)
        self.probe.post(editor, WM_COMMAND, IDOK)
        wait_until(lambda: self.editor_window() is None, 30, "the editor to close")

    def test_settings_dialog_chooses_the_program_and_says_when_it_cannot_store_it(self):
        deep = "C:\\" + "\\".join(["長いフォルダ名" * 4] * 8) + "\\paint.exe"  # longer than 255 bytes
        self.write_settings("Tools", EditBitmap=deep)
        window = self.start()
        dialog = self.open_settings(window)
        self.assertEqual(self.probe.text(dialog, ids.IDC_EDITOR_PROGRAM), deep)
        self.probe.call("set-text", dialog, ids.IDC_EDITOR_PROGRAM, "mspaint.exe")  # a bare name: the picture folder
        self.probe.call("press", dialog, ids.IDC_BROWSE_EDITOR)
        self.choose_file(BROWSE_CAPTION, self.editor)
        wait_until(lambda: self.probe.text(dialog, ids.IDC_EDITOR_PROGRAM) == self.editor, what="the chosen program")
        self.press_and_wait_closed(dialog, IDOK)
        self.assertEqual(self.settings("Tools"), {"EditBitmap": self.editor})

        dialog = self.open_settings(window)
        self.probe.call("set-text", dialog, ids.IDC_EDITOR_PROGRAM, "C:\\other.exe")
        self.press_and_wait_closed(dialog, IDCANCEL)
        self.assertEqual(self.settings("Tools"), {"EditBitmap": self.editor})

        self.path("korvi.ini").unlink()
        self.path("korvi.ini").mkdir()
        dialog = self.open_settings(window)
        self.probe.call("set-text", dialog, ids.IDC_EDITOR_PROGRAM, self.editor)
        self.probe.call("press", dialog, IDOK)
        self.assertEqual(self.close_message_box(), CANNOT_WRITE)
        self.assertEqual(self.probe.text(dialog, ids.IDC_EDITOR_PROGRAM), self.editor)
        self.press_and_wait_closed(dialog, IDCANCEL)

    def open_settings(self, window):
        self.click_control(window, ids.IDC_EDITOR_SETTINGS)
        return self.dialog(SETTINGS_CAPTION)
