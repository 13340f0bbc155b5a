// The balloon's wrapping and placement arithmetic with fixed text metrics.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls/balloon/LayoutBalloon.h"
#include "drawing/Arithmetic.h"

namespace {

using balloon::PlaceBalloon;
using balloon::TextMeasure;
using balloon::WrapCaption;

// Every byte is charWidth wide.
TextMeasure Metric(double charWidth, double lineHeight) {
  return {[charWidth](std::string_view text) { return charWidth * static_cast<double>(text.size()); }, lineHeight};
}

struct WrapCase {
  const char* name;
  const char* caption;
  std::int32_t maxWidth, margin;
  double charWidth, lineHeight;
  std::vector<std::string> lines;
  std::int32_t width, height;
};

TEST(BalloonWrap, LinesAndSize) {
  const WrapCase cases[] = {
      {"empty caption: one empty line, no width", "", 150, 10, 7, 15, {""}, 0, 35},
      {"all spaces count as empty", "    ", 150, 10, 7, 15, {""}, 0, 35},
      {"a fitting text hugs it with three spaces and margins", "abc", 150, 10, 7, 15, {"abc"}, 62, 35},
      {"only spaces are trimmed", " \tab ", 150, 0, 7, 15, {"\tab"}, 42, 15},
      {"two spaces keep one extra space", "ab  cd", 150, 0, 7, 15, {"ab  cd"}, 63, 15},
      {"several lines take the widest line", "aaaa bbbb cccc", 100, 0, 7, 15, {"aaaa bbbb", "cccc"}, 84, 30},
      {"the limit includes the margins", "aaaa bbbb", 84, 5, 7, 15, {"aaaa", "bbbb"}, 59, 40},
      {"an over-wide first word leaves line 0 empty", "abcdefghijklmnop", 100, 0, 7, 15,
       {"", "abcdefghijklmnop"}, 100, 30},
      {"halves round to even (12.5 -> 12)", "ab", 150, 0, 2.5, 14.5, {"ab"}, 12, 14},
      {"halves round to even (17.5 -> 18)", "abcd", 150, 0, 2.5, 14.5, {"abcd"}, 18, 14},
      {"height rounds the whole sum", "aaaa bbbb cccc", 25, 0, 2.5, 14.5, {"aaaa", "bbbb", "cccc"}, 18, 44},
  };
  for (const WrapCase& c : cases) {
    SCOPED_TRACE(c.name);
    const balloon::WrappedCaption out = WrapCaption(c.caption, c.maxWidth, c.margin, Metric(c.charWidth, c.lineHeight));
    EXPECT_EQ(out.lines, c.lines);
    EXPECT_EQ(out.width, c.width);
    EXPECT_EQ(out.height, c.height);
  }
}

TEST(BalloonWrap, AbsurdSizesAreErrors) {
  EXPECT_THROW(WrapCaption("a", 150, 1 << 30, Metric(7, 15)), drawing::OverflowError);
  EXPECT_THROW(WrapCaption("a", 100000, 20000, Metric(7, 15)), std::length_error);
}

struct PlaceCase {
  const char* name;
  std::int32_t mode;
  drawing::ScreenPoint cursor;
  drawing::ScreenRect workArea;
  std::int32_t width;
  drawing::ScreenPoint expected;
};

TEST(BalloonPlace, ModesFlipsAndClamping) {
  // Height 101 makes every halving end in .5; the offset is 50.
  const drawing::ScreenRect wa{100, 50, 1100, 850};
  const PlaceCase cases[] = {
      {"0 centred, halves to even", 0, {600, 400}, wa, 200, {500, 350}},
      {"0 near the left edge is clamped", 0, {150, 401}, wa, 200, {100, 350}},
      {"1 left of the cursor", 1, {600, 400}, wa, 200, {350, 350}},
      {"1 near the left edge flips right", 1, {300, 400}, wa, 200, {350, 350}},
      {"1 flips first, then clamps right", 1, {250, 400}, {100, 50, 400, 850}, 200, {200, 350}},
      {"2 bottom edge on the cursor", 2, {600, 400}, wa, 200, {350, 299}},
      {"2 near the top is clamped", 2, {600, 100}, wa, 200, {350, 50}},
      {"3 top edge on the cursor", 3, {600, 400}, wa, 200, {350, 400}},
      {"3 near the bottom is clamped", 3, {600, 800}, wa, 200, {350, 749}},
      {"4 right of the cursor", 4, {600, 400}, wa, 200, {650, 350}},
      {"4 near the right edge flips left", 4, {1000, 400}, wa, 200, {750, 350}},
      {"4 touching the right edge stays", 4, {850, 400}, wa, 200, {900, 350}},
      {"5 right, bottom edge on the cursor", 5, {600, 400}, wa, 200, {650, 299}},
      {"6 near the bottom-right corner", 6, {1000, 800}, wa, 200, {750, 749}},
      {"7 above the cursor", 7, {600, 400}, wa, 200, {500, 249}},
      {"7 near the top flips below", 7, {600, 150}, wa, 200, {500, 200}},
      {"8 below the cursor", 8, {600, 400}, wa, 200, {500, 450}},
      {"8 near the bottom flips above", 8, {600, 750}, wa, 200, {500, 599}},
      {"9 goes to the work area's corner", 9, {600, 400}, wa, 200, {100, 50}},
      {"-1 goes to the work area's corner", -1, {600, 400}, wa, 200, {100, 50}},
      {"wider than the work area ends flush right", 4, {600, 400}, wa, 2000, {-900, 350}},
  };
  for (const PlaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PlaceBalloon(c.mode, c.width, 101, 50, c.cursor, c.workArea), c.expected);
  }
}

TEST(BalloonPlace, OverflowIsAnError) {
  const drawing::ScreenPoint farLeft{std::numeric_limits<std::int32_t>::min() + 10, 0};
  EXPECT_THROW(PlaceBalloon(1, 200, 100, 50, farLeft, {0, 0, 100, 100}), drawing::OverflowError);
}

}  // namespace
