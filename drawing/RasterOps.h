#pragma once
// The four raster operations the controls are written against, with the
// pixel rules the skins and stored designs were made for: rectangles are clipped to both buffers,
// stretching picks the nearest source pixel, and nothing outside the
// destination rectangle changes.
#include <cstdint>

#include "drawing/Colour.h"
#include "drawing/Image.h"

namespace drawing {

// Plain copy of a w x h block from src(sx, sy) to dst(dx, dy).
void BitBlt(const PixelView& dst, int dx, int dy, int w, int h, const PixelView& src, int sx, int sy);

// Stretched copy that leaves out every source pixel whose colour equals key.
void TransparentBlt(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx,
                    int sy, int sw, int sh, Colour key);

// Stretched blend with one constant opacity for every pixel (per-pixel alpha
// is not used): dst = src * a / 255 + dst * (255 - a) / 255 per channel.
void AlphaBlend(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy,
                int sw, int sh, std::uint8_t constantAlpha);

// A gradient vertex: colour intensities are 16-bit (0x0000..0xFF00).
struct GradientVertex {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uint16_t red = 0;
  std::uint16_t green = 0;
  std::uint16_t blue = 0;
};

enum class GradientMode { Horizontal = 0, Vertical = 1 };

// Fills the rectangle spanned by the two vertices (right and bottom edges
// excluded), whichever corner each names; the colour runs from the vertex
// on the left (top) edge to the one on the right (bottom) edge. Returns false
// for a mode other than 0 or 1, as the system call does.
bool GradientFill(const PixelView& dst, const GradientVertex& a, const GradientVertex& b, int mode);

}  // namespace drawing
