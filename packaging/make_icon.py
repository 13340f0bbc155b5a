#!/usr/bin/env python3
"""Draws the reader's application icon, an open book on the window's dark
grey, as icons/studyguide-reader.svg and as PNG files of the hicolor sizes
(icons/NNxNN.png). Both come from the same shape list below, so the scalable
and the fixed-size icons agree. No image library needed; run it from this
folder and commit what it writes."""
import pathlib
import struct
import zlib

HERE = pathlib.Path(__file__).resolve().parent
SIZES = [16, 24, 32, 48, 64, 128, 256]
SAMPLES = 4  # per axis, for smooth edges

# Shapes on a 256-unit canvas, painted in order: (kind, colour, data).
BACK = (0x33, 0x35, 0x37)
PAGE = (0xFF, 0xF5, 0xD2)
EDGE = (0xE0, 0xE0, 0xE0)
LINE = (0x83, 0x77, 0x6E)
SPINE = (0x04, 0x26, 0x40)
SHAPES = [
    ("round", BACK, (8, 8, 248, 248, 44)),
    ("poly", SPINE, [(28, 70), (128, 84), (228, 70), (228, 206), (128, 222), (28, 206)]),
    ("poly", EDGE, [(36, 60), (124, 74), (124, 208), (36, 194)]),
    ("poly", EDGE, [(132, 74), (220, 60), (220, 194), (132, 208)]),
    ("poly", PAGE, [(40, 54), (124, 68), (124, 200), (40, 186)]),
    ("poly", PAGE, [(132, 68), (216, 54), (216, 186), (132, 200)]),
]
for k in range(5):
    y = 88 + 20 * k
    SHAPES.append(("poly", LINE, [(54, y), (112, y + 10), (112, y + 16), (54, y + 6)]))
    SHAPES.append(("poly", LINE, [(144, y + 10), (202, y), (202, y + 6), (144, y + 16)]))


def inside(kind, data, x, y):
    if kind == "round":
        left, top, right, bottom, r = data
        if not (left <= x <= right and top <= y <= bottom):
            return False
        cx = min(max(x, left + r), right - r)
        cy = min(max(y, top + r), bottom - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    hit = False
    for (x1, y1), (x2, y2) in zip(data, data[1:] + data[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def pixel(size, px, py):
    red = green = blue = alpha = 0.0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = (px + (sx + 0.5) / SAMPLES) * 256 / size
            y = (py + (sy + 0.5) / SAMPLES) * 256 / size
            colour = None
            for kind, c, data in SHAPES:
                if inside(kind, data, x, y):
                    colour = c
            if colour:
                red += colour[0]; green += colour[1]; blue += colour[2]; alpha += 1
    n = SAMPLES * SAMPLES
    if alpha == 0:
        return (0, 0, 0, 0)
    return (round(red / alpha), round(green / alpha), round(blue / alpha), round(255 * alpha / n))


def png(path, size):
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(size, x, y)) for x in range(size)) for y in range(size))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
                     chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def svg(path):
    hexc = lambda c: "#%02X%02X%02X" % c
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">']
    for kind, c, data in SHAPES:
        if kind == "round":
            left, top, right, bottom, r = data
            parts.append(f'<rect x="{left}" y="{top}" width="{right - left}" height="{bottom - top}" '
                         f'rx="{r}" fill="{hexc(c)}"/>')
        else:
            points = " ".join(f"{x},{y}" for x, y in data)
            parts.append(f'<polygon points="{points}" fill="{hexc(c)}"/>')
    parts.append("</svg>\n")
    path.write_text("\n".join(parts), encoding="ascii")


def main():
    out = HERE / "icons"
    out.mkdir(exist_ok=True)
    svg(out / "studyguide-reader.svg")
    for size in SIZES:
        png(out / f"{size}x{size}.png", size)


if __name__ == "__main__":
    main()
