#pragma once
// The balloon's geometry without a window: the caption wrapped into lines,
// the balloon's size, and its place beside the cursor inside the work area.
// The text is measured through a callback so that the arithmetic is the same
// for the real font and a test's fixed metric.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/HostServices.h"

namespace balloon {

// Advance width of a text in the balloon font, and the height of one line.
struct TextMeasure {
  std::function<double(std::string_view)> width;
  double lineHeight = 0;
};

struct WrappedCaption {
  std::vector<std::string> lines;  // at least one, possibly empty
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Neither side of a balloon may exceed this: a larger one is refused instead
// of asking the window system for an image it cannot hold.
constexpr std::int32_t kLargestBalloonSide = 16384;

// Leading and trailing spaces removed (spaces only, no other white space).
std::string_view TrimSpaces(std::string_view text);

// Wraps caption at maxWidth pixels including a margin on every side. Throws
// drawing::OverflowError when the arithmetic leaves 32 bits and
// std::length_error for a balloon past kLargestBalloonSide.
WrappedCaption WrapCaption(std::string_view caption, std::int32_t maxWidth, std::int32_t margin,
                           const TextMeasure& measure);

// Top-left screen corner of a width x height balloon for placement mode
// (0..8; anything else: the work area's top-left), offset pixels from the
// cursor, kept inside the work area. Throws drawing::OverflowError.
drawing::ScreenPoint PlaceBalloon(std::int32_t mode, std::int32_t width, std::int32_t height, std::int32_t offset,
                                  drawing::ScreenPoint cursor, const drawing::ScreenRect& workArea);

}  // namespace balloon
