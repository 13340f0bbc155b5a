// Raster operations on premultiplied ARGB buffers, the two-colour gradient,
// channel arithmetic and the no-wrap integer helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "drawing/Arithmetic.h"
#include "drawing/Colour.h"
#include "drawing/GradientRect.h"
#include "drawing/Image.h"
#include "drawing/Primitives.h"
#include "drawing/RasterOps.h"

namespace {

using drawing::Image;

constexpr std::uint32_t kPaper = 0xFF123456u;

// Every pixel different, so a misplaced copy shows.
Image Numbered(int w, int h) {
  Image img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.Set(x, y, 0xFF000000u | (static_cast<std::uint32_t>((y << 8) | x) + 1));
  return img;
}

int Red(std::uint32_t p) { return (p >> 16) & 0xFF; }
int Green(std::uint32_t p) { return (p >> 8) & 0xFF; }
int Blue(std::uint32_t p) { return p & 0xFF; }

// ------------------------------------------- buffers of a high-density screen

// A buffer of ratio device pixels per logical pixel, logical size w x h.
Image Dense(int w, int h, double ratio, std::uint32_t fill = kPaper) {
  Image img(static_cast<int>(drawing::DeviceEdge(w, ratio)), static_cast<int>(drawing::DeviceEdge(h, ratio)), fill);
  img.SetRatio(ratio);
  return img;
}

// Logical pixels drawn side by side cover every device pixel once, at every
// ratio: a row of one-pixel boxes, one colour each, leaves no gap and no
// pixel painted out of order, and each colour covers about ratio columns.
TEST(RasterDense, NeighbouringLogicalPixelsTileTheDevicePixels) {
  for (double ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
    Image img = Dense(9, 2, ratio);
    for (int x = 0; x < 9; ++x) drawing::FillBox(img.View(), x, 0, x, 1, 0xFF000000u | static_cast<std::uint32_t>(x + 1));
    std::uint32_t previous = 0;
    for (int dx = 0; dx < img.Width(); ++dx) {
      const std::uint32_t p = img.At(dx, img.Height() - 1) & 0xFFu;
      ASSERT_NE(p, kPaper & 0xFFu) << "gap at device column " << dx << ", ratio " << ratio;
      ASSERT_TRUE(p == previous || p == previous + 1) << "column " << dx << ", ratio " << ratio;
      previous = p;
    }
    EXPECT_EQ(previous, 9u) << ratio;
    EXPECT_EQ(img.View().LogicalWidth(), 9) << ratio;
  }
}

// Between buffers of one density a copy is exact to the device pixel (the
// tree's slide strip carries text strokes finer than a logical pixel); a
// stretch leaves the key out at any density and a blend stays inside its box.
TEST(RasterDense, CopiesKeepDevicePixelsAndStretchesKeepTheirRules) {
  constexpr std::uint32_t kKey = 0xFF0F4107u, kInk = 0xFFFFFFFFu;
  for (double ratio : {1.5, 2.0}) {
    Image src = Numbered(static_cast<int>(drawing::DeviceEdge(6, ratio)), static_cast<int>(drawing::DeviceEdge(4, ratio)));
    src.SetRatio(ratio);
    Image dst = Dense(10, 8, ratio);
    drawing::BitBlt(dst.View(), 2, 3, 6, 4, src.View(), 0, 0);
    const int ox = static_cast<int>(drawing::DeviceEdge(2, ratio)), oy = static_cast<int>(drawing::DeviceEdge(3, ratio));
    for (int y = 0; y < src.Height(); ++y)
      for (int x = 0; x < src.Width(); ++x) ASSERT_EQ(dst.At(ox + x, oy + y), src.At(x, y)) << ratio;
    EXPECT_EQ(dst.At(ox - 1, oy), kPaper);

    // A 4 x 4 skin: left half key, right half ink, stretched over 8 x 8.
    Image skin(4, 4, kKey);
    for (int y = 0; y < 4; ++y)
      for (int x = 2; x < 4; ++x) skin.Set(x, y, kInk);
    Image button = Dense(8, 8, ratio);
    drawing::TransparentBlt(button.View(), 0, 0, 8, 8, skin.View(), 0, 0, 4, 4, drawing::FromPixel(kKey));
    const int mid = button.Width() / 2;
    for (int y = 0; y < button.Height(); ++y) {
      EXPECT_EQ(button.At(0, y), kPaper) << "key copied, ratio " << ratio;
      EXPECT_EQ(button.At(button.Width() - 1, y), kInk) << ratio;
      for (int x = 0; x < button.Width(); ++x) EXPECT_NE(button.At(x, y) & 0x00FFFFFFu, kKey & 0x00FFFFFFu) << ratio;
    }
    EXPECT_NE(button.At(mid - 1, 0), button.At(0, 0));  // the edge is blended, not a hard step of logical size

    Image fill = Dense(6, 6, ratio, 0xFF000000u);
    const Image white(3, 3, 0xFFFFFFFFu);
    drawing::AlphaBlend(fill.View(), 1, 1, 3, 3, white.View(), 0, 0, 3, 3, 128);
    const int in = static_cast<int>(drawing::DeviceEdge(2, ratio)), out = static_cast<int>(drawing::DeviceEdge(4, ratio));
    EXPECT_EQ(Red(fill.At(in, in)), 128) << ratio;
    EXPECT_EQ(fill.At(out, out), 0xFF000000u) << ratio;
  }
}

// ---------------------------------------------------------------- BitBlt

TEST(RasterBitBlt, ClipsAtEveryEdgeOfBothBuffers) {
  const Image src = Numbered(7, 5);
  const int offsets[] = {-9, -3, -1, 0, 1, 2, 4, 6, 8};
  const int sizes[] = {0, 1, 3, 7, 20};
  for (int dx : offsets)
    for (int dy : offsets)
      for (int sx : {-4, -1, 0, 2, 6, 7})
        for (int sy : {-2, 0, 1, 4, 5})
          for (int w : sizes)
            for (int h : {0, 2, 5, 9}) {
              Image dst(8, 6, kPaper);
              drawing::BitBlt(dst.View(), dx, dy, w, h, src.View(), sx, sy);
              for (int y = 0; y < dst.Height(); ++y)
                for (int x = 0; x < dst.Width(); ++x) {
                  const int fromX = x - dx + sx, fromY = y - dy + sy;
                  const bool inside = x >= dx && x < dx + w && y >= dy && y < dy + h && fromX >= 0 &&
                                      fromX < src.Width() && fromY >= 0 && fromY < src.Height();
                  ASSERT_EQ(dst.At(x, y), inside ? src.At(fromX, fromY) : kPaper)
                      << "pixel " << x << "," << y << " of blt to " << dx << "," << dy << " size " << w << "x"
                      << h << " from " << sx << "," << sy;
                }
            }
}

TEST(RasterBitBlt, OverlappingCopyWithinOneBuffer) {
  struct Move {
    int sx, sy, dx, dy, w, h;
  } moves[] = {
      {0, 0, 2, 3, 6, 6},   // down and right
      {3, 2, 0, 0, 6, 6},   // up and left
      {0, 1, 3, 1, 6, 5},   // same rows, to the right
      {3, 1, 0, 1, 6, 5},   // same rows, to the left
      {1, 0, 1, 1, 5, 8},   // one row down
      {1, 1, 1, 0, 5, 8},   // one row up
      {2, 2, 2, 2, 4, 4},   // onto itself
  };
  for (const Move& m : moves) {
    Image img = Numbered(10, 10);
    const Image before = img;
    drawing::BitBlt(img.View(), m.dx, m.dy, m.w, m.h, img.View(), m.sx, m.sy);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) {
        const bool inside = x >= m.dx && x < m.dx + m.w && y >= m.dy && y < m.dy + m.h &&
                            x - m.dx + m.sx < 10 && y - m.dy + m.sy < 10;
        ASSERT_EQ(img.At(x, y), inside ? before.At(x - m.dx + m.sx, y - m.dy + m.sy) : before.At(x, y))
            << x << "," << y << " moving " << m.sx << "," << m.sy << " to " << m.dx << "," << m.dy;
      }
  }
}

TEST(RasterBitBlt, StrideIsHonoured) {
  // A 3x2 window into the middle of a 6x4 image.
  Image big(6, 4, kPaper);
  drawing::PixelView window{big.View().bits + 6 + 2, 3, 2, 6};
  const Image src = Numbered(3, 2);
  drawing::BitBlt(window, 0, 0, 3, 2, src.View(), 0, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
      EXPECT_EQ(big.At(x, y), inside ? src.At(x - 2, y - 1) : kPaper) << x << "," << y;
    }
}

// ---------------------------------------------------------------- TransparentBlt, AlphaBlend

TEST(RasterTransparentBlt, KeyColourIsLeftOutAndTheRestStretched) {
  const drawing::Colour key = 0x00FF00FF;  // magenta
  Image src(2, 2);
  src.Set(0, 0, 0xFFFF0000u);  // red
  src.Set(1, 0, 0xFFFF00FFu);  // the key
  src.Set(0, 1, 0xFF00FF00u);  // green
  src.Set(1, 1, 0xFFFE00FFu);  // one step from the key: drawn
  Image dst(6, 6, kPaper);
  drawing::TransparentBlt(dst.View(), 1, 1, 4, 4, src.View(), 0, 0, 2, 2, key);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) {
      std::uint32_t want = kPaper;
      if (x >= 1 && x < 5 && y >= 1 && y < 5) {
        const int sx = (x - 1) / 2, sy = (y - 1) / 2;
        if (!(sx == 1 && sy == 0)) want = src.At(sx, sy);
      }
      EXPECT_EQ(dst.At(x, y), want) << x << "," << y;
    }
}

TEST(RasterTransparentBlt, ClippedAtTheDestinationEdges) {
  Image src(2, 2, 0xFF0000FFu);
  src.Set(1, 1, 0xFF00FF00u);
  Image dst(3, 3, kPaper);
  drawing::TransparentBlt(dst.View(), -2, -2, 4, 4, src.View(), 0, 0, 2, 2, 0x00FF00FF);
  // Only the lower-right quarter of the stretched picture (source 1,1) lands.
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.At(x, y), x < 2 && y < 2 ? 0xFF00FF00u : kPaper) << x << "," << y;
}

TEST(RasterAlphaBlend, ConstantOpacity) {
  const std::uint32_t s = 0xFFC80AFFu;  // 200, 10, 255
  const std::uint32_t d = 0xFF64FA00u;  // 100, 250, 0
  auto blendOnce = [&](std::uint8_t alpha) {
    Image src(1, 1, s), dst(1, 1, d);
    drawing::AlphaBlend(dst.View(), 0, 0, 1, 1, src.View(), 0, 0, 1, 1, alpha);
    return dst.At(0, 0);
  };
  EXPECT_EQ(blendOnce(0), d);
  EXPECT_EQ(blendOnce(255), s);
  const std::uint32_t half = blendOnce(128);
  EXPECT_EQ(Red(half), 150);    // 200*128/255 + 100*127/255 = 150.2
  EXPECT_EQ(Green(half), 130);  // 10*128/255 + 250*127/255 = 129.5
  EXPECT_EQ(Blue(half), 128);   // 255*128/255 = 128
  EXPECT_EQ(half >> 24, 0xFFu);
  // Every opacity against a rounded reference, for all channels at once.
  for (int a = 0; a <= 255; ++a) {
    const std::uint32_t got = blendOnce(static_cast<std::uint8_t>(a));
    auto want = [a](int sc, int dc) { return static_cast<int>(std::lround((sc * a + dc * (255.0 - a)) / 255.0)); };
    ASSERT_EQ(Red(got), want(200, 100)) << a;
    ASSERT_EQ(Green(got), want(10, 250)) << a;
    ASSERT_EQ(Blue(got), want(255, 0)) << a;
  }
}

TEST(RasterAlphaBlend, StretchesAndStaysInsideTheRectangle) {
  constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u, kGrey = 0xFF808080u;
  Image src(1, 2, kWhite);
  src.Set(0, 1, kBlack);
  Image dst(4, 6, kGrey);
  drawing::AlphaBlend(dst.View(), 1, 1, 2, 4, src.View(), 0, 0, 1, 2, 255);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 4; ++x) {
      std::uint32_t want = kGrey;
      if (x >= 1 && x < 3 && y >= 1 && y < 5) want = y < 3 ? kWhite : kBlack;
      EXPECT_EQ(dst.At(x, y), want) << x << "," << y;
    }
}

// ---------------------------------------------------------------- GradientRect

TEST(GradientRectFill, ToColor16) {
  EXPECT_EQ(drawing::ToColor16(0xFF00), -256);
  EXPECT_EQ(drawing::ToColor16(0x7F00), 0x7F00);
  EXPECT_EQ(drawing::ToColor16(0x7FFF), 0x7FFF);
  EXPECT_EQ(drawing::ToColor16(0x8000), -32768);
  EXPECT_EQ(drawing::ToColor16(0xFFFF), -1);
  EXPECT_EQ(drawing::ToColor16(0), 0);
}

TEST(GradientRectFill, HorizontalRedToBlue) {
  Image img(120, 12, kPaper);
  drawing::GradientRect(img.View(), 0x000000FF, 0x00FF0000, 10, 1, 100, 10, 0);
  EXPECT_EQ(img.At(10, 1), 0xFFFF0000u) << "left column pure red";
  const std::uint32_t right = img.At(109, 1);
  EXPECT_GE(Blue(right), 0xF0);
  EXPECT_LE(Red(right), 0x0F);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 120; ++x) {
      const bool inside = x >= 10 && x < 110 && y >= 1 && y < 11;
      if (!inside) {
        ASSERT_EQ(img.At(x, y), kPaper) << x << "," << y;
        continue;
      }
      ASSERT_EQ(img.At(x, y), img.At(x, 1)) << "rows differ at " << x << "," << y;
      ASSERT_EQ(Green(img.At(x, y)), 0);
      if (x > 10) {
        ASSERT_LE(Red(img.At(x, y)), Red(img.At(x - 1, y))) << x;
        ASSERT_GE(Blue(img.At(x, y)), Blue(img.At(x - 1, y))) << x;
      }
    }
  EXPECT_NEAR(Red(img.At(60, 1)), 0x80, 2);
}

TEST(GradientRectFill, VerticalForModeOneAndMinusOne) {
  Image plus(5, 40, kPaper), minus(5, 40, kPaper);
  drawing::GradientRect(plus.View(), 0x0000FF00, 0x00000000, 0, 0, 5, 40, 1);
  drawing::GradientRect(minus.View(), 0x0000FF00, 0x00000000, 0, 0, 5, 40, -1);
  EXPECT_EQ(plus.At(2, 0), 0xFF00FF00u);
  EXPECT_LE(Green(plus.At(2, 39)), 0x0F);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 5; ++x) {
      ASSERT_EQ(minus.At(x, y), plus.At(x, y)) << x << "," << y;
      ASSERT_EQ(plus.At(x, y), plus.At(0, y)) << "columns differ at " << x << "," << y;
      if (y > 0) {
        ASSERT_LE(Green(plus.At(x, y)), Green(plus.At(x, y - 1)));
      }
    }
}

TEST(GradientRectFill, NegativeExtentKeepsTheFirstColourAtTheOrigin) {
  // Horizontal, (x, y) on the right: the first colour (red) is on the right.
  Image row(120, 6, kPaper);
  drawing::GradientRect(row.View(), 0x000000FF, 0x00FF0000, 110, 2, -100, 3, 0);
  EXPECT_GE(Red(row.At(109, 2)), 0xF0);
  EXPECT_EQ(row.At(10, 2), 0xFF0000FFu);
  EXPECT_EQ(row.At(110, 2), kPaper);
  EXPECT_EQ(row.At(9, 2), kPaper);
  EXPECT_EQ(row.At(50, 1), kPaper);
  EXPECT_EQ(row.At(50, 5), kPaper);
  EXPECT_NE(row.At(50, 4), kPaper);
  // Vertical, (x, y) at the bottom.
  Image col(2, 120, kPaper);
  drawing::GradientRect(col.View(), 0x000000FF, 0x00FF0000, 0, 110, 2, -100, 1);
  EXPECT_GE(Red(col.At(0, 109)), 0xF0);
  EXPECT_EQ(col.At(0, 10), 0xFF0000FFu);
  EXPECT_EQ(col.At(0, 110), kPaper);
  EXPECT_EQ(col.At(0, 9), kPaper);
}

TEST(GradientRectFill, FullIntensitiesSurviveTheSigned16BitVertices) {
  // 0x80..0xFF become negative 16-bit intensities on the way.
  for (drawing::Colour c : {0x00FFFFFFu, 0x00808080u, 0x007F80FFu, 0x00000000u}) {
    Image img(8, 3, kPaper);
    drawing::GradientRect(img.View(), c, c, 0, 0, 8, 3, 0);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(img.At(x, 1), drawing::ToPixel(c)) << std::hex << c << " at " << x;
  }
  // The high byte of a colour is ignored.
  Image a(4, 1), b(4, 1);
  drawing::GradientRect(a.View(), 0xFF0000FFu, 0x7F00FF00u, 0, 0, 4, 1, 0);
  drawing::GradientRect(b.View(), 0x000000FFu, 0x0000FF00u, 0, 0, 4, 1, 0);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(a.At(x, 0), b.At(x, 0)) << x;
}

TEST(GradientRectFill, RectangleOutsideTheBufferPaintsNothing) {
  // Beside, above, below and around the buffer, both directions.
  const int rects[][4] = {{30, 0, 10, 5},  {-40, 0, 10, 5}, {0, 30, 5, 10},  {0, -40, 5, 10},
                          {40, 2, -5, 5},  {-5, 2, -20, 5}, {2, -3, 3, 3},   {2, 0, 0, 5}, {2, 0, 5, 0}};
  for (const auto& r : rects)
    for (std::int16_t mode : {0, 1, -1}) {
      Image img(20, 20, kPaper);
      drawing::GradientRect(img.View(), 0x000000FF, 0x00FF0000, r[0], r[1], r[2], r[3], mode);
      for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
          ASSERT_EQ(img.At(x, y), kPaper) << "rect " << r[0] << "," << r[1] << " " << r[2] << "x" << r[3]
                                          << " mode " << mode;
    }
}

TEST(GradientRectFill, PartlyVisibleRectangleIsClipped) {
  Image img(10, 10, kPaper);
  drawing::GradientRect(img.View(), 0x000000FF, 0x00FF0000, -10, -5, 20, 10, 1);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      if (y >= 5) {
        ASSERT_EQ(img.At(x, y), kPaper) << x << "," << y;
      } else {
        // Row y of the buffer is row y + 5 of the rectangle's 10.
        ASSERT_NEAR(Blue(img.At(x, y)), (y + 5) * 255 / 10, 1) << x << "," << y;
      }
    }
}

TEST(GradientRectFill, CoordinateOverflowThrows) {
  Image img(4, 4, kPaper);
  const std::int32_t max = std::numeric_limits<std::int32_t>::max();
  const std::int32_t min = std::numeric_limits<std::int32_t>::min();
  EXPECT_THROW(drawing::GradientRect(img.View(), 0, 0xFFFFFF, max - 5, 0, 10, 4, 0), drawing::OverflowError);
  EXPECT_THROW(drawing::GradientRect(img.View(), 0, 0xFFFFFF, 0, max, 4, 1, 1), drawing::OverflowError);
  EXPECT_THROW(drawing::GradientRect(img.View(), 0, 0xFFFFFF, min, 0, -1, 4, 0), drawing::OverflowError);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(img.At(x, y), kPaper);
  // Just inside the range is fine.
  EXPECT_NO_THROW(drawing::GradientRect(img.View(), 0, 0xFFFFFF, max - 10, 0, 10, 4, 0));
}

TEST(GradientRectFill, UnknownModePaintsNothing) {
  Image img(4, 4, kPaper);
  for (std::int16_t mode : {2, -2, 32767, -32768}) {
    drawing::GradientRect(img.View(), 0x000000FF, 0x00FF0000, 0, 0, 4, 4, mode);
    EXPECT_EQ(img.At(1, 1), kPaper) << mode;
  }
}

// ---------------------------------------------------------------- Colour

TEST(ColourChannels, LayoutIsBlueGreenRed) {
  const drawing::Colour c = 0x00402604;
  EXPECT_EQ(drawing::RedOf(c), 0x04);
  EXPECT_EQ(drawing::GreenOf(c), 0x26);
  EXPECT_EQ(drawing::BlueOf(c), 0x40);
  EXPECT_EQ(drawing::MakeColour(0x04, 0x26, 0x40), c);
  EXPECT_EQ(drawing::ToPixel(c), 0xFF042640u);
  EXPECT_EQ(drawing::FromPixel(0x80042640u), c);
  EXPECT_TRUE(drawing::IsSystemColour(drawing::kButtonFace));
  EXPECT_EQ(drawing::SystemColourIndex(drawing::kButtonFace), 15);
  EXPECT_FALSE(drawing::IsSystemColour(0x00FFFFFF));
}

TEST(ColourChannels, ShiftColourClamps) {
  EXPECT_EQ(drawing::ShiftColour(0x00102030, true, 0x20), 0x00304050u);
  EXPECT_EQ(drawing::ShiftColour(0x00102030, false, 0x10), 0x00001020u);
  EXPECT_EQ(drawing::ShiftColour(0x00F01005, true, 0x20), 0x00FF3025u);
  EXPECT_EQ(drawing::ShiftColour(0x00F01005, false, 0x20), 0x00D00000u);
  EXPECT_EQ(drawing::ShiftColour(0x00F01005, true, -0x20), 0x00D00000u);
  EXPECT_EQ(drawing::ShiftColour(0x00808080, true, 0), 0x00808080u);
  EXPECT_EQ(drawing::ShiftColour(0x00808080, false, std::numeric_limits<int>::min()), 0x00FFFFFFu);
  EXPECT_EQ(drawing::ShiftColour(0x00808080, true, std::numeric_limits<int>::min()), 0x00000000u);
  EXPECT_EQ(drawing::ShiftColour(0x00808080, true, std::numeric_limits<int>::max()), 0x00FFFFFFu);
}

// ---------------------------------------------------------------- Arithmetic

TEST(ArithmeticRounding, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, std::int32_t> cases[] = {
      {2.5, 2},   {3.5, 4},   {-2.5, -2}, {-3.5, -4}, {0.5, 0},         {-0.5, 0},
      {1.5, 2},   {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {7.0, 7},    {-0.2, 0},
      {2147483647.4, 2147483647}, {2147483646.5, 2147483646}, {-2147483648.5, -2147483648},
      {-2147483647.5, -2147483648},
  };
  for (const auto& [v, want] : cases) EXPECT_EQ(drawing::RoundHalfEven(v), want) << v;
}

TEST(ArithmeticRounding, OutOfRangeAndNaNThrow) {
  for (double v : {2147483647.5, 2147483648.0, -2147483649.0, -2147483648.6, 1e300, -1e300,
                   std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                   std::numeric_limits<double>::quiet_NaN()})
    EXPECT_THROW(drawing::RoundHalfEven(v), drawing::OverflowError) << v;
}

TEST(ArithmeticChecked, NeverWraps) {
  const std::int32_t max = std::numeric_limits<std::int32_t>::max();
  const std::int32_t min = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(drawing::CheckedAdd(max - 1, 1), max);
  EXPECT_THROW(drawing::CheckedAdd(max, 1), drawing::OverflowError);
  EXPECT_THROW(drawing::CheckedAdd(min, -1), drawing::OverflowError);
  EXPECT_EQ(drawing::CheckedSub(min + 1, 1), min);
  EXPECT_THROW(drawing::CheckedSub(min, 1), drawing::OverflowError);
  EXPECT_THROW(drawing::CheckedSub(0, min), drawing::OverflowError);
  EXPECT_EQ(drawing::CheckedMul(-65536, 32768), min);
  EXPECT_THROW(drawing::CheckedMul(65536, 32768), drawing::OverflowError);
  EXPECT_THROW(drawing::CheckedMul(min, -1), drawing::OverflowError);
  EXPECT_EQ(drawing::CheckedInt32(-2147483648LL), min);
  EXPECT_THROW(drawing::CheckedInt32(2147483648LL), drawing::OverflowError);
}

}  // namespace
