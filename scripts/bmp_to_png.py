#!/usr/bin/env python3
"""Turns an uncompressed 24-bit BMP into a PNG, with nothing but the standard
library (the Windows screenshot is taken as a BMP inside Wine)."""
import struct
import sys
import zlib


def bmp_to_png(source, target):
    data = open(source, "rb").read()
    if data[:2] != b"BM":
        raise SystemExit(f"{source}: not a BMP")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise SystemExit(f"{source}: {bits} bits per pixel, expected 24")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        # Bottom-up unless the height is negative.
        source_row = abs(height) - 1 - y if height > 0 else y
        start = offset + source_row * stride
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3] = bgr[2::3]
        rgb[1::3] = bgr[1::3]
        rgb[2::3] = bgr[0::3]
        rows.append(b"\x00" + bytes(rgb))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
           chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))
    open(target, "wb").write(png)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit("usage: bmp_to_png.py SOURCE.bmp TARGET.png")
    bmp_to_png(sys.argv[1], sys.argv[2])
