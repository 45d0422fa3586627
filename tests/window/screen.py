"""Pixels of the X display: grabbing a rectangle and writing it as a PNG."""
import struct
import zlib

from Xlib import X, display


def grab(x, y, width, height):
    """The rectangle of the root window as rows of (r, g, b) tuples, top row first."""
    screen = display.Display()
    try:
        root = screen.screen().root
        raw = root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data
    finally:
        screen.close()
    stride = len(raw) // height
    return [[(raw[row * stride + 4 * col + 2], raw[row * stride + 4 * col + 1], raw[row * stride + 4 * col])
             for col in range(width)] for row in range(height)]


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
