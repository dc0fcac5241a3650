#!/usr/bin/env python3
"""Writes resources/popup/strip.bmp: the popup's 138 x 3 colour strip, 24 bits per pixel."""
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


def row_bytes(colours):
    pixels = bytearray()
    for (first, last), colour in zip(BLOCKS, colours):
        red, green, blue = bytes.fromhex(colour)
        pixels += bytes((blue, green, red)) * (last - first + 1)
    return bytes(pixels + b"\0" * (-len(pixels) % 4))


def bitmap():
    # Bottom-up rows, as a positive height says.
    pixels = b"".join(row_bytes(colours) for colours in reversed(ROWS))
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, len(ROWS), 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + pixels


def main():
    root = Path(__file__).resolve().parent.parent
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else root / "resources" / "popup" / "strip.bmp"
    target.write_bytes(bitmap())


if __name__ == "__main__":
    main()
