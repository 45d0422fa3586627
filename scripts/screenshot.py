#!/usr/bin/python3
"""Starts korvi.exe with a picture as its last one, waits until the preview shows it and writes
the main window as a PNG. Arguments: korvi.exe, picture (BMP), work folder, PNG file."""
import pathlib
import shutil
import struct
import subprocess
import sys
import zlib

sys.dont_write_bytecode = True
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "window"))
from harness import WINE, grab, wait_until  # noqa: E402


def write_png(path, rows):
    """Writes rows of (r, g, b) tuples as an 8-bit RGB PNG."""
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


def main(korvi, picture, work, out):
    folder = pathlib.Path(work)
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    shutil.copy(korvi, folder / "korvi.exe")
    shutil.copy(picture, folder / "$korvi_sv.bmp")
    subprocess.run(["xdotool", "mousemove", "400", "400"], check=True)
    process = subprocess.Popen([WINE, str(folder / "korvi.exe")], cwd=folder)
    try:
        def window():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "KORVI"], capture_output=True, text=True)
            return found.stdout.split()[0] if found.stdout.split() else None

        x_window = wait_until(window, 30, "the main window")
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", x_window], capture_output=True,
                                  text=True).stdout
        values = dict(line.split("=") for line in geometry.split())
        x, y, width, height = (int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        # Drawn once the preview's corner shows the background and its middle the picture.
        background = (0xBA, 0xBA, 0x80)
        wait_until(lambda: grab(x + 20, y + 20, 1, 1)[0][0] == background and
                   grab(x + width // 2, y + 100, 1, 1)[0][0] != background, 30, "the preview")
        # Then until the whole window has stayed the same for a second.
        shots = []

        def settled():
            shots.append(grab(x, y, width, height))
            return len(shots) >= 5 and all(shot == shots[-1] for shot in shots[-5:])

        wait_until(settled, 30, "the window to be drawn", interval=0.25)
        write_png(out, shots[-1])
    finally:
        process.kill()
        process.wait()


if __name__ == "__main__":
    main(*sys.argv[1:])
