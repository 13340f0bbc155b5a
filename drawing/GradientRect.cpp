#include "drawing/GradientRect.h"

#include <cstdlib>

#include "drawing/Arithmetic.h"
#include "drawing/RasterOps.h"

namespace drawing {

std::int16_t ToColor16(std::int32_t value) {
  const std::int32_t low = value & 0xFFFF;
  return static_cast<std::int16_t>(low < 0x8000 ? low : low - 0x10000);
}

namespace {

GradientVertex Vertex(std::int32_t x, std::int32_t y, Colour colour) {
  // High byte ignored: callers pass plain colours.
  auto intensity = [](int channel) { return static_cast<std::uint16_t>(ToColor16(channel * 256)); };
  return {x, y, intensity(RedOf(colour)), intensity(GreenOf(colour)), intensity(BlueOf(colour))};
}

}  // namespace

void GradientRect(const PixelView& target, Colour first, Colour second, std::int32_t x, std::int32_t y,
                  std::int32_t width, std::int32_t height, std::int16_t mode) {
  const GradientVertex origin = Vertex(x, y, first);
  const GradientVertex far = Vertex(CheckedAdd(x, width), CheckedAdd(y, height), second);
  GradientFill(target, far, origin, std::abs(static_cast<int>(mode)));
}

}  // namespace drawing
