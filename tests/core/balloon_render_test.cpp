// Building a balloon on the fake host: the steps of Risuy, the pixels it
// paints, the text passes, the window shape, opacity and shadow.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/balloon/BalloonPainter.h"
#include "controls/balloon/PodskazV.h"
#include "drawing/Arithmetic.h"
#include "tests/fakes/FakeHost.h"

namespace {

using balloon::PodskazV;
using fakes::FakeSurface;

class BalloonRender : public ::testing::Test {
 protected:
  BalloonRender() {
    face.Move(0, 0, 24, 24);
    host.cursor = {400, 300};
    balloon.SetPoyavlenieS(4);
    balloon.SetSdvigOtKursora(50);
    balloon.SetTextOtstup(10);
    balloon.SetMaxWidth(750);
    balloon.SetBackColor(0x00FFFFFF);
  }
  const FakeSurface& Window() const { return dynamic_cast<const FakeSurface&>(*balloon.BalloonWindow()); }
  drawing::Colour Centre() const { return Window().ColourAt(Window().ScaleWidth() / 2, Window().ScaleHeight() / 2); }
  const fakes::FakeTimer& Timer1() { return *host.Clock().Timers()[0]; }

  fakes::FakeHost host;
  fakes::RecordingSite record{host};
  FakeSurface face;
  PodskazV balloon{face, record.site};
};

TEST_F(BalloonRender, BuildsALiftedWindowBesideTheCursor) {
  balloon.SetCaption("Глава 1");
  balloon.Risuy();
  const FakeSurface& w = Window();
  // Seven letters and three spaces of 7 px, 10 px margins; one 15 px line.
  EXPECT_EQ(w.Width(), 90);
  EXPECT_EQ(w.Height(), 35);
  EXPECT_EQ(w.Left(), 450);  // 50 px right of the cursor
  EXPECT_EQ(w.Top(), 282);   // centred on it: 300 - 17.5, halves to even
  EXPECT_TRUE(w.Lifted());
  EXPECT_TRUE(w.Visible());
  EXPECT_EQ(w.GetFont(), balloon.Font());
  EXPECT_EQ(w.ColourAt(0, 0), 0x00FFFFFFu);
  EXPECT_TRUE(balloon.Active());
  EXPECT_TRUE(Timer1().Enabled());
}

TEST_F(BalloonRender, TheOldBalloonIsGoneBeforeTheNewOneIsMade) {
  balloon.SetZadergka(true);
  balloon.SetCaption("Первый");
  balloon.Risuy();
  int waits = 0;
  host.onDoEvents = [&] {
    ++waits;
    EXPECT_EQ(balloon.BalloonWindow(), nullptr);
    EXPECT_EQ(host.ChildrenOf(&face).size(), 2u);  // the template and Zalivka only
    host.Clock().Advance(10);                       // a tick in the wait finds no balloon
    if (waits == 1) balloon.Risuy();                // an event that builds one meanwhile
  };
  balloon.SetCaption("Второй");
  balloon.Risuy();
  EXPECT_GE(waits, 2);
  ASSERT_NE(balloon.BalloonWindow(), nullptr);
  EXPECT_EQ(host.ChildrenOf(&face).size(), 3u);
  EXPECT_EQ(balloon.Caption(), "Второй");
}

TEST_F(BalloonRender, TextPasses) {
  // Two lines: "aaaa bbbb" (63 px) and "cccc" (28 px) in a 100 px balloon.
  balloon.SetMaxWidth(100);
  balloon.SetForeColorTxtTop(0x00112233);
  balloon.SetForeColorTxtPod(0x00C0C0C0);
  balloon.SetCaption("aaaa bbbb cccc");
  struct Pass {
    std::string text;
    double x, y;
    drawing::Colour colour;
  };
  struct Case {
    bool centred, twoColours;
    std::vector<Pass> passes;
  };
  const Case cases[] = {
      {false, false, {{"aaaa bbbb", 31, 10, 0x00112233}, {"cccc", 10, 25, 0x00112233}}},
      {false, true,
       {{"aaaa bbbb", 32, 11, 0x00C0C0C0}, {"aaaa bbbb", 31, 10, 0x00112233},
        {"cccc", 11, 26, 0x00C0C0C0}, {"cccc", 10, 25, 0x00112233}}},
      {true, true,
       {{"aaaa bbbb", 19.5, 11, 0x00C0C0C0}, {"aaaa bbbb", 18.5, 10, 0x00112233},
        {"cccc", 37, 26, 0x00C0C0C0}, {"cccc", 36, 25, 0x00112233}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "centred " << c.centred << ", two colours " << c.twoColours);
    balloon.SetTextSenter(c.centred);
    balloon.SetForeDvaCveta(c.twoColours);
    balloon.Risuy();
    const std::vector<fakes::PrintedText>& printed = Window().Printed();
    ASSERT_EQ(printed.size(), c.passes.size());
    for (std::size_t i = 0; i < printed.size(); ++i) {
      EXPECT_EQ(printed[i].text, c.passes[i].text);
      EXPECT_DOUBLE_EQ(printed[i].x, c.passes[i].x);
      EXPECT_DOUBLE_EQ(printed[i].y, c.passes[i].y);
      EXPECT_EQ(printed[i].colour, c.passes[i].colour);
      EXPECT_TRUE(printed[i].transparent);
    }
  }
}

TEST_F(BalloonRender, PictureBlendAlphas) {
  balloon.SetCaption("Глава 1");
  balloon.SetBackColor(0x00000000);
  balloon.SetPictureFona(std::make_shared<drawing::Image>(40, 40, 0xFFFFFFFFu));
  const struct {
    std::int32_t alpha;
    int channel;
  } cases[] = {{0, 0}, {1, 1}, {128, 128}, {255, 255}, {256, 0}, {-1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.alpha);
    balloon.SetProzrachostFona(c.alpha);
    balloon.Risuy();
    EXPECT_EQ(Centre(), drawing::MakeColour(c.channel, c.channel, c.channel));
    EXPECT_EQ(Window().ColourAt(0, 0), Centre());  // one stretched centre piece without corners
  }
}

TEST_F(BalloonRender, ScreenBehindTheBalloon) {
  host.screen = drawing::Image(1024, 768);
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x) host.screen.Set(x, y, drawing::ToPixel(drawing::MakeColour(x & 0xFF, y & 0xFF, 200)));
  balloon.SetScreenShotEnable(true);
  balloon.SetCaption("Глава 1");
  balloon.SetProzrachostFona(256);
  balloon.Risuy();
  const FakeSurface& w = Window();
  EXPECT_EQ(w.ColourAt(0, 0), drawing::FromPixel(host.screen.At(w.Left(), w.Top())));
  EXPECT_EQ(w.ColourAt(89, 34), drawing::FromPixel(host.screen.At(w.Left() + 89, w.Top() + 34)));

  // Half the white BackColor over the screen: (255 * 128 + 200 * 127) / 255.
  balloon.SetProzrachostFona(128);
  balloon.Risuy();
  EXPECT_EQ(drawing::BlueOf(Window().ColourAt(3, 3)), 228);

  // An unreadable screen leaves the plain fill and is no error.
  host.screenReadable = false;
  balloon.SetProzrachostFona(256);
  balloon.Risuy();
  EXPECT_EQ(Window().ColourAt(3, 3), 0x00FFFFFFu);
  EXPECT_TRUE(Window().Visible());
}

TEST_F(BalloonRender, WindowOpacityAndColourKey) {
  balloon.SetCaption("Глава 1");
  const struct {
    std::int32_t opacity;
    bool layered;
  } cases[] = {{0, false}, {1, true}, {200, true}, {255, true}, {256, false}, {300, false}, {-5, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.opacity);
    balloon.SetProzrachostOkna(c.opacity);
    balloon.Risuy();
    EXPECT_EQ(Window().Layered(), c.layered);
    if (!c.layered) continue;
    EXPECT_EQ(Window().LayeredAlpha(), c.opacity);
    EXPECT_EQ(Window().LayeredKey(), drawing::MakeColour(1, 0, 0));
  }
}

TEST_F(BalloonRender, RoundedCornersShapeTheWindow) {
  balloon.SetCaption("Глава 1");
  balloon.Risuy();
  EXPECT_TRUE(Window().WindowShape().Empty());
  balloon.SetZakruglenie(3);
  balloon.Risuy();
  const drawing::Region& shape = Window().WindowShape();
  ASSERT_EQ(shape.Width(), 90);
  ASSERT_EQ(shape.Height(), 35);
  EXPECT_FALSE(shape.Contains(0, 0));
  EXPECT_FALSE(shape.Contains(89, 34));
  EXPECT_TRUE(shape.Contains(88, 34));  // the last row and column belong to the window
  EXPECT_TRUE(shape.Contains(89, 33));
}

TEST(BalloonCorners, RegionPixels) {
  // Per case: the first pixel inside on each of the first rows.
  const struct {
    std::int32_t ellipse;
    std::vector<int> insets;
  } cases[] = {{0, {0, 0}}, {1, {0, 0}}, {2, {1, 0}}, {3, {1, 0}}, {5, {2, 1, 0}}, {9, {4, 2, 1, 1, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ellipse);
    const drawing::Region r = balloon::RoundedCornerRegion(20, 12, c.ellipse);
    for (int row = 0; row < static_cast<int>(c.insets.size()); ++row) {
      const int inset = c.insets[row];
      for (int y : {row, 11 - row}) {  // top and bottom corners alike
        EXPECT_EQ(r.Contains(inset, y), true) << "row " << y;
        EXPECT_EQ(r.Contains(19 - inset, y), true) << "row " << y;
        if (inset > 0) {
          EXPECT_FALSE(r.Contains(inset - 1, y)) << "row " << y;
          EXPECT_FALSE(r.Contains(20 - inset, y)) << "row " << y;
        }
      }
    }
  }
  // However large the ellipse, the middle of every edge belongs to the
  // window: the middle row (two for an even height) is whole and every row
  // keeps its middle column.
  const struct {
    int width, height;
    std::int32_t ellipse;
    std::vector<std::pair<int, int>> in, out;
  } large[] = {
      {111, 50, 50, {{0, 24}, {0, 25}, {110, 24}, {110, 25}, {55, 0}, {55, 49}}, {{0, 23}, {0, 26}, {24, 0}}},
      {111, 50, 51, {{0, 24}, {110, 25}, {55, 0}}, {{0, 23}, {110, 26}}},
      {111, 51, 51, {{0, 25}, {110, 25}, {55, 0}, {55, 50}}, {{0, 24}, {0, 26}}},
      {6, 4, 100, {{0, 1}, {5, 2}, {2, 0}, {3, 0}, {2, 3}}, {{1, 0}, {4, 0}, {1, 3}}},
      {7, 7, 100, {{0, 3}, {6, 3}, {3, 0}, {3, 6}}, {{2, 0}, {4, 0}, {0, 2}}},
  };
  for (const auto& c : large) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", ellipse " << c.ellipse);
    const drawing::Region r = balloon::RoundedCornerRegion(c.width, c.height, c.ellipse);
    for (const auto& [x, y] : c.in) EXPECT_TRUE(r.Contains(x, y)) << x << "," << y;
    for (const auto& [x, y] : c.out) EXPECT_FALSE(r.Contains(x, y)) << x << "," << y;
  }
}

TEST_F(BalloonRender, ShadowIsKeptForEveryLaterBalloon) {
  balloon.SetCaption("Глава 1");
  balloon.Risuy();
  EXPECT_FALSE(Window().DropShadow());
  balloon.AddShadowToForm(fakes::FakeHost::kForeignWindow);  // not one of the balloon's windows
  balloon.Risuy();
  EXPECT_FALSE(Window().DropShadow());
  balloon.SetShadow(true);
  balloon.Risuy();
  EXPECT_TRUE(Window().DropShadow());
  balloon.SetShadow(false);
  balloon.Risuy();
  EXPECT_TRUE(Window().DropShadow());
}

TEST_F(BalloonRender, AFailedBuildLeavesNothingBehind) {
  balloon.SetCaption("Глава 1");
  balloon.Risuy();
  balloon.SetTextOtstup(1 << 30);
  EXPECT_THROW(balloon.Risuy(), drawing::OverflowError);
  EXPECT_EQ(balloon.BalloonWindow(), nullptr);
  EXPECT_FALSE(Timer1().Enabled());
  EXPECT_EQ(host.ChildrenOf(&face).size(), 2u);
}

TEST(BalloonActive, FalseWheneverNoBalloonIsPendingOrShown) {
  // What stood before the failed build: a shown balloon, a pending one
  // whose first tick has run, one whose tick runs while the old window goes.
  struct Case {
    const char* what;
    bool delay;
    int ticksBefore;
    bool tickWhileGoing;
  };
  for (const Case& c : {Case{"shown", false, 0, false}, Case{"pending", true, 1, false},
                        Case{"tick while the old one goes", true, 0, true}}) {
    SCOPED_TRACE(c.what);
    fakes::FakeHost host;
    fakes::RecordingSite record{host};
    FakeSurface face;
    PodskazV balloon{face, record.site};
    balloon.SetZadergka(c.delay);
    balloon.SetZadergkaTime(10);
    balloon.SetCaption("Глава 1");
    balloon.Risuy();
    host.Clock().Advance(10 * c.ticksBefore);
    if (c.tickWhileGoing) host.onDoEvents = [&host] { host.Clock().Advance(10); };
    balloon.SetTextOtstup(1 << 30);  // margins too large to build
    EXPECT_THROW(balloon.Risuy(), drawing::OverflowError);
    EXPECT_EQ(balloon.BalloonWindow(), nullptr);
    EXPECT_FALSE(balloon.Active());
    balloon.SetTextOtstup(0);
    balloon.Risuy();
    EXPECT_EQ(balloon.Active(), !c.delay);
    balloon.Minus();
    EXPECT_FALSE(balloon.Active());
  }
}

TEST(BalloonBlend, CornersLargerThanHalfTheBalloon) {
  // Source quadrants A, B, C, D around a red cross; the target is 30 wide,
  // less than two corners of 20.
  const std::uint32_t a = 0xFF0000AAu, b = 0xFF0000BBu, c = 0xFF0000CCu, d = 0xFF0000DDu, red = 0xFFFF0000u;
  drawing::Image source(60, 60, red);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) {
      const bool left = x < 20, right = x >= 40, top = y < 20, bottom = y >= 40;
      if ((left || right) && (top || bottom)) source.Set(x, y, top ? (left ? a : b) : (left ? c : d));
    }
  drawing::Image target(30, 60, 0xFF000000u);
  balloon::BlendNinePieces(target.View(), source.View(), 20, 255);
  EXPECT_EQ(target.At(5, 5), a);
  EXPECT_EQ(target.At(25, 5), b);
  EXPECT_EQ(target.At(5, 55), c);
  EXPECT_EQ(target.At(25, 55), d);
  EXPECT_EQ(target.At(15, 30), red);  // the side pieces still fit in height
  for (int y : {0, 19, 40, 59})       // no top, bottom or centre piece
    for (int x = 0; x < 30; ++x) EXPECT_NE(target.At(x, y), red) << x << "," << y;
}

}  // namespace
