#!/usr/bin/env python3
"""Turns the text pixel sources in resources/images/ into the toolbar bitmaps
and icons the resource script links into the program.

A source is a small text file:

    # comments start with a hash
    color . c0c0c0        one character, then a colour as rrggbb or "none"
    color k 000000
    image 16              then exactly that many rows of that many characters
    ................
    ...

Usage:
    make_images.py bmp SOURCE OUT.bmp    one 16 x 16 image as an 8-bit BMP
    make_images.py ico SOURCE OUT.ico    every image of the source as an icon
                                         (32 x 32 and 16 x 16; a missing 16 is
                                         made from the 32 by 2 x 2 averaging)
    make_images.py sheet OUT.png SOURCE...   an enlarged preview of sources

Toolbar bitmaps keep their background as light grey c0c0c0: the toolbar maps
that colour to the button face and treats it as transparent. Icons use "none"
for transparent pixels. Only the standard library is used, so the build needs
nothing beyond python3.
"""

import struct
import sys
import zlib


def fail(message):
    sys.stderr.write("make_images: %s\n" % message)
    sys.exit(1)


def parse_source(path):
    """Returns (palette, images): palette maps a character to (r, g, b, a),
    images maps a size to a list of rows (strings)."""
    palette = {}
    images = {}
    with open(path, encoding="ascii") as f:
        lines = f.read().splitlines()
    i = 0
    while i < len(lines):
        line = lines[i].rstrip()
        i += 1
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        words = line.split()
        if words[0] == "color" and len(words) >= 3 and len(words[1]) == 1:
            value = words[2].lower()
            if value == "none":
                palette[words[1]] = (0, 0, 0, 0)
            elif len(value) == 6 and all(c in "0123456789abcdef" for c in value):
                palette[words[1]] = (int(value[0:2], 16), int(value[2:4], 16),
                                     int(value[4:6], 16), 255)
            else:
                fail("%s:%d: bad colour %r" % (path, i, words[2]))
        elif words[0] == "image" and len(words) == 2 and words[1].isdigit():
            size = int(words[1])
            rows = lines[i:i + size]
            if len(rows) != size:
                fail("%s:%d: image %d needs %d rows" % (path, i, size, size))
            for n, row in enumerate(rows):
                if len(row) != size:
                    fail("%s:%d: row has %d characters, not %d"
                         % (path, i + n + 1, len(row), size))
                for c in row:
                    if c not in palette:
                        fail("%s:%d: character %r has no colour" % (path, i + n + 1, c))
            images[size] = rows
            i += size
        else:
            fail("%s:%d: cannot read %r" % (path, i, line))
    if not images:
        fail("%s: no image" % path)
    return palette, images


def pixels_of(palette, rows):
    return [[palette[c] for c in row] for row in rows]


def halve(pixels):
    """2 x 2 averaging with premultiplied alpha."""
    size = len(pixels) // 2
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            block = [pixels[2 * y + dy][2 * x + dx] for dy in (0, 1) for dx in (0, 1)]
            alpha = sum(p[3] for p in block)
            if alpha == 0:
                row.append((0, 0, 0, 0))
                continue
            rgb = [round(sum(p[k] * p[3] for p in block) / alpha) for k in range(3)]
            row.append((rgb[0], rgb[1], rgb[2], round(alpha / 4)))
        out.append(row)
    return out


def write_bmp(palette, images, out_path):
    if list(images) != [16]:
        fail("a toolbar bitmap has exactly one image of size 16")
    rows = images[16]
    colours = sorted(palette)
    if any(palette[c][3] == 0 for c in colours):
        fail("a toolbar bitmap has no transparent colour; use c0c0c0")
    index = {c: n for n, c in enumerate(colours)}
    width = height = 16
    stride = width  # 8 bits a pixel, already a multiple of 4
    table = b"".join(struct.pack("<BBBB", palette[c][2], palette[c][1], palette[c][0], 0)
                     for c in colours)
    bits = b"".join(bytes(index[c] for c in rows[y]) for y in reversed(range(height)))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 2835, 2835,
                       len(colours), len(colours))
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(out_path, "wb") as f:
        f.write(header + info + table + bits)


def icon_image(pixels):
    """One icon image: a 32-bit BGRA DIB with its AND mask."""
    size = len(pixels)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(struct.pack("<BBBB", p[2], p[1], p[0], p[3])
                      for y in reversed(range(size)) for p in pixels[y])
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(mask_stride)
        for x, p in enumerate(pixels[y]):
            if p[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return info + colour + bytes(mask)


def write_ico(palette, images, out_path):
    if 32 not in images:
        fail("an icon needs a 32 x 32 image")
    sized = {size: pixels_of(palette, rows) for size, rows in images.items()}
    if 16 not in sized:
        sized[16] = halve(sized[32])
    order = sorted(sized, reverse=True)
    blobs = [icon_image(sized[s]) for s in order]
    out = struct.pack("<HHH", 0, 1, len(order))
    offset = 6 + 16 * len(order)
    for size, blob in zip(order, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(out_path, "wb") as f:
        f.write(out + b"".join(blobs))


def write_png(pixels, out_path):
    height = len(pixels)
    width = len(pixels[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(out_path, "wb") as f:
        f.write(png)


def write_sheet(out_path, sources, scale=8, gap=8):
    """Every image of every source side by side, enlarged, on a light grey
    ground; transparent pixels show as a checker pattern."""
    tiles = []
    for source in sources:
        palette, images = parse_source(source)
        for size in sorted(images, reverse=True):
            tiles.append(pixels_of(palette, images[size]))
    cell = 32 * scale
    width = gap + len(tiles) * (cell + gap)
    height = cell + 2 * gap
    sheet = [[(212, 208, 200, 255)] * width for _ in range(height)]
    for n, tile in enumerate(tiles):
        size = len(tile)
        factor = cell // size
        left = gap + n * (cell + gap)
        for y in range(cell):
            for x in range(cell):
                p = tile[y // factor][x // factor]
                if p[3] == 0:
                    p = (255, 255, 255, 255) if ((x // 8 + y // 8) % 2) else (230, 230, 230, 255)
                sheet[gap + y][left + x] = p
    write_png(sheet, out_path)


def main(argv):
    if len(argv) == 4 and argv[1] in ("bmp", "ico"):
        palette, images = parse_source(argv[2])
        (write_bmp if argv[1] == "bmp" else write_ico)(palette, images, argv[3])
    elif len(argv) >= 4 and argv[1] == "sheet":
        write_sheet(argv[2], argv[3:])
    else:
        fail("usage: make_images.py bmp|ico SOURCE OUT, or sheet OUT.png SOURCE...")


if __name__ == "__main__":
    main(sys.argv)
