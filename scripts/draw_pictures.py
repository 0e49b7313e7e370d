#!/usr/bin/env python3
"""Draws the panel pictures (p_ksil2/pictures/*.png): the module and a bus emblem.

Plain shapes on a 60 x 60 canvas, written as PNG with the standard library only.
Run from the repository root: python3 scripts/draw_pictures.py
"""
import math
import struct
import zlib
from pathlib import Path

SIZE = 60


def canvas(colour):
    return [[colour for _ in range(SIZE)] for _ in range(SIZE)]


def rect(img, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(SIZE, y1)):
        for x in range(max(0, x0), min(SIZE, x1)):
            img[y][x] = colour


def ring(img, cx, cy, r_out, r_in, colour):
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if r_in <= d <= r_out:
                img[y][x] = colour


def write_png(img, path):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in img)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    path.write_bytes(png)


def module():
    """The mezzanine board: two rows of resistor stages, relays, the connector."""
    img = canvas((192, 192, 192))
    rect(img, 4, 8, 56, 52, (30, 110, 60))        # board
    rect(img, 4, 8, 56, 10, (20, 80, 45))         # board edge
    for row, y in enumerate((14, 30)):           # one row of stages per channel
        for k in range(9):
            x = 8 + k * 5
            rect(img, x, y, x + 3, y + 8, (210, 180, 120))     # resistor body
            rect(img, x + 1, y + 2, x + 2, y + 3, (160, 60, 40))  # colour band
            rect(img, x, y + 10, x + 3, y + 13, (60, 60, 70))  # relay
    for k in range(12):                           # connector pins
        x = 8 + k * 4
        rect(img, x, 47, x + 2, 52, (212, 175, 55))
    return img


def bus():
    """A neutral bus emblem: three bus lines with taps inside a ring."""
    img = canvas((192, 192, 192))
    ring(img, 30, 30, 27, 23, (40, 70, 140))
    for y in (20, 29, 38):
        rect(img, 12, y, 48, y + 3, (40, 70, 140))
    for x, y in ((18, 20), (30, 29), (42, 38)):
        rect(img, x, y - 5, x + 3, y, (200, 60, 40))
    return img


if __name__ == "__main__":
    out = Path(__file__).resolve().parent.parent / "p_ksil2" / "pictures"
    out.mkdir(exist_ok=True)
    write_png(module(), out / "module.png")
    write_png(bus(), out / "bus.png")
