#!/usr/bin/env python3
"""Writes small PNG files of every colour type and depth into a folder, each without and with a
gAMA chunk, some with tRNS and bKGD: the inputs on which both builds must read alike.

    png-inputs.py FOLDER
"""
import struct
import sys
import zlib
from pathlib import Path

WIDTH, HEIGHT = 16, 8


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def sample(x, y, channel, depth):
    top = (1 << depth) - 1
    return (x * 37 + y * 91 + channel * 53) * top // (WIDTH * 37 + HEIGHT * 91 + 2 * 53)


def rows(colour_type, depth):
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour_type]
    data = b""
    for y in range(HEIGHT):
        values = [sample(x, y, c, depth) for x in range(WIDTH) for c in range(channels)]
        if colour_type in (4, 6):  # alpha from clear to opaque along the row
            for x in range(WIDTH):
                values[x * channels + channels - 1] = x * ((1 << depth) - 1) // (WIDTH - 1)
        if depth == 16:
            line = b"".join(struct.pack(">H", v) for v in values)
        else:
            bits = "".join(format(v, f"0{depth}b") for v in values)
            bits += "0" * (-len(bits) % 8)
            line = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
        data += b"\0" + line
    return data


def png(colour_type, depth, gamma, extras):
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, depth, colour_type, 0, 0, 0)
    chunks = chunk(b"IHDR", header)
    if gamma:
        chunks += chunk(b"gAMA", struct.pack(">I", round(gamma * 100000)))
    for kind, data in extras:
        chunks += chunk(kind, data)
    chunks += chunk(b"IDAT", zlib.compress(rows(colour_type, depth)))
    return b"\x89PNG\r\n\x1a\n" + chunks + chunk(b"IEND", b"")


def main():
    folder = Path(sys.argv[1])
    palette = b"".join(bytes((i * 17 % 256, 255 - i * 16, i * 9 % 256)) for i in range(16))
    alphas = bytes(i * 17 for i in range(16))
    kinds = {
        "grey1": (0, 1, []),
        "grey8-trns": (0, 8, [(b"tRNS", struct.pack(">H", 40))]),
        "grey16-bkgd": (0, 16, [(b"bKGD", struct.pack(">H", 30000))]),
        "rgb8": (2, 8, []),
        "rgb16-trns": (2, 16, [(b"tRNS", struct.pack(">HHH", 0, 0, 0))]),
        "palette4": (3, 4, [(b"PLTE", palette)]),
        "palette4-trns": (3, 4, [(b"PLTE", palette), (b"tRNS", alphas)]),
        "palette4-trns-bkgd": (3, 4, [(b"PLTE", palette), (b"bKGD", b"\x05"), (b"tRNS", alphas)]),
        "grey-alpha8": (4, 8, []),
        "rgba8": (6, 8, []),
        "rgba16-bkgd": (6, 16, [(b"bKGD", struct.pack(">HHH", 65535, 0, 30000))]),
    }
    for name, (colour_type, depth, extras) in kinds.items():
        for suffix, gamma in (("", 0), ("-gamma", 0.35)):
            (folder / f"{name}{suffix}.png").write_bytes(png(colour_type, depth, gamma, extras))


main()
