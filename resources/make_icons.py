#!/usr/bin/env python3
"""Writes the programs' 32x32 16-colour icons, palvio.ico and ventrel.ico, beside this script.

Each icon is drawn from a few circles and lines on a pixel grid; run again after a change and
commit the .ico files it writes."""
import math
import os
import struct

SIZE = 32
# 16-colour palette, as (blue, green, red) in the file's order.
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, DARK_GREEN, GREY, GREEN, YELLOW, WHITE = 0, 2, 8, 10, 11, 15
CLEAR = None


def blank():
    return [[CLEAR] * SIZE for _ in range(SIZE)]


def disc(pixels, cx, cy, r, colour):
    for y in range(SIZE):
        for x in range(SIZE):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                pixels[y][x] = colour


def ring(pixels, cx, cy, r, colour, width=1.0):
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if r - width <= d <= r:
                pixels[y][x] = colour


def line(pixels, x0, y0, x1, y1, colour):
    steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
    for i in range(steps + 1):
        t = i / steps
        x, y = int(x0 + (x1 - x0) * t), int(y0 + (y1 - y0) * t)
        if 0 <= x < SIZE and 0 <= y < SIZE:
            pixels[y][x] = colour


def palvio():
    """A traffic scope: green rings, a sweep and three blips."""
    p = blank()
    disc(p, 16, 16, 15.5, BLACK)
    ring(p, 16, 16, 15.5, GREEN, 1.2)
    ring(p, 16, 16, 10, DARK_GREEN)
    ring(p, 16, 16, 5, DARK_GREEN)
    line(p, 16, 16, 26, 6, GREEN)
    for x, y in ((21, 9), (9, 20), (22, 22)):
        disc(p, x + 0.5, y + 0.5, 1.6, YELLOW)
    return p


def ventrel():
    """A weather station: a sun behind a cloud."""
    p = blank()
    disc(p, 20, 11, 7, YELLOW)
    for a in range(0, 360, 45):
        r = math.radians(a)
        line(p, 20 + 8 * math.cos(r), 11 + 8 * math.sin(r), 20 + 10.5 * math.cos(r),
             11 + 10.5 * math.sin(r), YELLOW)
    for cx, cy, r in ((10, 20, 6), (17, 17, 7), (24, 21, 5.5)):
        disc(p, cx, cy, r + 1, GREY)
    for cx, cy, r in ((10, 20, 6), (17, 17, 7), (24, 21, 5.5)):
        disc(p, cx, cy, r, WHITE)
    for y in range(21, 27):
        for x in range(5, 29):
            p[y][x] = WHITE if 6 <= x <= 27 and y <= 25 else GREY
    return p


def ico(pixels):
    """One 32x32 4-bit image with its AND mask, rows bottom-up as the format keeps them."""
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        for x in range(0, SIZE, 2):
            hi = row[x] or 0
            lo = row[x + 1] or 0
            xor.append((hi << 4) | lo)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for b, g, r in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0,
                         0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, draw in (("palvio.ico", palvio), ("ventrel.ico", ventrel)):
        with open(os.path.join(here, name), "wb") as f:
            f.write(ico(draw()))


if __name__ == "__main__":
    main()
