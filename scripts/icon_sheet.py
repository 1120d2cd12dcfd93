#!/usr/bin/env python3
"""Lays the hicolor icons side by side, enlarged without smoothing, into one PNG.

Usage: icon_sheet.py OUT.png ICON.png ...

Each icon is enlarged by a whole factor to about 256 px, so every pixel shows as
a square, once over a light and once over a dark background: a soft edge or a
stroke that falls between pixels is plain to see. Only the standard library is
used.
"""

import struct
import sys
import zlib

from make_ico import read_png_rgba

TARGET = 256
GAP = 16
BACKGROUNDS = ((0xF2, 0xF2, 0xF2), (0x30, 0x30, 0x30))


def blend(background, pixel):
    r, g, b, a = pixel
    return bytes(
        (c * a + background[k] * (255 - a) + 127) // 255 for k, c in enumerate((r, g, b))
    )


def png_chunk(kind, body):
    return (
        struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    )


def write_png_rgb(path, width, canvas):
    height = len(canvas) // (width * 3)
    raw = b"".join(b"\0" + canvas[y * width * 3 : (y + 1) * width * 3] for y in range(height))
    data = (
        b"\x89PNG\r\n\x1a\n"
        + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
        + png_chunk(b"IDAT", zlib.compress(raw, 9))
        + png_chunk(b"IEND", b"")
    )
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__.strip().splitlines()[2])
    icons = [read_png_rgba(path) for path in argv[2:]]
    width = GAP + sum(TARGET + GAP for _ in icons)
    height = GAP + len(BACKGROUNDS) * (TARGET + GAP)
    canvas = bytearray(bytes(BACKGROUNDS[0]) * width * height)
    for row, background in enumerate(BACKGROUNDS):
        top = GAP + row * (TARGET + GAP)
        for y in range(top - GAP // 2, top + TARGET + GAP // 2):
            canvas[y * width * 3 : (y + 1) * width * 3] = bytes(background) * width
        left = GAP
        for size, _, rows in icons:
            scale = max(1, TARGET // size)
            offset = (TARGET - size * scale) // 2
            for y in range(size * scale):
                line = b"".join(
                    blend(background, rows[y // scale][x * 4 : x * 4 + 4]) * scale
                    for x in range(size)
                )
                at = ((top + offset + y) * width + left + offset) * 3
                canvas[at : at + len(line)] = line
            left += TARGET + GAP
    write_png_rgb(argv[1], width, bytes(canvas))


if __name__ == "__main__":
    main(sys.argv)
