"""The editor round trip: button 1000 writes the picture to "$korvi$.bmp", starts the paint program
of the settings or of the .bmp association on it with the window minimised, and loads what the
program left there once it ends or the window is restored. Button 1026 opens dialog 120, which
chooses the program. The paint program is korvi-editor-stand-in.exe: it inverts the pixels of the
file it is given, records its command line beside it and, when "editor-hold" lies there, stays
open until its window is closed."""
import os
import pathlib
import shutil
import struct
import subprocess
import time

from harness import EDIT_PICTURE, PICTURE_SIZE, Conversions, Paths, bmp_bytes, wait_until

EDITOR_SETTINGS = 1026
SETTINGS_CAPTION = "画像編集アプリの設定"
BROWSE_CAPTION = "画像編集アプリを選択する"
PROGRAM_BOX, BROWSE = 1020, 1000
IDOK, IDCANCEL = 1, 2
EDITOR_CAPTION = "korvi test editor"
TEST_CLASS = "KorviTestPicture"
CANNOT_WRITE = "ファイルが書き込み出来ませんでした．"
PICTURE = bmp_bytes(40, 30, lambda x, y: (6 * x, 8 * y, 255 - 3 * x - 4 * y))


def pixels(bmp):
    """The size and the rows of a 24-bit bottom-up BMP file, or None while it is not whole."""
    if len(bmp) < 54 or bmp[:2] != b"BM":
        return None
    offset, = struct.unpack_from("<I", bmp, 10)
    width, height = struct.unpack_from("<ii", bmp, 18)
    stride = (3 * width + 3) // 4 * 4
    if height <= 0 or len(bmp) < offset + stride * height:
        return None
    return width, height, [bmp[offset + row * stride:offset + row * stride + 3 * width] for row in range(height)]


def inverted(bmp):
    return bmp[:54] + bytes(255 - b for b in bmp[54:])


def reg(*args, check=True):
    subprocess.run(["wine", "reg", *args], check=check, timeout=60, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def set_key(key, value, kind="REG_SZ"):
    reg("add", "HKCR\\" + key, "/ve", "/t", kind, "/d", value, "/f")


class EditorCases(Conversions):
    def setUp(self):
        super().setUp()
        for key in (".bmp", TEST_CLASS):
            reg("delete", "HKCR\\" + key, "/f", check=False)
        shutil.copy(pathlib.Path(Paths.probe).with_name("korvi-editor-stand-in.exe"), self.path("editor.exe"))
        self.editor = self.windows_path("editor.exe")
        self.handover = self.windows_path("$korvi$.bmp")

    def write_settings_with_editor(self, program, **keys):
        self.write_settings(**keys)
        with open(self.path("korvi.ini"), "ab") as ini:
            ini.write(f"[Tools]\r\nEditBitmap={program}\r\n".encode("cp932"))

    def tools(self):
        text = self.path("korvi.ini").read_bytes().decode("cp932")
        section = text[text.index("[Tools]"):].splitlines()
        return dict(line.split("=", 1) for line in section[1:] if "=" in line)

    def start_with_picture(self, picture=PICTURE):
        self.path("$korvi_sv.bmp").write_bytes(picture)
        return self.start()

    def iconic(self, window):
        return self.probe.call("iconic", window) == "1"

    def shows(self, window, picture):
        """Whether the program is back with the picture loaded and kept as its saved copy."""
        saved = self.path("$korvi_sv.bmp")
        return (saved.exists() and pixels(saved.read_bytes()) == pixels(picture) and not self.iconic(window)
                and self.probe.text(window, PICTURE_SIZE) == "%d x %d" % pixels(picture)[:2])

    def edit(self, window):
        """Presses "編集" and waits for the stand-in's record of the command line it was given."""
        record = self.path("editor-command.txt")
        record.unlink(missing_ok=True)
        self.click_control(window, EDIT_PICTURE)
        return wait_until(lambda: record.exists() and record.read_bytes().decode("cp932"), 60,
                          "the editor to be started")

    def editor_processes(self):
        """The processes of the stand-in of this case's folder."""
        processes = set()
        for entry in pathlib.Path("/proc").iterdir():
            try:
                if entry.name.isdigit() and self.editor.encode() in (entry / "cmdline").read_bytes():
                    processes.add(entry.name)
            except OSError:
                pass
        return processes

    def editor_window(self):
        return next((w["handle"] for w in self.probe.windows() if w["caption"] == EDITOR_CAPTION), None)

    def test_setting_names_the_editor_and_the_changed_picture_is_converted(self):
        self.write_settings_with_editor(self.editor, Format=2, SizeChange=0)
        set_key(r".bmp\shell\open\command", r'"C:\nowhere\paint.exe" "%1"')  # the setting comes first
        window = self.start_with_picture()
        self.assertEqual(self.edit(window), f'"{self.editor}" "{self.handover}"')
        wait_until(lambda: self.shows(window, inverted(PICTURE)), 30, "the edited picture")
        self.path("expected.bmp").write_bytes(inverted(PICTURE))
        self.assertEqual(self.convert(window), self.cli_tag("expected.bmp", "-f", "bmp", "-m", "0"))

    def test_association_commands_get_the_file_in_quotes(self):
        system_copy = pathlib.Path(os.environ["WINEPREFIX"]) / "drive_c" / "windows" / "korvi-editor.exe"
        shutil.copy(self.path("editor.exe"), system_copy)
        self.addCleanup(system_copy.unlink, missing_ok=True)
        self.write_settings_with_editor(self.windows_path("gone.exe"))  # a missing program is passed over
        editor, handover = self.editor, self.handover
        rounds = [
            ("open command, %1 in quotes", [(r".bmp\shell\open\command", f'"{editor}" "%1"')],
             f'"{editor}" "{handover}"'),
            ("open command, bare %1", [(r".bmp\shell\open\command", f'"{editor}" %1')], f'"{editor}" "{handover}"'),
            ("open command without %1", [(r".bmp\shell\open\command", f'"{editor}"')], f'"{editor}" "{handover}"'),
            ("class edit command", [(".bmp", TEST_CLASS),
                                    (TEST_CLASS + r"\shell\open\command", r'"C:\nowhere\view.exe" "%1"'),
                                    (TEST_CLASS + r"\shell\edit\command", f'"{editor}" "%1" /edit')],
             f'"{editor}" "{handover}" /edit'),
            ("expandable command", [(r".bmp\shell\open\command", r'%SystemRoot%\korvi-editor.exe "%1"',
                                     "REG_EXPAND_SZ")],
             f'C:\\windows\\korvi-editor.exe "{handover}"'),
        ]
        window = self.start_with_picture()
        expected = PICTURE
        for what, keys, command in rounds:
            with self.subTest(what):
                reg("delete", r"HKCR\.bmp", "/f", check=False)
                for key in keys:
                    set_key(*key)
                self.assertEqual(self.edit(window), command)
                expected = inverted(expected)
                wait_until(lambda: self.shows(window, expected), 30, "the edited picture")

    def test_wait_ends_on_a_restore_and_when_the_editor_closes(self):
        self.write_settings_with_editor(self.editor)
        self.path("editor-hold").touch()
        window = self.start_with_picture()

        # Restored while the editor still runs: the file is loaded as it is.
        self.edit(window)
        editor = wait_until(self.editor_window, 30, "the editor's window")
        self.assertTrue(self.iconic(window))
        self.assertEqual(pixels(self.path("$korvi_sv.bmp").read_bytes()), pixels(PICTURE))
        self.probe.call("restore", window)
        wait_until(lambda: self.shows(window, inverted(PICTURE)), 30, "the picture after the restore")
        self.assertEqual(self.editor_window(), editor)
        self.probe.call("close", editor)
        wait_until(lambda: self.editor_window() is None, 30, "the editor to close")

        # Closed while the window waits minimised: noticed at once.
        self.edit(window)
        editor = wait_until(self.editor_window, 30, "the editor's window")
        self.assertTrue(self.iconic(window))
        processes = self.editor_processes()
        self.assertTrue(processes)
        self.probe.call("close", editor)
        # Wine takes its time to end a process with windows: timed from the end of the process.
        wait_until(lambda: not any(pathlib.Path(f"/proc/{pid}").exists() for pid in processes), 30,
                   "the editor to end", interval=0.01)
        ended = time.monotonic()
        wait_until(lambda: not self.iconic(window), 30, "the window to be restored", interval=0.01)
        noticed = time.monotonic() - ended
        print(f"  the end of the editor noticed after {noticed:.2f} s")
        self.assertLess(noticed, 3.0, "an ended editor is noticed within a second and a bit, however loaded")
        wait_until(lambda: self.shows(window, PICTURE), 30, "the picture after the editor closed")

    def test_without_a_picture_or_an_editor_the_button_does_nothing_visible(self):
        for picture in (False, True):
            with self.subTest(picture=picture):
                self.path("korvi.ini").unlink(missing_ok=True)
                window = self.start_with_picture() if picture else self.start()
                self.click_control(window, EDIT_PICTURE)
                if picture:
                    wait_until(self.path("$korvi$.bmp").exists, 30, "the hand-over file")
                # The size field answers only once the command has returned.
                self.assertEqual(self.probe.text(window, PICTURE_SIZE), "40 x 30" if picture else "")
                self.assertFalse(self.iconic(window))
                self.assertEqual(self.message_boxes(), [])
                self.assertEqual(self.path("$korvi$.bmp").exists(), picture)
                self.close_with_escape(window)
                self.processes.clear()

    def open_settings(self, window):
        self.click_control(window, EDITOR_SETTINGS)
        return wait_until(lambda: next((w["handle"] for w in self.dialogs(SETTINGS_CAPTION)), None),
                          what="dialog 120")

    def test_settings_dialog_chooses_the_program(self):
        deep = "C:\\" + "\\".join(["長いフォルダ名" * 4] * 8) + "\\paint.exe"  # longer than 255 bytes
        self.write_settings_with_editor(deep)
        window = self.start()
        dialog = self.open_settings(window)
        self.assertEqual(self.probe.text(dialog, PROGRAM_BOX), deep)
        self.probe.call("set-text", dialog, PROGRAM_BOX, "mspaint.exe")  # a bare name opens the picture folder
        self.probe.call("press", dialog, BROWSE)
        chooser = wait_until(lambda: next((w["handle"] for w in self.dialogs(BROWSE_CAPTION)), None),
                             what="the open-file dialog")
        self.probe.call("choose-file", chooser, self.editor)
        wait_until(lambda: self.probe.text(dialog, PROGRAM_BOX) == self.editor, what="the chosen program")
        self.press_and_wait_closed(dialog, IDOK)
        self.assertEqual(self.tools(), {"EditBitmap": self.editor})

        for text, button, stored in (("", IDOK, ""), ("C:\\other.exe", IDCANCEL, "")):
            dialog = self.open_settings(window)
            self.probe.call("set-text", dialog, PROGRAM_BOX, text)
            self.press_and_wait_closed(dialog, button)
            self.assertEqual(self.tools(), {"EditBitmap": stored})

    def test_settings_that_cannot_be_stored_are_said_so(self):
        self.path("korvi.ini").mkdir()
        window = self.start()
        dialog = self.open_settings(window)
        self.probe.call("set-text", dialog, PROGRAM_BOX, self.editor)
        self.probe.call("press", dialog, IDOK)
        box, text = self.wait_message_box()
        self.assertEqual(text, CANNOT_WRITE)
        self.probe.call("press", box, IDOK)
        wait_until(lambda: self.message_boxes() == [], what="the message box to close")
        self.assertEqual(self.probe.text(dialog, PROGRAM_BOX), self.editor)
        self.press_and_wait_closed(dialog, IDCANCEL)
