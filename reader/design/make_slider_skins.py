#!/usr/bin/env python3
"""Draws the zoom slider's pictures as 24-bit PNG files: the decrease (minus)
and increase (plus) button skins of 17 x 17 pixels, each in an Up and a
slightly lighter Move variant; the thumb skins of 7 x 16 pixels, a grey
rounded bar; and the 150 x 17 track strip with its groove. Pixels of a skin's
key colour are left out when the slider copies the skin, so the thumb's
rounded corners let the track show through. The buttons are opaque: their
corners carry the window's colour, because the button's own background is
the key colour itself. Run it from this folder to regenerate pictures/."""
from make_icons import png

BUTTON_KEY = (0x0F, 0x41, 0x07)   # stored colour 0x0007410F
THUMB_KEY = (0x57, 0x00, 0x0F)    # stored colour 0x000F0057
WINDOW = (0x33, 0x35, 0x37)       # the main window's background


def button(sign, move):
    face = (0x4A, 0x4A, 0x4A) if move else (0x40, 0x40, 0x40)
    light = (0x6A, 0x6A, 0x6A) if move else (0x5C, 0x5C, 0x5C)
    edge = (0x22, 0x22, 0x22)
    ink = (0xF4, 0xF4, 0xF4) if move else (0xD8, 0xD8, 0xD8)

    def pixel(x, y):
        corner = min(x, 16 - x) + min(y, 16 - y)
        if corner == 0:
            return WINDOW                     # rounded corner
        if x in (0, 16) or y in (0, 16) or corner == 1:
            return edge
        if y == 1 or x == 1:
            return light
        if y == 8 and 4 <= x <= 12:
            return ink                        # the bar of both signs
        if sign == "+" and x == 8 and 4 <= y <= 12:
            return ink
        return face
    return pixel


def thumb(move):
    outline = (0xA8, 0xA8, 0xA8) if move else (0x96, 0x96, 0x96)
    fill = (0xD6, 0xD6, 0xD6) if move else (0xC4, 0xC4, 0xC4)
    shine = (0xEC, 0xEC, 0xEC) if move else (0xDC, 0xDC, 0xDC)

    def pixel(x, y):
        if x in (0, 6) or y in (0, 15):
            return THUMB_KEY
        if (x in (1, 5)) and (y in (1, 14)):
            return THUMB_KEY                  # rounded corners of the bar
        if x in (1, 5) or y in (1, 14):
            return outline
        return shine if x == 2 else fill
    return pixel


def track(x, y):
    strip, groove_edge, groove = (0x2D, 0x2D, 0x2D), (0x80, 0x80, 0x80), (0x21, 0x21, 0x21)
    if 4 <= x <= 145 and 6 <= y <= 10:
        return groove_edge if x in (4, 145) or y in (6, 10) else groove
    return strip


if __name__ == "__main__":
    png("pictures/slider_minus_up.png", 17, 17, button("-", False))
    png("pictures/slider_minus_move.png", 17, 17, button("-", True))
    png("pictures/slider_plus_up.png", 17, 17, button("+", False))
    png("pictures/slider_plus_move.png", 17, 17, button("+", True))
    png("pictures/slider_thumb_up.png", 7, 16, thumb(False))
    png("pictures/slider_thumb_move.png", 7, 16, thumb(True))
    png("pictures/slider_track.png", 150, 17, track)
