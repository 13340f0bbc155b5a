#pragma once
// Where every piece of the zoom slider lies, in pixels: the two buttons and
// the track inside the control, the thumb on the track, and the nine pieces
// that stretch a small skin over a surface. The painter draws with these and
// the pointer handling hit-tests with the same ones, so what the reader sees
// is exactly what reacts to the mouse.
#include <array>
#include <cstdint>

namespace slider {

// x, y, width, height; wide enough that sums of 32-bit sizes cannot wrap.
struct PixelRect {
  long long left = 0;
  long long top = 0;
  long long width = 0;
  long long height = 0;
  bool operator==(const PixelRect&) const = default;
};

// A stretched copy: the source rectangle of a skin onto the destination.
struct PieceCopy {
  PixelRect destination;
  PixelRect source;
};
using NinePieces = std::array<PieceCopy, 9>;

// Skins keep a border this wide unscaled at every corner.
constexpr int kCornerSize = 2;

// Inside a control of innerWidth x innerHeight: the decrease button at the
// left end, the increase button at the right end, the track between them
// (its width leaves room for two right buttons, whatever the left one is).
PixelRect LeftButtonRect(int innerHeight, int leftButtonWidth);
PixelRect RightButtonRect(int innerWidth, int innerHeight, int rightButtonWidth);
PixelRect TrackRect(int innerWidth, int innerHeight, int leftButtonWidth, int rightButtonWidth);

// The thumb is LargeChange pixels wide, but never wider than five sevenths of
// the track: the comparison is made in single precision, so a thumb exactly
// at the limit gets the same width every time.
std::int32_t ThumbWidthFor(double trackWidth, std::int32_t largeChange);

// The distance the thumb's left edge can move, and how far it moves per unit
// of Value: 0 when Max equals Min (no range to divide), negative when the
// bounds cross. Computed in double, so Max - Min never wraps.
struct ThumbScale {
  double travel = 0;
  double pixelsPerUnit = 0;
};
ThumbScale ScaleFor(double trackWidth, std::int32_t thumbWidth, std::int32_t min, std::int32_t max);

// The thumb's left edge for a Value already clamped to [Min, Max].
std::int32_t ThumbLeftFor(std::int32_t value, std::int32_t min, const ThumbScale& scale);

// The thumb on a track of trackHeight: it always spans the full height.
PixelRect ThumbRect(std::int32_t thumbLeft, std::int32_t thumbWidth, int trackHeight);

// Both ends belong to the thumb.
bool OnThumb(const PixelRect& thumb, double x);

// A skin of sourceWidth x sourceHeight over a whole button surface: corners
// 1:1, edges stretched along their length, the centre both ways; in the
// order a button is drawn.
NinePieces ButtonPieces(int surfaceWidth, int surfaceHeight, int sourceWidth, int sourceHeight);

// A thumb skin over the thumb rectangle on the track, left column first,
// then the middle, then the right column (a thumb narrower than its corners
// shows the right column on top).
NinePieces ThumbPieces(const PixelRect& thumb, int sourceWidth, int sourceHeight);

}  // namespace slider
