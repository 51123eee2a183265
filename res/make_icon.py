#!/usr/bin/env python3
"""Writes RemoveKM.ico: icon 128, an open box with a red arrow leaving it.

Two images, 32x32 and 16x16, 16 colours (4 bits per pixel) each, in the
standard Windows palette. The pictures are drawn below as pixel art, one
letter per pixel; "." is transparent.

Usage: make_icon.py [output.ico]   (default: RemoveKM.ico beside this script)
"""
import os
import struct
import sys

# The standard 16-colour Windows palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Letter of the pixel art -> palette index.
COLOURS = {
    "K": 0,  # outline, black
    "m": 1,  # arrow shade, maroon
    "o": 3,  # cardboard, olive
    "g": 8,  # inside of the box, grey
    "r": 9,  # arrow, red
    "y": 11,  # lit edge of the box, yellow
    "w": 15,  # label, white
}
TRANSPARENT = "."

ICON_32 = [
    "................................",
    "...............KK...............",
    "..............KrrK..............",
    ".............KrrrrK.............",
    "............KrrrrmmK............",
    "...........KrrrrrrmmK...........",
    "..........KrrrrrrrrmmK..........",
    ".........KrrrrrrrrrrmmK.........",
    "........KKKKKrrrrmmKKKKK........",
    "............KrrrrmmK............",
    "............KrrrrmmK............",
    "............KrrrrmmK............",
    "............KrrrrmmK............",
    "....KKKKKKKKKrrrrmmKKKKKKKKK....",
    "....KgggggggKrrrrmmKgggggggK....",
    "....KgggggggKrrrrmmKgggggggK....",
    "....KgggggggKrrrrmmKgggggggK....",
    "....KgggggggKrrrrmmKgggggggK....",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKKK..",
    "..KyyyyyyyyyyyyyyyyyyyyyyyyyyK..",
    "..KooooooooooooooooooooooooooK..",
    "..KooooooooooooooooooooooooooK..",
    "..KooooooooKKKKKKKKKKooooooooK..",
    "..KooooooooKwwwwwwwwKooooooooK..",
    "..KooooooooKwwwwwwwwKooooooooK..",
    "..KooooooooKwwwwwwwwKooooooooK..",
    "..KooooooooKKKKKKKKKKooooooooK..",
    "..KooooooooooooooooooooooooooK..",
    "..KooooooooooooooooooooooooooK..",
    "..KooooooooooooooooooooooooooK..",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKKK..",
    "................................",
]

ICON_16 = [
    ".......KK.......",
    "......KrrK......",
    ".....KrrrmK.....",
    "....KrrrrmmK....",
    "...KKKKrmKKKK...",
    "......KrmK......",
    "..KKKKKrmKKKKK..",
    "..KgggKrmKgggK..",
    ".KKKKKKKKKKKKKK.",
    ".KyyyyyyyyyyyyK.",
    ".KooooKKKKooooK.",
    ".KooooKwwKooooK.",
    ".KooooKKKKooooK.",
    ".KooooooooooooK.",
    ".KKKKKKKKKKKKKK.",
    "................",
]


def row_stride(bits):
    """Bytes per bitmap row: rows are padded to whole 32-bit words."""
    return (bits + 31) // 32 * 4


def encode_image(art):
    """One icon image: BITMAPINFOHEADER, palette, colour bitmap, AND mask."""
    size = len(art)
    if any(len(row) != size for row in art):
        raise ValueError("icon art must be square")
    colour_stride = row_stride(size * 4)
    mask_stride = row_stride(size)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,  # biSize
        size,
        size * 2,  # colour bitmap and mask together
        1,  # biPlanes
        4,  # biBitCount
        0,  # BI_RGB
        (colour_stride + mask_stride) * size,
        0,
        0,
        16,  # biClrUsed
        0,
    )
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(art):  # bitmaps are stored bottom-up
        indices = [0 if c == TRANSPARENT else COLOURS[c] for c in row]
        packed = bytes(indices[i] << 4 | indices[i + 1] for i in range(0, size, 2))
        colour += packed.ljust(colour_stride, b"\0")
        bits = 0
        for c in row:
            bits = bits << 1 | (c == TRANSPARENT)
        mask += bits.to_bytes(size // 8, "big").ljust(mask_stride, b"\0")
    return header + palette + bytes(colour) + bytes(mask)


def encode_icon(arts):
    """The .ico file: ICONDIR, one ICONDIRENTRY per image, then the images."""
    images = [encode_image(art) for art in arts]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for art, image in zip(arts, images):
        directory += struct.pack("<BBBBHHII", len(art), len(art), 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "RemoveKM.ico")
    with open(output, "wb") as f:
        f.write(encode_icon([ICON_32, ICON_16]))


if __name__ == "__main__":
    main()
