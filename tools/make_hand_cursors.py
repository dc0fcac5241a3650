#!/usr/bin/env python3
"""Draws the link labels' hand cursors and writes them as .cur files into resources/cursors/.

Each cursor is a 32 x 32 monochrome picture: a white shape with a black outline on a
transparent ground, its hot spot where the hand points or grips. Each file also holds the
picture drawn for the cursor sizes of larger scales (40 to 96 pixels): the shape scaled,
its outline one pixel wide again.

Run: python3 tools/make_hand_cursors.py   (standard library only)
"""
import struct
from pathlib import Path

SIZE = 32
SIZES = (32, 40, 48, 56, 64, 80, 96)

# Shapes as filled rectangles (x0, y0, x1, y1 inclusive); pixels of the shape that touch
# the ground become the black outline. "cut" pixels are taken out again (rounded tips).
CURSORS = {
    "handpoint": {
        "hotspot": (6, 0),
        "fill": [(5, 0, 8, 13), (9, 7, 11, 13), (12, 8, 14, 13), (15, 9, 17, 14), (1, 12, 5, 15),
                 (3, 14, 17, 20), (5, 20, 15, 23)],
        "cut": [(5, 0), (8, 0), (1, 12), (17, 9)],
    },
    "smallhandpoint": {
        "hotspot": (13, 9),
        "fill": [(12, 9, 15, 16), (16, 13, 17, 16), (18, 14, 19, 17), (9, 16, 12, 18), (11, 16, 19, 21)],
        "cut": [(12, 9), (15, 9), (9, 16)],
        "solid": [(11, 22, 19, 24)],
    },
    "grabhand": {
        "hotspot": (4, 2),
        "fill": [(4, 2, 6, 12), (8, 1, 10, 12), (12, 2, 14, 12), (16, 4, 18, 13), (0, 10, 3, 14),
                 (3, 11, 18, 20), (5, 20, 16, 23)],
        "cut": [(0, 10), (18, 4)],
    },
    "grabhandarrow": {
        "hotspot": (0, 0),
        "fill": [(0, y, y * 2 // 3, y) for y in range(0, 12)] + [(2, 12, 3, 15),
                 (12, 12, 13, 19), (14, 11, 15, 19), (16, 12, 17, 19), (18, 13, 19, 20), (10, 18, 12, 21),
                 (12, 19, 20, 26)],
        "cut": [(12, 12), (15, 11), (17, 12), (19, 13)],
    },
    "draghand": {
        "hotspot": (0, 0),
        "fill": [(0, 0, 3, 4), (4, 0, 7, 4), (8, 0, 11, 4), (12, 1, 14, 4), (0, 3, 14, 13), (2, 13, 12, 16)],
        "cut": [(0, 0), (14, 1)],
    },
}


def scaled(value, size):
    return value * size // SIZE


def area(rectangles, size):
    """The pixels of 32-pixel rectangles at the size."""
    cells = set()
    for x0, y0, x1, y1 in rectangles:
        cells |= {(x, y) for x in range(scaled(x0, size), scaled(x1 + 1, size))
                  for y in range(scaled(y0, size), scaled(y1 + 1, size))}
    return cells


def pixels(hand, size):
    """Per pixel: None (ground), 0 (black) or 1 (white)."""
    shape = area(hand["fill"], size) - area([(x, y, x, y) for x, y in hand.get("cut", [])], size)
    solid = area(hand.get("solid", []), size)
    grid = [[None] * size for _ in range(size)]
    for x, y in shape | solid:
        edge = any((x + dx, y + dy) not in shape for dx in (-1, 0, 1) for dy in (-1, 0, 1))
        grid[y][x] = 0 if edge or (x, y) in solid else 1
    return grid


def cursor_image(hand, size):
    grid = pixels(hand, size)
    stride = (size + 31) // 32 * 32
    xor_rows, and_rows = [], []
    for row in reversed(grid):  # bottom-up
        xor_bits = and_bits = 0
        for x, value in enumerate(row):
            bit = 1 << (stride - 1 - x)
            if value is None:
                and_bits |= bit
            elif value == 1:
                xor_bits |= bit
        xor_rows.append(xor_bits.to_bytes(stride // 8, "big"))
        and_rows.append(and_bits.to_bytes(stride // 8, "big"))
    masks = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(masks), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    return header + palette + masks


def cursor_file(hand):
    images = [cursor_image(hand, size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 2, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(SIZES, images):
        hot_x, hot_y = (scaled(value, size) for value in hand["hotspot"])
        entries += struct.pack("<BBBBHHII", size, size, 2, 0, hot_x, hot_y, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    folder = Path(__file__).resolve().parent.parent / "resources" / "cursors"
    folder.mkdir(exist_ok=True)
    for name, hand in CURSORS.items():
        (folder / f"{name}.cur").write_bytes(cursor_file(hand))


if __name__ == "__main__":
    main()
