#pragma once
// The pixel rules of a surface's drawing verbs, in one place for every
// surface implementation, so that a control's pixel tests on a fake surface
// show what the screen shows. Coordinates are floored to whole pixels and
// everything is clipped to the buffer.
#include <cstdint>

#include "drawing/Image.h"

namespace drawing {

// A one-pixel line from the first point up to the second, which stays
// unpainted: a polyline drawn as consecutive lines paints each joint once.
void DrawLine(const PixelView& dst, double x1, double y1, double x2, double y2, std::uint32_t pixel);
// An outline rectangle; both corners belong to it.
void DrawBox(const PixelView& dst, double x1, double y1, double x2, double y2, std::uint32_t pixel);
// A focus rectangle: the outline of left..right x top..bottom (both corners
// inside) with every other pixel painted, those where x + y is even, so
// that two rectangles over each other line up dot for dot.
void DrawDottedBox(const PixelView& dst, long long left, long long top, long long right, long long bottom,
                   std::uint32_t pixel);
// A filled rectangle; both corners belong to it.
void FillBox(const PixelView& dst, double x1, double y1, double x2, double y2, std::uint32_t pixel);
// The pixels from (floor(x), floor(y)) up to but not including
// (floor(x + width), floor(y + height)): a printed text's box.
void FillArea(const PixelView& dst, double x, double y, double width, double height, std::uint32_t pixel);
// The picture stretched over width x height pixels at (x, y), each pixel
// taken from the source pixel under its centre (no smoothing, so skins and
// icons keep hard edges), laid over what is there by its own alpha (a
// transparent icon background lets the row show through). Sizes below one
// pixel draw nothing.
// On a buffer of more than one device pixel per logical pixel the picture
// is interpolated over the device pixels instead, so icons and skins stay
// smooth on a high-density screen.
void StretchPicture(const PixelView& dst, const Image& picture, double x, double y, double width, double height);
// The same for a surface's own picture over its background: with a key
// (the background as a pixel), picture pixels of exactly that colour stay
// background on a high-density buffer too, and no interpolated edge pixel
// takes a mixture of the key. At ratio 1 the key changes nothing.
void StretchPictureKeyed(const PixelView& dst, const Image& picture, double x, double y, double width,
                         double height, const std::uint32_t* keyPixel);

}  // namespace drawing
