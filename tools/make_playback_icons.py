#!/usr/bin/env python3
"""Writes the 64 x 64 overlay button images under resource/ (standard library only): the five
playback buttons and the panel's hide and show buttons.

White glyphs on a translucent dark rounded square, antialiased by 4 x 4 supersampling.
Run from anywhere: python3 tools/make_playback_icons.py
"""
import os
import struct
import zlib

SIZE = 64
SUB = 4  # samples per pixel and axis

# Shapes in pixel coordinates of the 64 x 64 image: ("rect", x0, y0, x1, y1) or
# ("tri", (x, y), (x, y), (x, y)).
GLYPHS = {
    "button_step_back": [("rect", 18, 18, 24, 46), ("tri", (45, 18), (45, 46), (26, 32))],
    "button_play_backward": [("tri", (41, 17), (41, 47), (19, 32))],
    "button_stop": [("rect", 21, 21, 43, 43)],
    "button_play_forward": [("tri", (23, 17), (23, 47), (45, 32))],
    "button_step_forward": [("tri", (19, 18), (19, 46), (38, 32)), ("rect", 40, 18, 46, 46)],
    "button_hide": [("tri", (18, 24), (46, 24), (32, 42))],
    "button_show": [("tri", (18, 40), (46, 40), (32, 22))],
}

BACKGROUND = (32, 32, 40, 176)
GLYPH = (255, 255, 255, 255)


def inside_rounded_square(x, y, margin=3.0, radius=12.0):
    lo, hi = margin, SIZE - margin
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    return (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0)


def inside_glyph(shapes, x, y):
    for s in shapes:
        if s[0] == "rect" and s[1] <= x <= s[3] and s[2] <= y <= s[4]:
            return True
        if s[0] == "tri" and inside_triangle(x, y, *s[1:]):
            return True
    return False


def render(shapes):
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # filter type none
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied sums
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    if inside_glyph(shapes, x, y):
                        c = GLYPH
                    elif inside_rounded_square(x, y):
                        c = BACKGROUND
                    else:
                        continue
                    a = c[3] / 255.0
                    for k in range(3):
                        acc[k] += c[k] * a
                    acc[3] += a
            n = SUB * SUB
            alpha = acc[3] / n
            if alpha > 0:
                rgb = [round(acc[k] / acc[3]) for k in range(3)]
            else:
                rgb = [0, 0, 0]
            row += bytes(rgb + [round(alpha * 255)])
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(pixels):
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resource")
    for name, shapes in GLYPHS.items():
        path = os.path.normpath(os.path.join(out, name + ".png"))
        with open(path, "wb") as f:
            f.write(png(render(shapes)))
        print(path)


if __name__ == "__main__":
    main()
