#include "controls/slider/SliderGeometry.h"

#include "drawing/Arithmetic.h"

namespace slider {

PixelRect LeftButtonRect(int innerHeight, int leftButtonWidth) { return {0, 0, leftButtonWidth, innerHeight}; }

PixelRect RightButtonRect(int innerWidth, int innerHeight, int rightButtonWidth) {
  return {static_cast<long long>(innerWidth) - rightButtonWidth, 0, rightButtonWidth, innerHeight};
}

PixelRect TrackRect(int innerWidth, int innerHeight, int leftButtonWidth, int rightButtonWidth) {
  return {leftButtonWidth, 0, static_cast<long long>(innerWidth) - 2LL * rightButtonWidth, innerHeight};
}

std::int32_t ThumbWidthFor(double trackWidth, std::int32_t largeChange) {
  const float limit = static_cast<float>(trackWidth / 7 * 2);
  const float room = static_cast<float>(trackWidth - largeChange);
  if (limit > room) return drawing::RoundHalfEven(trackWidth / 7 * 5);
  return largeChange;
}

ThumbScale ScaleFor(double trackWidth, std::int32_t thumbWidth, std::int32_t min, std::int32_t max) {
  ThumbScale scale;
  scale.travel = trackWidth - thumbWidth;
  const double range = static_cast<double>(max) - static_cast<double>(min);
  scale.pixelsPerUnit = range == 0 ? 0 : scale.travel / range;
  return scale;
}

std::int32_t ThumbLeftFor(std::int32_t value, std::int32_t min, const ThumbScale& scale) {
  return drawing::RoundHalfEven((static_cast<double>(value) - static_cast<double>(min)) * scale.pixelsPerUnit);
}

PixelRect ThumbRect(std::int32_t thumbLeft, std::int32_t thumbWidth, int trackHeight) {
  return {thumbLeft, 0, thumbWidth, trackHeight};
}

bool OnThumb(const PixelRect& thumb, double x) {
  return static_cast<double>(thumb.left) <= x && x <= static_cast<double>(thumb.left + thumb.width);
}

NinePieces ButtonPieces(int surfaceWidth, int surfaceHeight, int sourceWidth, int sourceHeight) {
  const long long c = kCornerSize;
  const long long dw = surfaceWidth, dh = surfaceHeight, sw = sourceWidth, sh = sourceHeight;
  return {{
      {{0, 0, c, c}, {0, 0, c, c}},                                    // top-left corner
      {{dw - c, 0, c, c}, {sw - c, 0, c, c}},                          // top-right corner
      {{c, 0, dw - 2 * c, c}, {c, 0, sw - 2 * c, c}},                  // top edge
      {{0, c, c, dh - 2 * c}, {0, c, c, sh - 2 * c}},                  // left edge
      {{dw - c, c, c, dh - 2 * c}, {sw - c, c, c, sh - 2 * c}},        // right edge
      {{c, c, dw - 2 * c, dh - 2 * c}, {c, c, sw - 2 * c, sh - 2 * c}},  // centre
      {{0, dh - c, c, c}, {0, sh - c, c, c}},                          // bottom-left corner
      {{dw - c, dh - c, c, c}, {sw - c, sh - c, c, c}},                // bottom-right corner
      {{c, dh - c, dw - 2 * c, c}, {c, sh - c, sw - 2 * c, c}},        // bottom edge
  }};
}

NinePieces ThumbPieces(const PixelRect& thumb, int sourceWidth, int sourceHeight) {
  const long long c = kCornerSize;
  const long long x = thumb.left, t = thumb.width, h = thumb.height, w = sourceWidth, sh = sourceHeight;
  return {{
      {{x, 0, c, c}, {0, 0, c, c}},                                    // top-left corner
      {{x, h - c, c, c}, {0, sh - c, c, c}},                           // bottom-left corner
      {{x, c, c, h - 2 * c}, {0, c, c, sh - 2 * c}},                   // left edge
      {{x + c, 0, t - 2 * c, c}, {c, 0, w - 2 * c, c}},                // top edge
      {{x + c, h - c, t - 2 * c, c}, {c, sh - c, w - 2 * c, c}},       // bottom edge
      {{x + c, c, t - 2 * c, h - 2 * c}, {c, c, w - 2 * c, sh - 2 * c}},  // centre
      {{x + t - c, 0, c, c}, {w - c, 0, c, c}},                        // top-right corner
      {{x + t - c, h - c, c, c}, {w - c, sh - c, c, c}},               // bottom-right corner
      {{x + t - c, c, c, h - 2 * c}, {w - c, c, c, sh - 2 * c}},       // right edge
  }};
}

}  // namespace slider
