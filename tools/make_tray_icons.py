#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files into resources/tray/.

The tray shows one of three status images (no answer yet, page fetched, fetch failed);
the program icon carries the taskbar button and the window. Every picture is a round
badge with a dark rim and a light sign, so it reads on light and dark taskbars alike.

Run: python3 tools/make_tray_icons.py [--preview DIR]   (standard library only)
"""
import argparse
import math
import os
import struct
import zlib

SUPERSAMPLE = 4
RIM = (0x1C, 0x1C, 0x1C)
WHITE = (0xFF, 0xFF, 0xFF)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def polyline_distance(px, py, points):
    return min(segment_distance(px, py, *points[i], *points[i + 1]) for i in range(len(points) - 1))


# Signs in badge coordinates (0..1), drawn as strokes of the given width.
S_LINE = [(0.67, 0.33), (0.60, 0.26), (0.46, 0.24), (0.35, 0.30), (0.34, 0.41), (0.44, 0.48),
          (0.56, 0.52), (0.66, 0.59), (0.65, 0.70), (0.54, 0.76), (0.40, 0.75), (0.32, 0.67)]
CROSS_LINES = [[(0.31, 0.31), (0.69, 0.69)], [(0.69, 0.31), (0.31, 0.69)]]
DOTS = [(0.28, 0.52), (0.50, 0.52), (0.72, 0.52)]


class Badge:
    """A round badge: gradient fill from top to bottom, dark rim, a sign on top."""

    def __init__(self, top, bottom, sign, sign_colour, halo=None):
        self.top, self.bottom = top, bottom
        self.sign, self.sign_colour, self.halo = sign, sign_colour, halo

    def sign_distance(self, x, y):
        if self.sign == "S":
            return polyline_distance(x, y, S_LINE) - 0.075
        if self.sign == "cross":
            return min(polyline_distance(x, y, line) for line in CROSS_LINES) - 0.08
        if self.sign == "dots":
            return min(math.hypot(x - cx, y - cy) for cx, cy in DOTS) - 0.095
        return 1.0

    def sample(self, x, y, pixel):
        """Colour and coverage (0 or 1) at one sub-sample; pixel is one pixel in badge units."""
        r = math.hypot(x - 0.5, y - 0.5)
        if r > 0.5:
            return None
        if r > 0.5 - pixel:
            return RIM
        colour = mix(self.top, self.bottom, y)
        d = self.sign_distance(x, y)
        if d <= 0:
            return self.sign_colour
        if self.halo and d <= pixel * 0.9:
            return self.halo
        return colour


def render(badge, size):
    """RGBA rows, top to bottom."""
    n = SUPERSAMPLE
    pixel = 1.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    c = badge.sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size, pixel)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                row.append(tuple(round(a / hits) for a in acc) + (round(255 * hits / (n * n)),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def mask_rows(rows):
    """The AND mask: 1 where the pixel is transparent, rows padded to 32 bits."""
    size = len(rows)
    stride = (size + 31) // 32 * 4
    out = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def bitmap_32(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    return header + bytes(pixels) + mask_rows(rows)


# The 16 colours of the standard VGA palette.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
         (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def nearest_vga(c):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(c, VGA16[i])))


def bitmap_4(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA16)
    stride = (size * 4 + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, p in enumerate(row):
            index = nearest_vga(p[:3]) if p[3] >= 128 else 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        pixels += line
    return header + palette + bytes(pixels) + mask_rows(rows)


def ico(images):
    """images: (size, bits per pixel, bitmap bytes)."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, bpp, bitmap in images:
        colours = 16 if bpp == 4 else 0
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bpp, len(bitmap), offset)
        offset += len(bitmap)
        data += bitmap
    return header + entries + data


def png(rows, scale):
    """A magnified preview, to look at the pictures."""
    size = len(rows)
    raw = bytearray()
    for row in rows:
        line = bytearray([0])
        for p in row:
            line += bytes(p) * scale
        raw += bytes(line) * scale
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size * scale, size * scale, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw))) + chunk(b"IEND", b""))


PROGRAM = Badge((0xE0, 0x1A, 0x10), (0xF5, 0x8C, 0x00), "S", WHITE)
ICONS = {
    # Fetch status 0: no answer yet. Grey, waiting dots.
    "status0": Badge((0x9A, 0xA0, 0xAA), (0x5C, 0x62, 0x6C), "dots", WHITE),
    # Fetch status 1: the page came. The program's own colours.
    "status1": PROGRAM,
    # Fetch status 2: the fetch failed. Dark, a red cross with a light edge.
    "status2": Badge((0x5A, 0x5A, 0x5A), (0x30, 0x30, 0x30), "cross", (0xFF, 0x30, 0x20), (0xF0, 0xF0, 0xF0)),
}


TRAY_SIZES = (16, 20, 24, 32, 40, 48)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", help="also write magnified PNG previews into this folder")
    args = parser.parse_args()
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "tray")
    os.makedirs(out, exist_ok=True)
    # The notification area shows small icons: 16 pixels at 96 dpi, up to 48 at 300 %.
    files = {name: ico([(s, 32, bitmap_32(render(badge, s))) for s in TRAY_SIZES]) for name, badge in ICONS.items()}
    files["mainicon"] = ico([(s, 32, bitmap_32(render(PROGRAM, s))) for s in (16, 20, 24, 32, 40, 48, 64)])
    # The icon stored with the tray component: 16 by 16 in 16 colours, and its larger sizes.
    files["trayicon"] = ico([(s, 4, bitmap_4(render(PROGRAM, s))) for s in TRAY_SIZES])
    for name, data in files.items():
        with open(os.path.join(out, name + ".ico"), "wb") as f:
            f.write(data)
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for name, badge in ICONS.items():
            with open(os.path.join(args.preview, name + ".png"), "wb") as f:
                f.write(png(render(badge, 16), 12))
        with open(os.path.join(args.preview, "mainicon48.png"), "wb") as f:
            f.write(png(render(PROGRAM, 48), 4))


if __name__ == "__main__":
    main()
