#!/usr/bin/env python3
"""Draws the two window icons of Plumeroll: 32 x 32, 256 colours, cartoon faces of our own.

Run it to regenerate app/frmIE.ico and app/frmAbout.ico; the results are committed, so a
build needs no Python.
"""
import struct
import sys
from pathlib import Path

SIZE = 32


def inside_circle(x, y, cx, cy, r):
    return (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r


def draw(face):
    """face(x, y) -> (r, g, b) or None for transparent. Returns rows top-down."""
    return [[face(x, y) for x in range(SIZE)] for y in range(SIZE)]


def smiley(x, y):
    # A round yellow face with a wide grin and pink cheeks.
    if not inside_circle(x, y, 16, 16, 15):
        return None
    if not inside_circle(x, y, 16, 16, 14):
        return (120, 70, 0)  # outline
    if inside_circle(x, y, 11, 12, 3) or inside_circle(x, y, 21, 12, 3):
        if inside_circle(x, y, 11.8, 11.2, 1.2) or inside_circle(x, y, 21.8, 11.2, 1.2):
            return (255, 255, 255)  # glint
        return (30, 30, 30)  # eyes
    if inside_circle(x, y, 7, 19, 2.5) or inside_circle(x, y, 25, 19, 2.5):
        return (255, 140, 140)  # cheeks
    if inside_circle(x, y, 16, 17, 9) and not inside_circle(x, y, 16, 14, 9) and y > 18:
        return (150, 20, 30)  # grin
    return (255, 215, 40)


def winker(x, y):
    # A round blue face that winks and sticks its tongue out.
    if not inside_circle(x, y, 16, 16, 15):
        return None
    if not inside_circle(x, y, 16, 16, 14):
        return (10, 40, 110)
    if inside_circle(x, y, 11, 12, 3):
        if inside_circle(x, y, 11.8, 11.2, 1.2):
            return (255, 255, 255)
        return (20, 20, 20)
    if 18 <= x <= 24 and 12 <= y <= 13:
        return (20, 20, 20)  # the closed, winking eye
    if inside_circle(x, y, 18, 24, 3.5) and y >= 22:
        return (230, 80, 110)  # tongue
    if 10 <= x <= 22 and 21 <= y <= 22:
        return (20, 20, 20)  # mouth
    return (90, 170, 255)


def ico(rows):
    palette = sorted({c for row in rows for c in row if c is not None})
    palette = [(0, 0, 0)] + [c for c in palette if c != (0, 0, 0)]
    assert len(palette) <= 256
    index = {c: i for i, c in enumerate(palette)}
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    colours += b"\0" * (4 * (256 - len(palette)))
    pixels = b"".join(bytes(index.get(c, 0) for c in row) for row in reversed(rows))
    mask = b""
    for row in reversed(rows):
        bits = 0
        for x, c in enumerate(row):
            if c is None:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0,
                         len(pixels) + len(mask), 0, 0, 256, 0)
    image = header + colours + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "app"
    (out / "frmIE.ico").write_bytes(ico(draw(smiley)))
    (out / "frmAbout.ico").write_bytes(ico(draw(winker)))


if __name__ == "__main__":
    main()
