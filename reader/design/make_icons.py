#!/usr/bin/env python3
"""Draws the contents tree's three icons as PNG files (no image library
needed): a closed folder and an open folder of 16 x 16 pixels, and a page
of 48 x 48 pixels. Run it from this folder to regenerate pictures/."""
import struct
import zlib


def png(path, width, height, pixel):
    """Writes an 8-bit PNG; pixel(x, y) gives RGBA, or RGB for an opaque picture."""
    channels = len(pixel(0, 0))
    rows = b"".join(
        b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6 if channels == 4 else 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


CLEAR = (0, 0, 0, 0)
EDGE = (122, 84, 20, 255)
BACK = (214, 160, 52, 255)
FRONT = (246, 200, 84, 255)
LIGHT = (255, 228, 140, 255)


def closed_folder(x, y):
    if 2 <= y <= 3 and 1 <= x <= 6:          # tab
        return EDGE if y == 2 or x in (1, 6) else BACK
    if 4 <= y <= 13 and 1 <= x <= 14:
        if y in (4, 13) or x in (1, 14):
            return EDGE
        return LIGHT if y == 5 else FRONT
    return CLEAR


def open_folder(x, y):
    if 2 <= y <= 3 and 1 <= x <= 6:
        return EDGE if y == 2 or x in (1, 6) else BACK
    if 4 <= y <= 13 and 1 <= x <= 12 and (y in (4, 13) or x == 1):
        return EDGE
    if 4 < y < 13 and 1 < x < 12 and y < 7:
        return BACK
    # The front flap leans forward: its left edge moves right as it rises.
    if 7 <= y <= 13:
        left = 1 + (13 - y) // 2 + 1
        right = 15 - (13 - y) // 3
        if left <= x <= right:
            if y in (7, 13) or x in (left, right):
                return EDGE
            return LIGHT if y == 8 else FRONT
    return CLEAR


def page(x, y):
    paper, line, fold, edge = (252, 252, 248, 255), (120, 140, 170, 255), (210, 210, 200, 255), (90, 90, 90, 255)
    left, top, right, bottom, corner = 8, 3, 39, 44, 10
    if not (left <= x <= right and top <= y <= bottom):
        return CLEAR
    if x - left + (bottom - y) < 0:
        return CLEAR
    if x > right - corner + (y - top) and y < top + corner:
        return CLEAR                                  # cut corner
    if y < top + corner and x >= right - corner and x - (right - corner) <= y - top:
        return fold if x - (right - corner) < y - top else edge
    if x in (left, right) or y in (top, bottom):
        return edge
    if 14 <= y <= 38 and (y - 14) % 5 == 0 and left + 5 <= x <= right - 5:
        return line
    return paper


if __name__ == "__main__":
    png("pictures/folder_closed.png", 16, 16, closed_folder)
    png("pictures/folder_open.png", 16, 16, open_folder)
    png("pictures/page.png", 48, 48, page)
