#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

#include "controls/scrollbar/VerticalScroll.h"
#include "drawing/WheelTargets.h"
#include "tests/fakes/FakeHost.h"

namespace {

using scrollbar::VerticalScroll;

// Key and button bits of a wheel message, as the platform reports them.
constexpr std::uint32_t kLeftButtonHeld = 0x0001;
constexpr std::uint32_t kShiftHeld = 0x0004;
constexpr std::uint32_t kCtrlHeld = 0x0008;

struct Bar {
  explicit Bar(fakes::FakeHost& host) : scroll(surface, drawing::ControlSite{&host, nullptr, {}}) {
    surface.Move(0, 0, 15, 200);
    scroll.SetMax(1000);
    scroll.SetSHag(25);
    scroll.SetValue(500, false);
    scroll.ScrolChange = [this](std::int32_t& v) { changes.push_back(v); };
  }
  fakes::FakeSurface surface;
  VerticalScroll scroll;
  std::vector<std::int32_t> changes;
};

class WheelTargetsTest : public ::testing::Test {
 protected:
  void SetUp() override { drawing::ClearWheelTargets(); }
  void TearDown() override { drawing::ClearWheelTargets(); }

  // Sends one wheel message to the window; true when it was passed on.
  bool Wheel(drawing::WindowHandle window, std::int32_t delta, std::uint32_t keys = 0) {
    bool passedOn = false;
    drawing::WheelWndProc(window, delta, keys, [&] { passedOn = true; });
    return passedOn;
  }

  fakes::FakeHost host;
};

TEST_F(WheelTargetsTest, WholeNotchesMoveTheBarByItsStep) {
  Bar bar(host);
  ASSERT_TRUE(drawing::RegisterWheelTarget(bar.scroll));
  const drawing::WindowHandle window = bar.surface.hWnd();
  for (std::int32_t delta : {120, 240, 360}) {
    bar.scroll.SetValue(500, false);
    bar.changes.clear();
    EXPECT_TRUE(Wheel(window, delta));
    EXPECT_EQ(bar.scroll.Value(), 475) << "away from the user: back by one step, delta " << delta;
    EXPECT_EQ(bar.changes, (std::vector<std::int32_t>{475})) << "the move is reported";

    bar.scroll.SetValue(500, false);
    bar.changes.clear();
    EXPECT_TRUE(Wheel(window, -delta));
    EXPECT_EQ(bar.scroll.Value(), 525) << "towards the user: on by one step, delta " << -delta;
    EXPECT_EQ(bar.changes, (std::vector<std::int32_t>{525}));
  }
}

TEST_F(WheelTargetsTest, TheMoveIsClampedToTheRange) {
  Bar bar(host);
  drawing::RegisterWheelTarget(bar.scroll);
  bar.scroll.SetValue(10, false);
  EXPECT_TRUE(Wheel(bar.surface.hWnd(), 120));
  EXPECT_EQ(bar.scroll.Value(), 0);
  bar.scroll.SetValue(990, false);
  EXPECT_TRUE(Wheel(bar.surface.hWnd(), -360));
  EXPECT_EQ(bar.scroll.Value(), 1000);
}

TEST_F(WheelTargetsTest, OtherDeltasAndHeldKeysOnlyPassOn) {
  Bar bar(host);
  drawing::RegisterWheelTarget(bar.scroll);
  const drawing::WindowHandle window = bar.surface.hWnd();
  for (std::int32_t delta : {60, -60, 0, 119, 121, 480, -480, 1, -1}) {
    EXPECT_TRUE(Wheel(window, delta)) << delta;
    EXPECT_EQ(bar.scroll.Value(), 500) << "delta " << delta;
  }
  for (std::uint32_t keys : {kCtrlHeld, kShiftHeld, kLeftButtonHeld, kCtrlHeld | kShiftHeld}) {
    EXPECT_TRUE(Wheel(window, 120, keys));
    EXPECT_TRUE(Wheel(window, -120, keys));
    EXPECT_EQ(bar.scroll.Value(), 500) << "keys " << keys;
  }
  EXPECT_TRUE(bar.changes.empty());
}

TEST_F(WheelTargetsTest, TheLastRegisteredBarMovesWhicheverWindowIsWheeled) {
  Bar first(host);
  Bar second(host);
  EXPECT_TRUE(drawing::RegisterWheelTarget(first.scroll));
  EXPECT_TRUE(drawing::RegisterWheelTarget(second.scroll));
  EXPECT_EQ(drawing::WheelTargetCount(), 2);
  EXPECT_TRUE(Wheel(first.surface.hWnd(), -120));
  EXPECT_EQ(first.scroll.Value(), 500);
  EXPECT_EQ(second.scroll.Value(), 525);
}

TEST_F(WheelTargetsTest, RegisteringTheSameBarTwiceKeepsOneEntry) {
  Bar bar(host);
  EXPECT_EQ(drawing::WheelTargetCount(), 0);
  EXPECT_TRUE(drawing::RegisterWheelTarget(bar.scroll));
  EXPECT_FALSE(drawing::RegisterWheelTarget(bar.scroll));
  EXPECT_EQ(drawing::WheelTargetCount(), 1);
  // One entry: one notch is one step.
  EXPECT_TRUE(Wheel(bar.surface.hWnd(), -120));
  EXPECT_EQ(bar.scroll.Value(), 525);
}

TEST_F(WheelTargetsTest, EmptyListPassesOnWithoutError) {
  EXPECT_EQ(drawing::WheelTargetCount(), 0);
  EXPECT_TRUE(Wheel(0x1234, 120));
  EXPECT_TRUE(Wheel(0x1234, -240));
}

TEST_F(WheelTargetsTest, NothingEscapesAndTheMessageStillGoesOn) {
  Bar bar(host);
  drawing::RegisterWheelTarget(bar.scroll);
  bar.scroll.ScrolChange = [](std::int32_t&) { throw std::runtime_error("host failed"); };
  EXPECT_TRUE(Wheel(bar.surface.hWnd(), 120));

  // Value - SHag outside 32 bits.
  bar.scroll.SetSHag(std::numeric_limits<std::int32_t>::min());
  const std::int32_t before = bar.scroll.Value();
  EXPECT_TRUE(Wheel(bar.surface.hWnd(), 120));
  EXPECT_EQ(bar.scroll.Value(), before);

  EXPECT_NO_THROW(drawing::WheelWndProc(bar.surface.hWnd(), 120, 0, [] { throw std::runtime_error("next"); }));
  EXPECT_NO_THROW(drawing::WheelWndProc(bar.surface.hWnd(), 120, 0, nullptr));
}

TEST_F(WheelTargetsTest, ADestroyedBarLeavesTheList) {
  auto gone = std::make_unique<Bar>(host);
  Bar kept(host);
  drawing::RegisterWheelTarget(kept.scroll);
  drawing::RegisterWheelTarget(gone->scroll);
  gone.reset();
  EXPECT_EQ(drawing::WheelTargetCount(), 1);
  EXPECT_TRUE(Wheel(kept.surface.hWnd(), -120));
  EXPECT_EQ(kept.scroll.Value(), 525);
}

}  // namespace
