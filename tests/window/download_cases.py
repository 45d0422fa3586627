"""Pictures downloaded from an address on the clipboard, with the progress window, from the harness's
server (what each answer of a server ends in is korvi-cli's download suite's part)."""
from harness import IDCANCEL, OPEN_DIALOG, KorviCase, PictureServer, bmp_bytes, grab, ids, wait_until

PROGRESS_CAPTION = "絵送(KORVI) [ダウンロード]"
DOWNLOAD_FAILED = "ファイルのダウンロードができませんでした."
WS_DISABLED = 0x08000000
PICTURE = bmp_bytes(64, 48, lambda x, y: (x * 4 % 256, y * 5 % 256, (x + y) * 3 % 256))


class Downloads(KorviCase):
    def download(self, window, url):
        self.put_clipboard_text(url)
        self.click_control(window, ids.IDC_PREVIEW)

    def test_an_address_on_the_clipboard_becomes_the_current_picture_and_a_stalled_or_missing_one_fails(self):
        self.server = PictureServer()
        self.server.publish("pic.bmp", PICTURE)
        window = self.start()
        # A text copied while the picture downloads stays on the clipboard.
        self.download(window, self.server.url("late.bmp"))
        wait_until(lambda: self.dialogs(PROGRESS_CAPTION), 10, "the progress window")
        self.put_clipboard_text("copied meanwhile")
        wait_until(lambda: self.shown_size(window) == "64 x 48", 20, "the picture")
        # Read on the Windows side: X asking Wine for a text a Windows program placed can stall.
        self.assertEqual(self.probe.call("clipboard-length"), str(len("copied meanwhile")))

        # Otherwise the address is taken off once its picture is loaded.
        self.path("$korvi2.bmp").unlink()
        self.download(window, self.server.url("pic.bmp"))
        wait_until(lambda: self.probe.call("formats") == "", 20, "the address to be taken off")
        self.assertEqual(self.path("$korvi2.bmp").read_bytes(), PICTURE)
        self.assertEqual(self.message_boxes(), [])

        # The progress window stands while the server stalls.
        self.download(window, self.server.url("stall-body.gif"))
        # The program's thread is held by the download: only what needs no message can be read.
        progress = self.dialog(PROGRESS_CAPTION)
        self.assertTrue(self.probe.styles(progress, IDCANCEL)[0] & WS_DISABLED, "the cancel button is greyed")
        # The bar is drawn at 20 %, although no message loop runs: its filled share of the middle row.
        left, top, right, bottom = self.probe.rect(progress, ids.IDC_PROGRESS_BAR)
        row = grab(left + 2, (top + bottom) // 2, right - left - 4, 1)[0]
        filled = sum(1 for r, g, b in row if b > r + 60) / len(row)
        self.assertAlmostEqual(filled, 0.2, delta=0.05)
        self.assertEqual(self.close_message_box(30), DOWNLOAD_FAILED)
        self.assertEqual(self.dialogs(PROGRESS_CAPTION), [])
        # The open-file dialog is offered then, as for an empty clipboard.
        self.press_and_wait_closed(self.dialog(OPEN_DIALOG), IDCANCEL)

        # A server's error status follows the message.
        self.download(window, self.server.url("missing.png"))
        self.assertEqual(self.close_message_box(20), DOWNLOAD_FAILED + " (HTTP 404 Not Found)")
