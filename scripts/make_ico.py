#!/usr/bin/env python3
"""Packs RGBA PNG renders into a Windows .ico of uncompressed bitmaps.

Usage: make_ico.py OUT.ico BITS:IMAGE.png ...   (BITS is 8 or 32, entries keep their order)

Every entry is a BMP (DIB) with its AND mask, also the 256 px one: older Windows
versions and some resource tools do not read PNG-compressed icon entries.
Only the standard library is used, and the output depends on nothing but the
input pixels, so a rerun gives the same bytes.
"""

import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"

# An 8-bit pixel counts as opaque from this alpha on; the mask hides the rest.
OPAQUE_FROM = 128


def read_png_rgba(path):
    """Returns (width, height, rows) of an 8-bit RGBA PNG, rows as bytes."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(PNG_SIGNATURE):
        raise ValueError(f"{path}: not a PNG file")
    pos = len(PNG_SIGNATURE)
    idat = bytearray()
    width = height = 0
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos : pos + 4])
        kind = data[pos + 4 : pos + 8]
        body = data[pos + 8 : pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour != 6 or interlace != 0:
                raise ValueError(f"{path}: expected 8-bit RGBA without interlacing")
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    raw = zlib.decompress(bytes(idat))
    stride = width * 4
    rows = []
    prev = bytearray(stride)
    p = 0
    for _ in range(height):
        filter_type = raw[p]
        line = bytearray(raw[p + 1 : p + 1 + stride])
        p += 1 + stride
        unfilter(filter_type, line, prev)
        rows.append(bytes(line))
        prev = line
    return width, height, rows


def unfilter(filter_type, line, prev):
    bpp = 4
    for i in range(len(line)):
        left = line[i - bpp] if i >= bpp else 0
        up = prev[i]
        up_left = prev[i - bpp] if i >= bpp else 0
        if filter_type == 0:
            predictor = 0
        elif filter_type == 1:
            predictor = left
        elif filter_type == 2:
            predictor = up
        elif filter_type == 3:
            predictor = (left + up) // 2
        elif filter_type == 4:
            estimate = left + up - up_left
            pa, pb, pc = abs(estimate - left), abs(estimate - up), abs(estimate - up_left)
            predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else up_left)
        else:
            raise ValueError(f"unknown PNG filter {filter_type}")
        line[i] = (line[i] + predictor) & 0xFF


def median_cut(histogram, count):
    """Reduces {rgb: pixels} to at most `count` colours, each a pixel-weighted mean."""
    boxes = [sorted(histogram.items())]
    while len(boxes) < count:
        best = None
        for index, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = [max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3)]
            channel = max(range(3), key=lambda k: spans[k])
            if best is None or spans[channel] > best[0]:
                best = (spans[channel], index, channel)
        if best is None:
            break
        _, index, channel = best
        box = sorted(boxes[index], key=lambda c: (c[0][channel], c[0]))
        half = sum(n for _, n in box) / 2
        seen = 0
        cut = 1
        for cut in range(1, len(box)):
            seen += box[cut - 1][1]
            if seen >= half:
                break
        boxes[index : index + 1] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(
            tuple((sum(c[k] * n for c, n in box) + total // 2) // total for k in range(3))
        )
    return sorted(set(palette))


def nearest(palette, colour):
    return min(
        range(len(palette)),
        key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)),
    )


def and_mask(width, height, rows, transparent):
    """The 1-bit mask, bottom-up, rows padded to 32 bits; a set bit shows the screen."""
    row_bytes = (width + 31) // 32 * 4
    out = bytearray()
    for y in reversed(range(height)):
        line = bytearray(row_bytes)
        for x in range(width):
            if transparent(rows[y][x * 4 + 3]):
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def info_header(width, height, bits, image_size):
    # The height counts the colour bitmap and the mask together.
    return struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, bits, 0, image_size, 0, 0, 0, 0)


def dib_32(width, height, rows):
    pixels = bytearray()
    for y in reversed(range(height)):
        row = rows[y]
        for x in range(width):
            r, g, b, a = row[x * 4 : x * 4 + 4]
            pixels += bytes((b, g, r, a)) if a else b"\0\0\0\0"
    mask = and_mask(width, height, rows, lambda a: a == 0)
    return info_header(width, height, 32, len(pixels) + len(mask)) + pixels + mask


def dib_8(width, height, rows):
    histogram = {}
    for row in rows:
        for x in range(width):
            r, g, b, a = row[x * 4 : x * 4 + 4]
            if a >= OPAQUE_FROM:
                histogram[(r, g, b)] = histogram.get((r, g, b), 0) + 1
    # Index 0 stays black: masked pixels point at it, so drawing them leaves the screen as is.
    colours = median_cut(histogram, 255)
    palette = [(0, 0, 0)] + colours + [(0, 0, 0)] * (255 - len(colours))
    index_of = {c: 1 + nearest(colours, c) for c in histogram}
    row_bytes = (width + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(height)):
        line = bytearray(row_bytes)
        row = rows[y]
        for x in range(width):
            r, g, b, a = row[x * 4 : x * 4 + 4]
            if a >= OPAQUE_FROM:
                line[x] = index_of[(r, g, b)]
        pixels += line
    mask = and_mask(width, height, rows, lambda a: a < OPAQUE_FROM)
    quads = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return info_header(width, height, 8, len(pixels) + len(mask)) + quads + pixels + mask


def build_ico(entries):
    images = []
    for bits, path in entries:
        width, height, rows = read_png_rgba(path)
        if width != height or width > 256:
            raise ValueError(f"{path}: icon images are square and at most 256 px")
        dib = dib_8 if bits == 8 else dib_32
        images.append((width, bits, dib(width, height, rows)))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory = bytearray()
    for size, bits, data in images:
        side = size % 256  # 256 is written as 0
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    return header + bytes(directory) + b"".join(data for _, _, data in images)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__.strip().splitlines()[2])
    entries = []
    for entry in argv[2:]:
        bits, _, path = entry.partition(":")
        if bits not in ("8", "32") or not path:
            sys.exit(f"make_ico.py: bad entry {entry!r}, expected 8:FILE or 32:FILE")
        entries.append((int(bits), path))
    data = build_ico(entries)
    with open(argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv)
