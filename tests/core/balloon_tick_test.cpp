// The balloon's tick as a state machine: the fake clock steps it, the test
// says which window lies under the cursor and which buttons are held.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/balloon/PodskazV.h"
#include "tests/fakes/FakeHost.h"

namespace {

using balloon::PodskazV;

// Where the cursor is at a tick. BalloonSpot is where the balloon stands:
// the balloon's window once it is visible, the host's window before.
enum class At { Host, Balloon, BalloonSpot, ScrollBar, Other };
enum class Expect { Hidden, Shown, Gone };

constexpr drawing::WindowHandle kHostWindow = 0x100;
constexpr drawing::WindowHandle kScrollBarWindow = 0x102;

class BalloonTick : public ::testing::Test {
 protected:
  BalloonTick() {
    face.Move(0, 0, 24, 24);
    host.windowAt = [this](drawing::ScreenPoint) -> drawing::WindowHandle {
      const drawing::Surface* w = balloon.BalloonWindow();
      switch (at) {
        case At::Host: return kHostWindow;
        case At::ScrollBar: return kScrollBarWindow;
        case At::Other: return fakes::FakeHost::kForeignWindow;
        case At::Balloon: return w ? w->hWnd() : kHostWindow;
        case At::BalloonSpot: return w && w->Visible() ? w->hWnd() : kHostWindow;
      }
      return 0;
    };
    balloon.SetZadergkaTime(10);
    balloon.SetCaption("Очень длинное название раздела");
  }

  void Build(bool delay, std::int32_t ticks = 10) {
    balloon.SetZadergka(delay);
    balloon.SetZadergkaTime(ticks);
    balloon.SetCaption("Очень длинное название раздела");
    balloon.Risuy();
  }
  void Ticks(int n) { host.Clock().Advance(10LL * n); }
  Expect State() const {
    if (!balloon.BalloonWindow()) return Expect::Gone;
    return balloon.BalloonWindow()->Visible() ? Expect::Shown : Expect::Hidden;
  }
  bool TimerOn() { return host.Clock().Timers()[0]->Enabled(); }

  fakes::FakeHost host;
  fakes::RecordingSite record{host};
  fakes::FakeSurface face;
  PodskazV balloon{face, record.site};
  At at = At::Host;
};

struct Step {
  At at;
  int buttons;
  int ticks;
  Expect expect;
};

struct Scenario {
  const char* name;
  bool delay;
  std::int32_t delayTicks;
  std::vector<Step> steps;
};

TEST_F(BalloonTick, Scenarios) {
  using enum At;
  using enum Expect;
  const Scenario scenarios[] = {
      {"delay 10: hidden for nine ticks, shown on the tenth", true, 10,
       {{Host, 0, 9, Hidden}, {Host, 0, 1, Shown}, {Host, 0, 50, Shown}}},
      {"delay 1: shown on the first tick", true, 1, {{Host, 0, 1, Shown}}},
      {"no delay: shown at once and kept", false, 10, {{Host, 0, 0, Shown}, {Host, 0, 30, Shown}}},
      {"the first tick only records the window", false, 10, {{Other, 0, 1, Shown}, {Other, 0, 5, Shown}}},
      {"coming up under the cursor it is adopted; leaving it hides it", true, 10,
       {{BalloonSpot, 0, 10, Shown}, {BalloonSpot, 0, 5, Shown}, {Host, 0, 1, Gone}}},
      {"from the host onto the balloon it stays; back to the host it goes", false, 10,
       {{Host, 0, 2, Shown}, {Balloon, 0, 3, Shown}, {Host, 0, 1, Gone}}},
      {"leaving for another window hides it", false, 10, {{Host, 0, 2, Shown}, {Other, 0, 1, Gone}}},
      {"the tree's scroll bar is another window", false, 10, {{Host, 0, 2, Shown}, {ScrollBar, 0, 1, Gone}}},
      {"a button anywhere hides it", false, 10, {{Host, 0, 2, Shown}, {Host, drawing::kRightButton, 1, Gone}}},
      {"a button during the delay drops it unseen", true, 10,
       {{Host, 0, 3, Hidden}, {Host, drawing::kMiddleButton, 1, Gone}}},
      {"leaving during the delay drops it unseen", true, 10, {{Host, 0, 3, Hidden}, {Other, 0, 1, Gone}}},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    at = s.steps.front().at;
    host.buttonsHeld = 0;
    Build(s.delay, s.delayTicks);
    for (std::size_t i = 0; i < s.steps.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "step " << i);
      const Step& step = s.steps[i];
      at = step.at;
      host.buttonsHeld = step.buttons;
      Ticks(step.ticks);
      EXPECT_EQ(State(), step.expect);
      EXPECT_EQ(balloon.Active(), step.expect != Gone);
      EXPECT_EQ(TimerOn(), step.expect != Gone);
      if (step.expect == Gone) {
        EXPECT_EQ(balloon.Caption(), "");
      }
    }
    balloon.Minus();
  }
}

TEST_F(BalloonTick, ActiveFromTheFirstTickOfTheDelay) {
  Build(true);
  EXPECT_FALSE(balloon.Active());
  Ticks(1);
  EXPECT_TRUE(balloon.Active());
  EXPECT_EQ(State(), Expect::Hidden);
}

TEST_F(BalloonTick, AfterAHideTheNextBalloonStartsAfresh) {
  Build(false);
  Ticks(1);
  at = At::Balloon;
  Ticks(1);
  at = At::Host;
  Ticks(1);
  ASSERT_EQ(State(), Expect::Gone);
  EXPECT_FALSE(TimerOn());
  // Hovering the same name again: the cursor rests on the host this time.
  Build(false);
  Ticks(20);
  EXPECT_EQ(State(), Expect::Shown);
}

TEST_F(BalloonTick, RisuyWhileShownRebuildsAndDelaysAgain) {
  Build(true);
  Ticks(12);
  ASSERT_EQ(State(), Expect::Shown);
  const drawing::WindowHandle first = balloon.BalloonWindow()->hWnd();
  balloon.Risuy();
  EXPECT_NE(balloon.BalloonWindow()->hWnd(), first);
  EXPECT_EQ(host.ChildrenOf(&face).size(), 3u);  // template, Zalivka and one balloon
  Ticks(9);
  EXPECT_EQ(State(), Expect::Hidden);
  Ticks(1);
  EXPECT_EQ(State(), Expect::Shown);
}

}  // namespace
