#pragma once
// Colours travel as 32-bit values laid out 0x00BBGGRR (red in the low byte),
// the layout the stored designs and the page theme use. A value with the high
// bit set names a system colour by index and has to be resolved through the
// platform palette before any arithmetic on its channels.
#include <cstdint>

namespace drawing {

using Colour = std::uint32_t;

constexpr Colour kSystemColourFlag = 0x80000000u;
constexpr Colour kButtonFace = 0x8000000Fu;

constexpr bool IsSystemColour(Colour c) { return (c & kSystemColourFlag) != 0; }
constexpr int SystemColourIndex(Colour c) { return static_cast<int>(c & ~kSystemColourFlag); }

constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

constexpr Colour MakeColour(int red, int green, int blue) {
  return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

// Opaque premultiplied ARGB pixel (0xAARRGGBB) for a plain colour.
constexpr std::uint32_t ToPixel(Colour c) {
  return 0xFF000000u | (static_cast<std::uint32_t>(RedOf(c)) << 16) |
         (static_cast<std::uint32_t>(GreenOf(c)) << 8) | static_cast<std::uint32_t>(BlueOf(c));
}

constexpr Colour FromPixel(std::uint32_t p) {
  return MakeColour(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                    static_cast<int>(p & 0xFF));
}

// Adds (lighten) or subtracts the amount on each channel, clamped to 0..255.
// Lighten with a negative amount darkens.
Colour ShiftColour(Colour colour, bool lighten, int amount);

}  // namespace drawing
