#!/usr/bin/env python3
"""Writes the popup's colour strip into resources/popup/: strip.bmp, 138 x 3 pixels, and the
same picture drawn for larger scales (strip125.bmp ... strip300.bmp), 24 bits per pixel.

At a scale every block and row is as many whole pixels as its 96-dpi size, scaled and
rounded, gives: the rows stay sharp instead of being stretched from the small picture.
"""
import struct
import sys
from pathlib import Path

# Column blocks (first column, last column) and each row's colour, top row first.
BLOCKS = [(0, 71), (72, 93), (94, 115), (116, 137)]
ROWS = [
    ["FFFF33", "F7A310", "3399CC", "99CC99"],
    ["FBDA30", "FF0000", "3366CC", "73BC88"],
    ["FFCC33", "CC0000", "2B2990", "0F8D30"],
]
WIDTH = BLOCKS[-1][1] + 1
SCALES = [100, 125, 150, 175, 200, 250, 300]


def scaled(length, percent):
    """A 96-dpi length at the scale, halves rounded up, as the program scales lengths."""
    return (length * percent + 50) // 100


def row_bytes(colours, percent):
    pixels = bytearray()
    for (first, last), colour in zip(BLOCKS, colours):
        red, green, blue = bytes.fromhex(colour)
        pixels += bytes((blue, green, red)) * (scaled(last + 1, percent) - scaled(first, percent))
    return bytes(pixels + b"\0" * (-len(pixels) % 4))


def bitmap(percent):
    rows = []
    for i, colours in enumerate(ROWS):
        rows += [row_bytes(colours, percent)] * (scaled(i + 1, percent) - scaled(i, percent))
    # Bottom-up rows, as a positive height says.
    pixels = b"".join(reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, scaled(WIDTH, percent), len(rows), 1, 24, 0, len(pixels), 2835, 2835,
                       0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + pixels


def main():
    root = Path(__file__).resolve().parent.parent
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else root / "resources" / "popup"
    for percent in SCALES:
        name = "strip.bmp" if percent == 100 else f"strip{percent}.bmp"
        (folder / name).write_bytes(bitmap(percent))


if __name__ == "__main__":
    main()
