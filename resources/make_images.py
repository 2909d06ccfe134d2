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
    make_images.py bmp SOURCE SIZE OUT.bmp   the toolbar picture at SIZE (16, 20,
                                             24 or 32) as an 8-bit BMP
    make_images.py ico SOURCE OUT.ico        the icon at every size in ICON_SIZES
    make_images.py sheet OUT.png SOURCE...   every size of every source, side by
                                             side at its own size and enlarged

Each size is drawn for itself where the source has an image of that size; the
others are made from the images the source has (image_at): halved from one
twice as large, enlarged by a whole factor to the largest size (256), else
averaged down from the next larger one. So a toolbar picture is drawn at 16
and 32, and its 20 and 24 are averaged from the 32; an icon is drawn at 16,
32, 40, 48 and 64, its 20 and 24 are the 40 and the 48 halved, and its 256
is the 64 enlarged four times, pixel for pixel.

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


TOOLBAR_SIZES = (16, 20, 24, 32)
ICON_SIZES = (16, 20, 24, 32, 40, 48, 256)


def average_down(pixels, size):
    """The picture at a smaller size: each new pixel is the average of the
    part of the picture it covers, weighted by how much of each old pixel
    lies in it, with premultiplied alpha. Halving is the 2 x 2 case."""
    old = len(pixels)
    ratio = old / size

    def spans(n):
        # The old pixels under new pixel n and how much of each.
        start, end = n * ratio, (n + 1) * ratio
        first = int(start)
        parts = []
        k = first
        while k < end and k < old:
            part = min(end, k + 1) - max(start, k)
            if part > 1e-9:
                parts.append((k, part))
            k += 1
        return parts

    columns = [spans(x) for x in range(size)]
    out = []
    for y in range(size):
        rows = spans(y)
        row = []
        for x in range(size):
            total = alpha = 0.0
            rgb = [0.0, 0.0, 0.0]
            for sy, wy in rows:
                for sx, wx in columns[x]:
                    w = wy * wx
                    p = pixels[sy][sx]
                    total += w
                    alpha += w * p[3]
                    for k in range(3):
                        rgb[k] += w * p[k] * p[3]
            if alpha == 0:
                row.append((0, 0, 0, 0))
                continue
            row.append(tuple(round(c / alpha) for c in rgb) + (round(alpha / total),))
        out.append(row)
    return out


def halve(pixels):
    """2 x 2 averaging with premultiplied alpha."""
    return average_down(pixels, len(pixels) // 2)


def enlarge(pixels, factor):
    return [[p for p in row for _ in range(factor)] for row in pixels for _ in range(factor)]


def image_at(palette, images, size):
    """The picture at this size as rows of (r, g, b, a): the source's own
    image of the size, else one made from the others (see the top)."""
    if size in images:
        return pixels_of(palette, images[size])
    if 2 * size in images:
        return halve(pixels_of(palette, images[2 * size]))
    largest = max(images)
    if size > largest:
        for source in sorted(images, reverse=True):
            if size % source == 0:
                return enlarge(pixels_of(palette, images[source]), size // source)
        fail("no image to enlarge to %d" % size)
    larger = min(s for s in images if s > size)
    return average_down(pixels_of(palette, images[larger]), size)


BACKGROUND = (0xc0, 0xc0, 0xc0, 255)


def toolbar_image(palette, images, size):
    """A toolbar picture at a size, opaque, its background c0c0c0. A made
    size is averaged with the background left out (as if transparent), and a
    pixel less than half covered becomes background again, so no grey seam
    shows against a button face of another colour."""
    if any(p[3] == 0 for p in palette.values()):
        fail("a toolbar bitmap has no transparent colour; use c0c0c0")
    if sorted(images) not in ([16], [16, 32]):
        fail("a toolbar bitmap is drawn at 16, and may be drawn at 32")
    if size in images:
        return pixels_of(palette, images[size])
    keyed = {c: ((0, 0, 0, 0) if p == BACKGROUND else p) for c, p in palette.items()}
    made = image_at(keyed, images, size)
    out = []
    for row in made:
        line = []
        for p in row:
            if p[3] < 128:
                line.append(BACKGROUND)
            elif p[:3] == BACKGROUND[:3]:
                line.append((0xc0, 0xc0, 0xc1, 255))  # grey inside the picture stays
            else:
                line.append(p[:3] + (255,))
        out.append(line)
    return out


def palette_of(pixels, limit=256):
    """The colours of an opaque picture, at most `limit`: when there are more,
    the channels are rounded coarser until they fit (the background and the
    source's own colours are kept as they are where they can be)."""
    step = 1
    while True:
        colours = sorted({p[:3] for row in pixels for p in row})
        if len(colours) <= limit:
            return colours, pixels
        step *= 2
        pixels = [[p if p == BACKGROUND else
                   tuple(min(255, (c // step) * step + step // 2) for c in p[:3]) + (255,)
                   for p in row] for row in pixels]


def write_bmp(palette, images, size, out_path):
    pixels = toolbar_image(palette, images, size)
    colours, pixels = palette_of(pixels)
    index = {c: n for n, c in enumerate(colours)}
    width = height = size
    stride = (width + 3) // 4 * 4
    table = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in colours)
    bits = b"".join(bytes(index[p[:3]] for p in pixels[y]) + bytes(stride - width)
                    for y in reversed(range(height)))
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
    sized = {size: image_at(palette, images, size) for size in ICON_SIZES}
    order = sorted(sized, reverse=True)
    # The largest as PNG, as Windows keeps its 256-pixel icons; the others as
    # bitmaps, which every system reads.
    blobs = [png_bytes(sized[s]) if s >= 256 else icon_image(sized[s]) for s in order]
    out = struct.pack("<HHH", 0, 1, len(order))
    offset = 6 + 16 * len(order)
    for size, blob in zip(order, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(out_path, "wb") as f:
        f.write(out + b"".join(blobs))


def png_bytes(pixels):
    height = len(pixels)
    width = len(pixels[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_png(pixels, out_path):
    with open(out_path, "wb") as f:
        f.write(png_bytes(pixels))


def write_sheet(out_path, sources, scale=4, gap=8):
    """Every size of every source as the program gets it, a row a source:
    each enlarged (by `scale`, the 256 at its own size), then all at their
    own size. Toolbar pictures lie on a button-face grey, icons on a checker
    pattern where they are transparent."""
    ground = (212, 208, 200, 255)
    face = (240, 240, 240, 255)
    rows = []
    for source in sources:
        palette, images = parse_source(source)
        toolbar = not any(p[3] == 0 for p in palette.values())
        sizes = TOOLBAR_SIZES if toolbar else ICON_SIZES
        tiles = [toolbar_image(palette, images, size) if toolbar else image_at(palette, images, size)
                 for size in sizes]
        rows.append((toolbar, tiles))

    def factor(size):
        return scale if size * scale <= 256 else 1

    placed = []  # (x, y, factor, toolbar, tile)
    y = gap
    width = 0
    for toolbar, tiles in rows:
        x = gap
        for tile in tiles:
            placed.append((x, y, factor(len(tile)), toolbar, tile))
            x += len(tile) * factor(len(tile)) + gap
        x += 2 * gap
        for tile in tiles:
            placed.append((x, y, 1, toolbar, tile))
            x += len(tile) + gap
        width = max(width, x)
        y += max(len(t) * factor(len(t)) for t in tiles) + gap
    sheet = [[ground] * width for _ in range(y)]
    for left, top, f, toolbar, tile in placed:
        size = len(tile) * f
        for dy in range(size):
            line = sheet[top + dy]
            source_row = tile[dy // f]
            for dx in range(size):
                p = source_row[dx // f]
                if toolbar and p == BACKGROUND:
                    p = face
                elif p[3] < 255:
                    under = (255, 255, 255) if ((dx // 8 + dy // 8) % 2) else (230, 230, 230)
                    a = p[3] / 255
                    p = tuple(round(p[k] * a + under[k] * (1 - a)) for k in range(3)) + (255,)
                line[left + dx] = p
    write_png(sheet, out_path)


def main(argv):
    if len(argv) == 5 and argv[1] == "bmp" and argv[3].isdigit() and int(argv[3]) in TOOLBAR_SIZES:
        palette, images = parse_source(argv[2])
        write_bmp(palette, images, int(argv[3]), argv[4])
    elif len(argv) == 4 and argv[1] == "ico":
        palette, images = parse_source(argv[2])
        write_ico(palette, images, argv[3])
    elif len(argv) >= 4 and argv[1] == "sheet":
        write_sheet(argv[2], argv[3:])
    else:
        fail("usage: make_images.py bmp SOURCE 16|20|24|32 OUT, ico SOURCE OUT, "
             "or sheet OUT.png SOURCE...")


if __name__ == "__main__":
    main(sys.argv)
