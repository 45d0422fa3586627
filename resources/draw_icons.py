#!/usr/bin/env python3
"""Draws the program's icons and cursors as .ico and .cur files (32-bit colour with an AND mask)."""
import math
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
SAMPLES = 4  # sub-pixels per side for the edge smoothing


def image(size, shape):
    """Rows of RGBA tuples, top row first; shape(x, y) gives the RGBA at a point of the unit square."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    r, g, b, a = shape((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / acc[3]) for c in acc[:3]) + (round(alpha),))
        rows.append(row)
    return rows


def dib(rows):
    """The BITMAPINFOHEADER, the colour rows bottom-up and the AND mask of one icon image."""
    size = len(rows)
    colour = b"".join(bytes(c for r, g, b, a in [p] for c in (b, g, r, a)) for row in reversed(rows) for p in row)
    stride = (size + 31) // 32 * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def icon_file(images, kind=1, hotspot=(0, 0)):
    """An .ico (kind 1) or .cur (kind 2) file holding the images."""
    blobs = [dib(rows) for rows in images]
    out = struct.pack("<HHH", 0, kind, len(blobs))
    offset = 6 + 16 * len(blobs)
    for rows, blob in zip(images, blobs):
        size = len(rows)
        planes, bits = (1, 32) if kind == 1 else (round(hotspot[0] * size), round(hotspot[1] * size))
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, planes, bits, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


CLEAR = (0, 0, 0, 0)


def inside_rounded(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and left <= x <= right and top <= y <= bottom


def picture_icon(x, y):
    """A framed landscape with a sun, sent off by an arrow: the program."""
    if not inside_rounded(x, y, 0.04, 0.12, 0.96, 0.88, 0.08):
        return CLEAR
    if not inside_rounded(x, y, 0.12, 0.2, 0.88, 0.8, 0.03):
        return (70, 90, 140, 255)
    if (x - 0.68) ** 2 + (y - 0.36) ** 2 < 0.08 ** 2:
        return (255, 205, 60, 255)
    if y > 0.72 - 0.28 * max(0.0, 1 - abs(x - 0.36) / 0.26):
        return (60, 140, 70, 255)
    return (150, 200, 240, 255)


def gear_icon(x, y):
    """A gear: the settings buttons."""
    dx, dy = x - 0.5, y - 0.5
    r = math.hypot(dx, dy)
    teeth = 0.40 if math.cos(8 * math.atan2(dy, dx)) > 0.3 else 0.31
    if r > teeth or r < 0.12:
        return CLEAR
    return (90, 95, 105, 255)


def folder_icon(x, y):
    """An open folder: the browse button of the editor settings."""
    if inside_rounded(x, y, 0.2, 0.38, 0.96, 0.84, 0.04) and x - 0.2 >= (0.84 - y) * 0.3:
        return (240, 200, 90, 255)
    if inside_rounded(x, y, 0.06, 0.24, 0.84, 0.84, 0.04) and not (y < 0.32 and x > 0.42):
        return (200, 150, 50, 255)
    return CLEAR


def menu_icon(x, y):
    """Three bars: the menu button."""
    for top in (0.2, 0.44, 0.68):
        if inside_rounded(x, y, 0.12, top, 0.88, top + 0.13, 0.05):
            return (50, 60, 80, 255)
    return CLEAR


def arrow_shape(x, y):
    """The pointer arrow with its tip at the top left, outlined in black."""
    def inside(px, py, grow):
        if py < -grow or py > 0.62 + grow:
            return False
        if px < -grow or px > py * 0.62 + grow:
            return False
        return True
    if inside(x - 0.04, y - 0.04, 0.0):
        return (255, 255, 255, 255)
    if inside(x - 0.04, y - 0.04, 0.05):
        return (0, 0, 0, 255)
    return None


def cross_arrows(x, y, cx, cy, span):
    """A four-way arrow centred at (cx, cy): white with a black outline, or None."""
    dx, dy = abs(x - cx), abs(y - cy)
    def inside(grow):
        shaft = (dx <= 0.035 + grow and dy <= span - 0.1) or (dy <= 0.035 + grow and dx <= span - 0.1)
        head_v = dy <= span + grow and dy >= span - 0.2 - grow and dx <= (span + grow - dy) * 0.9
        head_h = dx <= span + grow and dx >= span - 0.2 - grow and dy <= (span + grow - dx) * 0.9
        return shaft or head_v or head_h
    if inside(0.0):
        return (255, 255, 255, 255)
    if inside(0.04):
        return (0, 0, 0, 255)
    return None


def move_cursor(x, y):
    """Over the window background: the arrow with a small four-way arrow beside it."""
    return arrow_shape(x, y) or cross_arrows(x, y, 0.68, 0.68, 0.26) or CLEAR


def drag_cursor(x, y):
    """While dragging: the four-way arrow alone."""
    return cross_arrows(x, y, 0.5, 0.5, 0.44) or CLEAR


def main():
    (HERE / "korvi.ico").write_bytes(icon_file([image(16, picture_icon), image(32, picture_icon), image(48, picture_icon)]))
    (HERE / "settings.ico").write_bytes(icon_file([image(16, gear_icon), image(32, gear_icon)]))
    (HERE / "browse.ico").write_bytes(icon_file([image(16, folder_icon), image(32, folder_icon)]))
    (HERE / "menu.ico").write_bytes(icon_file([image(16, menu_icon), image(32, menu_icon)]))
    (HERE / "move.cur").write_bytes(icon_file([image(32, move_cursor)], kind=2, hotspot=(0.06, 0.06)))
    (HERE / "drag.cur").write_bytes(icon_file([image(32, drag_cursor)], kind=2, hotspot=(0.5, 0.5)))


if __name__ == "__main__":
    main()
