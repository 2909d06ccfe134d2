#!/usr/bin/env python3
"""Writes the committed seeds in fuzz/corpus/store/: small databases of
shapes the program itself never writes but the store must still open and
handle safely. Run it from anywhere; it rewrites the files in place.

The seeds made through the store at build time (vdr_fuzz_seeds) cover the
files the program writes; these cover the rest of what Open accepts."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "store")
WIDTH = {0: 1, 1: 2, 2: 4, 3: 8, 4: 16, 10: 4, 11: 16, 12: 64, 13: 300, 14: 1000, 15: 5000}


def width(code):
    return WIDTH.get(code, 64)


def image(types, slots, offsets=None, excess=0):
    """Header, directory and zeroed slots; offsets default to the packed layout."""
    n = len(types)
    area = 1444 + 8 * n
    record = 4 + sum(width(t) for t in types)
    data = bytearray(area + slots * record + excess)
    data[0:8] = b"DATA1000"
    struct.pack_into("<I", data, 608, 1)
    struct.pack_into("<IIII", data, 1352, 2, n, slots, 2)
    at = area + 4
    for i, code in enumerate(types):
        offset = offsets[i] if offsets else at
        struct.pack_into("<II", data, 1444 + 8 * i, code, offset)
        at += width(code)
    return data, area, record


def put_text(data, offset, text, size):
    data[offset:offset + size] = text[:size].ljust(size, b"\0")


def status(data, area, record, slot, value):
    struct.pack_into("<I", data, area + slot * record, value)


def write(name, data):
    assert len(data) < 10240, name
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    os.makedirs(HERE, exist_ok=True)

    # A long name of 300 letters with no terminator, odd status words, and
    # zero bytes after the record area.
    data, area, record = image([11, 2], 12, excess=700)
    data[8:308] = b"N" * 300
    for slot, value in enumerate([10, 1, 9, 11, 0xFFFFFFFF, 10, 5, 0, 10, 12]):
        status(data, area, record, slot, value)
        put_text(data, area + slot * record + 4, b"rec%d" % slot, 16)
    write("odd-statuses.vdr", data)

    # Every number type, the unused codes 5 to 9, and codes above 17.
    types = [0, 1, 2, 3, 4, 5, 9, 17, 18, 1000, 0xFFFFFFFF]
    data, area, record = image(types, 6)
    for slot in range(4):
        status(data, area, record, slot, 10)
        base = area + slot * record + 4
        data[base:base + 23] = bytes((slot * 31 + k * 7) & 0xFF for k in range(23))
    write("every-code.vdr", data)

    # Offsets that disagree with the layout but stay inside the slot:
    # field 2 over field 1, field 3 at the slot's end.
    types = [12, 11, 10]
    data, area, record = image(types, 8, offsets=[1444 + 24 + 4, 1444 + 24 + 4, 1444 + 24 + 4 + 64 + 16])
    words = [b"pear", b"Banana", b"apple", b"xABy", b"aab", b"12"]
    for slot in range(6):
        status(data, area, record, slot, 10)
        put_text(data, area + slot * record + 4, words[slot], 64)
    write("overlapping-fields.vdr", data)

    # A field over the status words: writing it changes which slots are in use.
    data, area, record = image([12, 2], 8, offsets=[1444 + 16, 1444 + 16 + 64])
    for slot in range(5):
        status(data, area, record, slot, 10)
    write("field-over-statuses.vdr", data)

    # No fields and many 4-byte slots, mostly free.
    data, area, record = image([], 1500)
    for slot in range(0, 1500, 7):
        status(data, area, record, slot, 10)
    write("no-fields-many-slots.vdr", data)

    # Long texts: 300- and 1000-character fields, one full to the last byte.
    data, area, record = image([13, 14], 3)
    status(data, area, record, 0, 10)
    status(data, area, record, 2, 10)
    put_text(data, area + 4, b"ab" * 150, 300)
    put_text(data, area + 2 * record + 4 + 300, b"Zz" * 500, 1000)
    write("long-texts.vdr", data)


if __name__ == "__main__":
    main()
