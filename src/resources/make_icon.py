#!/usr/bin/env python3
"""Draws the program's icon (group 103) and writes orvalis.ico beside this script.

The picture: a dark blue tile with a strip of film across it and an amber disc, the
catalogued medium, in the middle. 16, 32 and 48 pixel images, 32-bit with alpha,
each drawn at 4x4 samples per pixel for smooth edges. Needs only the standard library.
"""
import os
import struct

NAVY = (30, 58, 95)
FILM = (20, 20, 24)
HOLE = (235, 235, 235)
AMBER = (245, 166, 35)


def inside_rounded(x, y, size, radius):
    cx = min(max(x, radius), size - radius)
    cy = min(max(y, radius), size - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def colour_at(x, y, size):
    """Colour (r, g, b, a) of the point (x, y) in a size x size picture."""
    u, v = x / size, y / size
    if not inside_rounded(x, y, size, size * 0.18):
        return (0, 0, 0, 0)
    if (u - 0.5) ** 2 + (v - 0.5) ** 2 <= 0.2 ** 2:
        if (u - 0.5) ** 2 + (v - 0.5) ** 2 <= 0.06 ** 2:
            return NAVY + (255,)
        return AMBER + (255,)
    if 0.25 <= v <= 0.75:
        edge = v < 0.34 or v > 0.66
        if edge and int(u * 8) % 2 == 0 and 0.04 < (u * 8) % 1 < 0.96:
            if 0.27 <= v <= 0.32 or 0.68 <= v <= 0.73:
                return HOLE + (255,)
        return FILM + (255,)
    return NAVY + (255,)


def render(size, samples=4):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    r, g, b, a = colour_at(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples, size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] // n
            if acc[3]:
                row.append((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], alpha))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib(size):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA rows, AND mask."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main():
    sizes = [16, 32, 48]
    images = [dib(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "orvalis.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
