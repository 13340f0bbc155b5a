// The fakes other tests stand on: if their clock or pixels were wrong, every
// timing and pixel test built on them would prove nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/fakes/FakeHost.h"

namespace {

using Ticks = std::vector<std::pair<std::string, long long>>;

TEST(FakeClock, FiresEachPeriodInTimeOrder) {
  fakes::FakeClock clock;
  fakes::FakeTimer fast(clock), slow(clock);
  Ticks ticks;
  fast.tick = [&] { ticks.emplace_back("fast", clock.Now()); };
  slow.tick = [&] { ticks.emplace_back("slow", clock.Now()); };
  fast.SetInterval(10);
  slow.SetInterval(25);
  fast.SetEnabled(true);
  slow.SetEnabled(true);
  clock.Advance(50);
  const Ticks expected = {{"fast", 10}, {"fast", 20}, {"slow", 25}, {"fast", 30},
                          {"fast", 40}, {"fast", 50}, {"slow", 50}};
  EXPECT_EQ(ticks, expected);
  EXPECT_EQ(clock.Now(), 50);
  EXPECT_EQ(fast.TickCount(), 5);
}

TEST(FakeClock, EnablingRestartsThePeriod) {
  fakes::FakeClock clock;
  fakes::FakeTimer timer(clock);
  std::vector<long long> at;
  timer.tick = [&] { at.push_back(clock.Now()); };
  timer.SetInterval(10);
  timer.SetEnabled(true);
  clock.Advance(7);
  timer.SetEnabled(true);
  clock.Advance(12);
  EXPECT_EQ(at, (std::vector<long long>{17}));
  timer.SetInterval(5);  // a running timer restarts with the new period
  clock.Advance(5);
  EXPECT_EQ(at, (std::vector<long long>{17, 24}));
}

TEST(FakeClock, TicksMayStopOrDestroyTimers) {
  fakes::FakeClock clock;
  auto self = std::make_unique<fakes::FakeTimer>(clock);
  fakes::FakeTimer other(clock), zero(clock);
  int otherTicks = 0, zeroTicks = 0;
  self->tick = [&] {
    other.SetEnabled(false);
    self.reset();
  };
  other.tick = [&] { ++otherTicks; };
  zero.tick = [&] { ++zeroTicks; };
  self->SetInterval(10);
  other.SetInterval(10);
  zero.SetInterval(0);
  self->SetEnabled(true);
  other.SetEnabled(true);
  zero.SetEnabled(true);
  clock.Advance(100);
  EXPECT_EQ(self, nullptr);
  EXPECT_EQ(otherTicks, 0) << "stopped by an earlier tick due at the same moment";
  EXPECT_EQ(zeroTicks, 0) << "an interval of 0 never ticks";
  EXPECT_EQ(clock.TimerCount(), 2u);
}

TEST(FakeSurface, FillsExactPixels) {
  fakes::FakeSurface s;
  s.SetBackColor(0x00102030);
  s.Move(0, 0, 10, 8);
  s.Cls();
  s.FilledBox(6, 5, 2, 3, 0x000000FF);  // corners in either order, both inside
  EXPECT_EQ(s.ColourAt(2, 3), 0x000000FFu);
  EXPECT_EQ(s.ColourAt(6, 5), 0x000000FFu);
  EXPECT_EQ(s.ColourAt(1, 3), 0x00102030u);
  EXPECT_EQ(s.ColourAt(7, 5), 0x00102030u);
  EXPECT_EQ(s.ColourAt(6, 6), 0x00102030u);

  s.Cls();
  s.Box(1, 1, 4, 4, 0x0000FF00);
  EXPECT_EQ(s.ColourAt(1, 1), 0x0000FF00u);
  EXPECT_EQ(s.ColourAt(4, 4), 0x0000FF00u);
  EXPECT_EQ(s.ColourAt(4, 2), 0x0000FF00u);
  EXPECT_EQ(s.ColourAt(2, 2), 0x00102030u) << "outline only";

  s.Cls();
  s.Line(0, 7, 5, 7, 0x00FF0000);
  EXPECT_EQ(s.ColourAt(0, 7), 0x00FF0000u);
  EXPECT_EQ(s.ColourAt(4, 7), 0x00FF0000u);
  EXPECT_EQ(s.ColourAt(5, 7), 0x00102030u) << "the end point is left out";
  s.FilledBox(-100, -100, 100, 100, 0x00FFFFFF);  // clipped, no crash
  EXPECT_EQ(s.ColourAt(9, 7), 0x00FFFFFFu);
}

TEST(FakeSurface, ResolvesSystemColoursAndDrawsThePictureOnClear) {
  fakes::FakeSurface s;
  s.Move(0, 0, 6, 6);
  auto picture = std::make_shared<drawing::Image>(2, 2, drawing::ToPixel(0x00ABCDEF));
  s.SetPicture(picture);
  s.Cls();  // default background: the button face
  EXPECT_EQ(s.ColourAt(5, 5), 0x00F0F0F0u);
  EXPECT_EQ(s.ColourAt(1, 1), 0x00ABCDEFu);
  EXPECT_EQ(s.ColourAt(2, 2), 0x00F0F0F0u);
  s.FilledBox(0, 0, 5, 5, 0x80000010u);
  EXPECT_EQ(s.ColourAt(3, 3), fakes::TestPaletteColour(16));
}

TEST(FakeSurface, MeasuresAndRecordsText) {
  fakes::FakeSurface s;
  EXPECT_EQ(s.TextWidth("Глава 1"), 7 * 7.0) << "code points, not bytes";
  EXPECT_EQ(s.TextWidth("ab\r\nabcd"), 4 * 7.0) << "the widest line";
  EXPECT_EQ(s.TextHeight("ab\r\nabcd"), 30.0);
  EXPECT_EQ(s.TextHeight(""), 15.0);
  s.SetForeColor(0x00112233);
  s.SetCurrentX(4);
  s.SetCurrentY(6);
  s.Print("one");
  s.Print("two");
  ASSERT_EQ(s.Printed().size(), 2u);
  EXPECT_EQ(s.Printed()[0].text, "one");
  EXPECT_EQ(s.Printed()[0].x, 4);
  EXPECT_EQ(s.Printed()[0].y, 6);
  EXPECT_EQ(s.Printed()[1].x, 0);
  EXPECT_EQ(s.Printed()[1].y, 21);
  EXPECT_EQ(s.Printed()[1].colour, 0x00112233u);
}

TEST(FakeSurface, ResizedOnlyWhenTheSizeChangesAndBordersShrinkTheInside) {
  fakes::FakeSurface s;
  int resized = 0;
  s.events.resized = [&] { ++resized; };
  s.Move(0, 0, 20, 10);
  s.Move(5, 5, 20, 10);
  EXPECT_EQ(resized, 1);
  s.SetBorderStyle(1);
  s.SetAppearance(1);
  EXPECT_EQ(s.ScaleWidth(), 16);
  EXPECT_EQ(s.ScaleHeight(), 6);
  s.SetAppearance(0);
  EXPECT_EQ(s.ScaleWidth(), 18);
}

TEST(FakeHost, CreatesHiddenSurfacesAndCountsWhatItIsAsked) {
  fakes::FakeHost host;
  auto parent = host.CreateSurface(nullptr);
  {
    auto child = host.CreateSurface(parent.get());
    EXPECT_FALSE(child->Visible());
    EXPECT_EQ(child->GetFont(), host.AmbientFont());
    EXPECT_EQ(host.ChildrenOf(parent.get()).size(), 1u);
    EXPECT_NE(child->hWnd(), parent->hWnd());
  }
  EXPECT_TRUE(host.ChildrenOf(parent.get()).empty()) << "a destroyed surface is forgotten";
  EXPECT_EQ(host.Surfaces().size(), 1u);

  int ran = 0;
  host.onDoEvents = [&] { ++ran; };
  host.DoEvents();
  host.DoEvents();
  EXPECT_EQ(host.DoEventsCalls(), 2);
  EXPECT_EQ(ran, 2);
  EXPECT_EQ(host.ResolveColour(drawing::kButtonFace), 0x00F0F0F0u);
  EXPECT_EQ(host.ResolveColour(0x01123456u), 0x00123456u) << "the high byte of a plain colour is dropped";
  EXPECT_EQ(host.TwipsPerPixelX(), 15);

  auto timer = host.CreateTimer();
  int ticks = 0;
  timer->tick = [&] { ++ticks; };
  timer->SetInterval(10);
  timer->SetEnabled(true);
  host.Clock().Advance(30);
  EXPECT_EQ(ticks, 3);
}

}  // namespace

TEST(FakeHost, TheWindowUnderAPointFollowsShapesKeysAndShadows) {
  fakes::FakeHost host;
  auto back = host.CreateSurface(nullptr);
  back->Move(0, 0, 200, 200);
  back->SetVisible(true);
  auto popup = host.CreateSurface(back.get());
  popup->Move(50, 60, 40, 30);
  popup->SetBackColor(0x00FFFFFF);
  popup->Cls();
  popup->FilledBox(10, 10, 19, 19, 0x00000001);
  drawing::Region shape(40, 30);
  for (int y = 0; y < 30; ++y) shape.IncludeSpan(y, y < 3 ? 3 : 0, 40);
  popup->SetWindowShape(shape);
  popup->SetDropShadow(true);
  popup->LiftToDesktop();
  popup->SetLayered(255, 0x00000001);
  popup->SetVisible(true);
  const auto at = [&host](int x, int y) { return host.WindowFromPoint({x, y}); };
  EXPECT_EQ(at(70, 80), popup->hWnd());
  EXPECT_EQ(at(51, 61), back->hWnd());  // the cut corner
  EXPECT_EQ(at(67, 77), back->hWnd());  // a key pixel with no shadow on it
  EXPECT_EQ(at(61, 71), popup->hWnd());  // a key pixel the shadow shows through
  EXPECT_EQ(at(92, 80), popup->hWnd());  // the shadow counts as the popup
  EXPECT_EQ(at(96, 80), back->hWnd());
  EXPECT_EQ(at(500, 500), fakes::FakeHost::kForeignWindow);
  popup->SetVisible(false);
  EXPECT_EQ(at(70, 80), back->hWnd());
}
