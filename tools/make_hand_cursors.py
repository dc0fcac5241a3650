#!/usr/bin/env python3
"""Draws the link labels' hand cursors and writes them as .cur files into resources/cursors/.

Each cursor is a 32 x 32 monochrome picture: a white shape with a black outline on a
transparent ground, its hot spot where the hand points or grips.

Run: python3 tools/make_hand_cursors.py   (standard library only)
"""
import struct
from pathlib import Path

SIZE = 32

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


def pixels(spec):
    """Per pixel: None (ground), 0 (black) or 1 (white)."""
    shape = set()
    for x0, y0, x1, y1 in spec["fill"]:
        shape |= {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}
    shape -= set(spec.get("cut", []))
    solid = set()
    for x0, y0, x1, y1 in spec.get("solid", []):
        solid |= {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}
    grid = [[None] * SIZE for _ in range(SIZE)]
    for x, y in shape | solid:
        edge = any((x + dx, y + dy) not in shape for dx in (-1, 0, 1) for dy in (-1, 0, 1))
        grid[y][x] = 0 if edge or (x, y) in solid else 1
    return grid


def cursor_file(spec):
    grid = pixels(spec)
    xor_rows, and_rows = [], []
    for row in reversed(grid):  # bottom-up
        xor_bits = and_bits = 0
        for x, value in enumerate(row):
            bit = 1 << (31 - x)
            if value is None:
                and_bits |= bit
            elif value == 1:
                xor_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    masks = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, len(masks), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = header + palette + masks
    hot_x, hot_y = spec["hotspot"]
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, hot_x, hot_y, len(image), 6 + 16)
    return directory + entry + image


def main():
    folder = Path(__file__).resolve().parent.parent / "resources" / "cursors"
    folder.mkdir(exist_ok=True)
    for name, spec in CURSORS.items():
        (folder / f"{name}.cur").write_bytes(cursor_file(spec))


if __name__ == "__main__":
    main()
