#pragma once
#include <cstdint>

#include "drawing/Colour.h"
#include "drawing/Image.h"

namespace drawing {

// The same 16 bits as a signed number: colour intensities up to 0xFF00 pass
// through the signed 16-bit fields of a gradient vertex this way.
std::int16_t ToColor16(std::int32_t value);

// Two-colour gradient over (x, y)..(x + width, y + height). |mode| 0 runs
// left to right, 1 top to bottom; the first colour is on the (x, y) side.
// Throws OverflowError when x + width or y + height leaves the 32-bit range.
void GradientRect(const PixelView& target, Colour first, Colour second, std::int32_t x, std::int32_t y,
                  std::int32_t width, std::int32_t height, std::int16_t mode);

}  // namespace drawing
