#!/usr/bin/env python3
"""Writes res/toolbox.bmp, the 16 x 15 picture a form designer shows for the control in its
toolbox, from the map below. Edit the map and run this script again; the generated file is
committed with it.

Map letters: one colour of COLOURS each. The designer treats the bottom-left colour as
transparent, so the map keeps that pixel in the background colour."""

import os
import struct

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")

COLOURS = {
    ".": (192, 192, 192),  # background, transparent in the toolbox
    "k": (0, 0, 0),
    "g": (128, 128, 128),
    "w": (255, 255, 255),
    "b": (0, 0, 128),
    "y": (255, 255, 0),
}

# A header strip with two buttons over rows, one of them a group row with its folder.
TOOLBOX = """
................
.kkkkkkkkkkkkkk.
.kwwwwwwgwwwwwgk
.kgggggggggggggk
.kwwwwwwwwwwwwwk
.kwkwyykwwwwwwwk
.kwkwyyywwwwwwwk
.kwwwwwwwwwwwwwk
.kwbbbbbbbbbbbwk
.kwwwwwwwwwwwwwk
.kwwkggggggggwwk
.kwwwwwwwwwwwwwk
.kwwkggggggggwwk
.kkkkkkkkkkkkkkk
................
"""


def bitmap(rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for letter in row:
            r, g, b = COLOURS[letter]
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835,
                       0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def main():
    rows = [line for line in TOOLBOX.strip("\n").split("\n")]
    assert len(rows) == 15 and all(len(r) == 16 for r in rows), "the picture is 16 x 15"
    with open(os.path.join(RES, "toolbox.bmp"), "wb") as out:
        out.write(bitmap(rows))


if __name__ == "__main__":
    main()
