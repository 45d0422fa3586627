#!/usr/bin/env python3
"""Draws the bundled sample pictures: a 24-bit landscape, an 8-bit palette picture, the same
tiles as a GIF, and a badge with transparent corners as an RGBA PNG."""
import math
import pathlib
import struct
import zlib

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


TILE_PALETTE = [(i * 255 // 15, (15 - i) * 255 // 15, (i * 7 % 16) * 17) for i in range(16)]


def tile_rows(width, height):
    return [[(x // 8 + y // 8) % 16 for x in range(width)] for y in range(height)]


def tiles(width=64, height=48):
    return bmp(width, height, 8, TILE_PALETTE, tile_rows(width, height))


def lzw_codes(indices, code_size):
    """GIF LZW codes of the indices, starting with a clear code, ending with the end code."""
    clear = 1 << code_size
    roots = {bytes([i]): i for i in range(clear)}
    table, codes, next_code, string = dict(roots), [clear], clear + 2, b""
    for index in indices:
        longer = string + bytes([index])
        if longer in table:
            string = longer
            continue
        codes.append(table[string])
        if next_code < 4095:
            table[longer] = next_code
            next_code += 1
        else:
            codes.append(clear)
            table, next_code = dict(roots), clear + 2
        string = bytes([index])
    return codes + [table[string], clear + 1]


def pack_codes(codes, code_size):
    """The codes least significant bit first, at the widths a decoder reads them with."""
    clear = 1 << code_size
    width, next_code, first, bits, count, out = code_size + 1, clear + 2, True, 0, 0, bytearray()
    for code in codes:
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8
        if code == clear:
            width, next_code, first = code_size + 1, clear + 2, True
        elif code != clear + 1:
            if not first and next_code < 4096:
                next_code += 1
                if next_code == 1 << width and width < 12:
                    width += 1
            first = False
    if count:
        out.append(bits & 0xFF)
    return bytes(out)


def sub_blocks(data):
    return b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255)) + b"\0"


def tiles_gif(width=64, height=48):
    """GIF89a with a graphic control and a comment extension, one plain (not interlaced) image."""
    table = b"".join(bytes(colour) for colour in TILE_PALETTE)
    screen = struct.pack("<6sHHBBB", b"GIF89a", width, height, 0xF3, 0, 0)
    control = b"\x21\xF9\x04\x00\x00\x00\x00\x00"
    comment = b"\x21\xFE" + sub_blocks(b"korvi sample")
    descriptor = struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    indices = [index for row in tile_rows(width, height) for index in row]
    data = bytes([4]) + sub_blocks(pack_codes(lzw_codes(indices, 4), 4))
    return screen + table + control + comment + descriptor + data + b"\x3B"


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def badge(size=64):
    """RGBA PNG: a shaded disc, opaque inside, fading over two pixels, transparent outside."""
    rows = b""
    for y in range(size):
        row = bytearray(b"\0")
        for x in range(size):
            distance = math.hypot(x + 0.5 - size / 2, y + 0.5 - size / 2)
            alpha = max(0, min(255, int((size / 2 - 2 - distance) * 128)))
            row += bytes([40 + 190 * x // size, 90 + 100 * y // size, 200 - 150 * x // size, alpha])
        rows += bytes(row)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", zlib.compress(rows, 9)) +
            png_chunk(b"IEND", b""))


if __name__ == "__main__":
    (HERE / "landscape.bmp").write_bytes(landscape())
    (HERE / "tiles-8bit.bmp").write_bytes(tiles())
    (HERE / "tiles.gif").write_bytes(tiles_gif())
    (HERE / "badge.png").write_bytes(badge())
