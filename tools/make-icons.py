#!/usr/bin/env python3
"""Draws the program's icon and the four arrow bitmaps of the move buttons.

The icon is a night-sky tile with the axes of a colour-magnitude diagram, a
main sequence of stars running from bright blue to faint red, two red giants
and one sparkling star. One table of shapes gives both the scalable SVG and
the PNGs (supersampled, so the small sizes stay smooth). The arrows are
12 x 12 pixel art, black on transparent, in the 16-colour spirit of the
button bitmaps they replace.

The output is committed; run this only to change the drawings:

    python3 tools/make-icons.py resources

Only the Python standard library is used and the PNGs carry no time stamp,
so the files are the same byte for byte on every machine.
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZES = (16, 32, 48, 64, 128, 256)
CANVAS = 256  # the drawing's own units; every shape below is in them

# (kind, colour, geometry...) in painting order.
SHAPES = [
    ("roundrect", "#14213d", 16, 16, 240, 240, 44),
    ("rect", "#c9d3e6", 52, 44, 61, 205),    # magnitude axis
    ("rect", "#c9d3e6", 52, 196, 214, 205),  # colour axis
    ("circle", "#9cc3ff", 106, 100, 12),
    ("circle", "#e8eefc", 126, 121, 11),
    ("circle", "#fff1a8", 145, 138, 10),
    ("circle", "#ffd36b", 163, 152, 9),
    ("circle", "#ffab5e", 181, 165, 8),
    ("circle", "#ff7b54", 197, 177, 7),
    ("circle", "#ff9a4d", 172, 88, 10),
    ("circle", "#ff8040", 194, 76, 9),
    ("star", "#f4f8ff", 88, 76, 32, 7),  # the bright one: four long rays
]


def star_points(cx, cy, outer, inner):
    points = []
    for i in range(8):
        r = outer if i % 2 == 0 else inner
        a = math.pi / 4 * i - math.pi / 2
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return points


def rgb(colour):
    return tuple(int(colour[i : i + 2], 16) for i in (1, 3, 5))


def inside(shape, x, y):
    kind, _, *g = shape
    if kind == "rect":
        return g[0] <= x < g[2] and g[1] <= y < g[3]
    if kind == "circle":
        return (x - g[0]) ** 2 + (y - g[1]) ** 2 <= g[2] ** 2
    if kind == "roundrect":
        l, t, r, b, rad = g
        if not (l <= x < r and t <= y < b):
            return False
        cx = min(max(x, l + rad), r - rad)
        cy = min(max(y, t + rad), b - rad)
        return (x - cx) ** 2 + (y - cy) ** 2 <= rad**2
    return point_in_polygon(star_points(*g), x, y)


def point_in_polygon(points, x, y):
    hit = False
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            hit = not hit
    return hit


def render_icon(size):
    samples = max(4, 64 // size)  # per pixel side
    scale = CANVAS / size
    colours = [rgb(s[1]) for s in SHAPES]
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                y = (py + (sy + 0.5) / samples) * scale
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    for shape, colour in zip(reversed(SHAPES), reversed(colours)):
                        if inside(shape, x, y):
                            acc[0] += colour[0]
                            acc[1] += colour[1]
                            acc[2] += colour[2]
                            acc[3] += 1
                            break
            n = acc[3]
            if n == 0:
                row += b"\0\0\0\0"
            else:
                row += bytes(round(c / n) for c in acc[:3])
                row.append(round(255 * n / samples**2))
        rows.append(bytes(row))
    return rows


def svg():
    out = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{CANVAS}" height="{CANVAS}"'
        f' viewBox="0 0 {CANVAS} {CANVAS}">',
        "  <title>Orelith</title>",
    ]
    for kind, colour, *g in SHAPES:
        if kind == "roundrect":
            l, t, r, b, rad = g
            out.append(f'  <rect x="{l}" y="{t}" width="{r - l}" height="{b - t}" rx="{rad}" fill="{colour}"/>')
        elif kind == "rect":
            out.append(f'  <rect x="{g[0]}" y="{g[1]}" width="{g[2] - g[0]}" height="{g[3] - g[1]}" fill="{colour}"/>')
        elif kind == "circle":
            out.append(f'  <circle cx="{g[0]}" cy="{g[1]}" r="{g[2]}" fill="{colour}"/>')
        else:
            pts = " ".join(f"{x:.2f},{y:.2f}" for x, y in star_points(*g))
            out.append(f'  <polygon points="{pts}" fill="{colour}"/>')
    out.append("</svg>")
    return "\n".join(out) + "\n"


ARROW_UP = [
    "............",
    ".....##.....",
    "....####....",
    "...######...",
    "..########..",
    ".##########.",
    "....####....",
    "....####....",
    "....####....",
    "....####....",
    "....####....",
    "............",
]


def rotate_right(art):
    n = len(art)
    return ["".join(art[n - 1 - c][r] for c in range(n)) for r in range(n)]


def arrow_rows(art):
    return [b"".join(b"\0\0\0\xff" if ch == "#" else b"\0\0\0\0" for ch in line) for line in art]


def png(rows):
    height, width = len(rows), len(rows[0]) // 4
    raw = b"".join(b"\0" + r for r in rows)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "resources")
    (out / "icons").mkdir(parents=True, exist_ok=True)
    (out / "icons" / "orelith.svg").write_text(svg())
    for size in SIZES:
        (out / "icons" / f"orelith-{size}.png").write_bytes(png(render_icon(size)))
    art = ARROW_UP
    for name in ("up", "right", "down", "left"):
        (out / f"arrow-{name}.png").write_bytes(png(arrow_rows(art)))
        art = rotate_right(art)


if __name__ == "__main__":
    main()
