#pragma once
// What Risuy draws into the balloon's retained image and the shape it gives
// the window: the background picture blended in nine pieces, the text lines,
// and the rounded-corner window shape. Each works on a plain surface or pixel
// buffer, so tests check the pixels without a window.
#include <cstdint>
#include <string>
#include <vector>

#include "drawing/Colour.h"
#include "drawing/Image.h"
#include "drawing/Region.h"
#include "drawing/Surface.h"

namespace balloon {

// Stretches source over target in nine pieces with one constant opacity:
// corners of corner x corner pixels keep their size, edges stretch along one
// axis, the centre along both. A piece of zero or negative size draws
// nothing. Throws drawing::OverflowError when a piece's size leaves 32 bits.
void BlendNinePieces(const drawing::PixelView& target, const drawing::PixelView& source, std::int32_t corner,
                     std::uint8_t alpha);

struct TextLook {
  bool centred = false;       // TextSenter
  bool twoColours = false;    // ForeDvaCveta
  drawing::Colour top = 0;    // ForeColorTxtTop
  drawing::Colour under = 0;  // ForeColorTxtPod, one pixel right and down
  std::int32_t margin = 0;    // TextOtstup
};

// Prints the lines from the top margin down, transparently, in the
// surface's font; the first line is indented by three spaces' width unless
// the lines are centred. Throws drawing::OverflowError.
void PaintBalloonText(drawing::Surface& surface, const std::vector<std::string>& lines, const TextLook& look);

// The window shape of a width x height balloon whose corners are cut by an
// ellipse of ellipse x ellipse pixels (limited to one more than the
// balloon's size). The ellipse runs through the centres of the outermost
// pixels, so a 3-pixel ellipse takes exactly the corner pixel; below 2
// pixels the shape is the whole rectangle. Every pixel of the window, the
// last row and column included, is covered, and so is the middle of each
// edge, however large the ellipse.
drawing::Region RoundedCornerRegion(int width, int height, std::int32_t ellipse);

}  // namespace balloon
