#!/usr/bin/env python3
"""Draws the bundled sample pictures: a 24-bit landscape and an 8-bit palette picture."""
import math
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent


def bmp(width, height, depth, palette, rows):
    """A BMP file; rows are lists of byte values, top row first."""
    stride = (width * depth + 31) // 32 * 4
    data = b"".join(bytes(row).ljust(stride, b"\0") for row in reversed(rows))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, depth, 0, len(data), 2835, 2835, len(palette), 0)
    return header + info + table + data


def landscape(width=160, height=120):
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            sky = y < height * 0.6 + 8 * math.sin(x / 13.0)
            if math.hypot(x - width * 0.7, y - height * 0.3) < height * 0.12:
                r, g, b = 255, 214, 90
            elif sky:
                t = y / (height * 0.6)
                r, g, b = int(250 - 120 * t), int(120 + 60 * t), int(90 + 140 * t)
            else:
                t = (y - height * 0.6) / (height * 0.4)
                r, g, b = int(40 + 30 * t), int(110 - 50 * t), int(60 - 20 * t)
            row += [b, g, r]
        rows.append(row)
    return bmp(width, height, 24, [], rows)


def tiles(width=64, height=48):
    palette = [(i * 255 // 15, (15 - i) * 255 // 15, (i * 7 % 16) * 17) for i in range(16)]
    rows = [[(x // 8 + y // 8) % 16 for x in range(width)] for y in range(height)]
    return bmp(width, height, 8, palette, rows)


if __name__ == "__main__":
    (HERE / "landscape.bmp").write_bytes(landscape())
    (HERE / "tiles-8bit.bmp").write_bytes(tiles())
