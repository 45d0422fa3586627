"""The editor round trip: the edit button writes the picture to "$korvi$.bmp", starts the paint
program of the settings or of the .bmp association on it with the window minimised, and loads what
the program left there once it ends or the window is restored. The editor settings button opens the
dialog that chooses the program. How the command line is made is the editor's unit table; here,
that the registry and the settings reach it. The paint program is korvi-editor-stand-in.exe: it
inverts the pixels of the file it is given, records its command line beside it and, when
"editor-hold" lies there, stays open until its window is closed."""
import os
import pathlib
import shutil
import subprocess
import time

from harness import CANNOT_WRITE, IDCANCEL, IDOK, KorviCase, Paths, bmp_bytes, bmp_rows, ids, wait_until

SETTINGS_CAPTION = "画像編集アプリの設定"
BROWSE_CAPTION = "画像編集アプリを選択する"
EDITOR_CAPTION = "korvi test editor"
TEST_CLASS = "KorviTestPicture"
PICTURE = bmp_bytes(40, 30, lambda x, y: (6 * x, 8 * y, 255 - 3 * x - 4 * y))


def inverted(bmp):
    return bmp[:54] + bytes(255 - b for b in bmp[54:])


def reg(*args, check=True):
    subprocess.run(["wine", "reg", *args], check=check, timeout=60, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


class EditorCases(KorviCase):
    def setUp(self):
        super().setUp()
        for key in (".bmp", TEST_CLASS):
            reg("delete", "HKCR\\" + key, "/f", check=False)
        shutil.copy(pathlib.Path(Paths.probe).with_name("korvi-editor-stand-in.exe"), self.path("editor.exe"))
        self.editor = self.windows_path("editor.exe")
        self.handover = self.windows_path("$korvi$.bmp")

    def set_editor(self, program):
        self.path("korvi.ini").write_bytes(f"[Tools]\r\nEditBitmap={program}\r\n".encode("cp932"))

    def stored_editor(self):
        text = self.path("korvi.ini").read_bytes().decode("cp932")
        return dict(line.split("=", 1) for line in text[text.index("[Tools]"):].splitlines()[1:] if "=" in line)

    def start_with_picture(self):
        self.path("$korvi_sv.bmp").write_bytes(PICTURE)
        return self.start()

    def iconic(self, window):
        return "iconic" in self.probe.state(window)

    def shows(self, window, picture):
        """Whether the program is back with the picture loaded and kept as its saved copy."""
        saved = self.path("$korvi_sv.bmp")
        return (saved.exists() and bmp_rows(saved.read_bytes()) == bmp_rows(picture) and not self.iconic(window)
                and self.shown_size(window) == "%d x %d" % bmp_rows(picture)[:2])

    def edit(self, window):
        """Presses the edit button and waits for the stand-in's record of the command line it was given."""
        record = self.path("editor-command.txt")
        record.unlink(missing_ok=True)
        self.click_control(window, ids.IDC_EDIT_PICTURE)
        return wait_until(lambda: record.exists() and record.read_bytes().decode("cp932"), 60,
                          "the editor to be started")

    def editor_window(self):
        return next((w["handle"] for w in self.probe.windows() if w["caption"] == EDITOR_CAPTION), None)

    def runs_the_editor(self, process):
        """Whether a /proc entry is a process of this case's stand-in."""
        try:
            return self.editor.encode() in (process / "cmdline").read_bytes()
        except OSError:
            return False

    def test_editor_of_the_setting_or_the_association_edits_the_picture(self):
        system_copy = pathlib.Path(os.environ["WINEPREFIX"]) / "drive_c" / "windows" / "korvi-editor.exe"
        shutil.copy(self.path("editor.exe"), system_copy)
        self.addCleanup(system_copy.unlink, missing_ok=True)
        editor, handover = self.editor, self.handover
        rounds = [
            ("the setting before the association", editor,
             [(r".bmp\shell\open\command", r'"C:\nowhere\paint.exe" "%1"')],
             f'"{editor}" "{handover}"'),
            ("open command of a missing setting", self.windows_path("gone.exe"),
             [(r".bmp\shell\open\command", f'"{editor}" "%1"')], f'"{editor}" "{handover}"'),
            ("edit command of the class", "", [(".bmp", TEST_CLASS),
                                               (TEST_CLASS + r"\shell\open\command", r'"C:\nowhere\view.exe" "%1"'),
                                               (TEST_CLASS + r"\shell\edit\command", f'"{editor}" "%1" /edit')],
             f'"{editor}" "{handover}" /edit'),
            ("expandable command", "",
             [(r".bmp\shell\open\command", r'%SystemRoot%\korvi-editor.exe "%1"', "REG_EXPAND_SZ")],
             f'C:\\windows\\korvi-editor.exe "{handover}"'),
        ]
        window = self.start_with_picture()
        expected = PICTURE
        for what, setting, keys, command in rounds:
            with self.subTest(what):
                self.set_editor(setting)
                reg("delete", r"HKCR\.bmp", "/f", check=False)
                for key, value, *kind in keys:
                    reg("add", "HKCR\\" + key, "/ve", "/t", *(kind or ["REG_SZ"]), "/d", value, "/f")
                self.assertEqual(self.edit(window), command)
                expected = inverted(expected)
                wait_until(lambda: self.shows(window, expected), 30, "the edited picture")

    def test_wait_ends_on_a_restore_and_when_the_editor_closes(self):
        self.set_editor(self.editor)
        self.path("editor-hold").touch()
        window = self.start_with_picture()

        # Restored while the editor still runs: the file is loaded as it is.
        self.edit(window)
        editor = wait_until(self.editor_window, 30, "the editor's window")
        self.assertTrue(self.iconic(window))
        self.assertEqual(bmp_rows(self.path("$korvi_sv.bmp").read_bytes()), bmp_rows(PICTURE))
        self.probe.call("restore", window)
        wait_until(lambda: self.shows(window, inverted(PICTURE)), 30, "the picture after the restore")
        self.assertEqual(self.editor_window(), editor)
        self.probe.call("close", editor)
        wait_until(lambda: self.editor_window() is None, 30, "the editor to close")

        # Closed while the window waits minimised: noticed at once.
        self.edit(window)
        editor = wait_until(self.editor_window, 30, "the editor's window")
        self.assertTrue(self.iconic(window))
        processes = [p for p in pathlib.Path("/proc").glob("[0-9]*") if self.runs_the_editor(p)]
        self.assertTrue(processes)
        self.probe.call("close", editor)
        # Wine takes its time to end a process with windows: timed from the end of the process.
        wait_until(lambda: not any(p.exists() for p in processes), 30, "the editor to end", interval=0.01)
        ended = time.monotonic()
        wait_until(lambda: not self.iconic(window), 30, "the window to be restored", interval=0.01)
        noticed = time.monotonic() - ended
        print(f"  the end of the editor noticed after {noticed:.2f} s")
        self.assertLess(noticed, 3.0, "an ended editor is noticed within a second and a bit, however loaded")
        wait_until(lambda: self.shows(window, PICTURE), 30, "the picture after the editor closed")

    def test_without_an_editor_the_button_does_nothing_visible(self):
        window = self.start_with_picture()
        self.click_control(window, ids.IDC_EDIT_PICTURE)
        wait_until(self.path("$korvi$.bmp").exists, 30, "the hand-over file")
        # The size field answers only once the command has returned.
        self.assertEqual(self.shown_size(window), "40 x 30")
        self.assertEqual((self.message_boxes(), self.iconic(window)), ([], False))

    def test_settings_dialog_chooses_the_program_and_says_when_it_cannot_store_it(self):
        deep = "C:\\" + "\\".join(["長いフォルダ名" * 4] * 8) + "\\paint.exe"  # longer than 255 bytes
        self.set_editor(deep)
        window = self.start()
        dialog = self.open_settings(window)
        self.assertEqual(self.probe.text(dialog, ids.IDC_EDITOR_PROGRAM), deep)
        self.probe.call("set-text", dialog, ids.IDC_EDITOR_PROGRAM, "mspaint.exe")  # a bare name: the picture folder
        self.probe.call("press", dialog, ids.IDC_BROWSE_EDITOR)
        self.choose_file(BROWSE_CAPTION, self.editor)
        wait_until(lambda: self.probe.text(dialog, ids.IDC_EDITOR_PROGRAM) == self.editor, what="the chosen program")
        self.press_and_wait_closed(dialog, IDOK)
        self.assertEqual(self.stored_editor(), {"EditBitmap": self.editor})

        dialog = self.open_settings(window)
        self.probe.call("set-text", dialog, ids.IDC_EDITOR_PROGRAM, "C:\\other.exe")
        self.press_and_wait_closed(dialog, IDCANCEL)
        self.assertEqual(self.stored_editor(), {"EditBitmap": self.editor})

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
