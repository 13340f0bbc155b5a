// Wheel routing headless: the fallback wheel source over our own windows,
// the hook that turns notches into direction texts, and the filter that
// moves a registered scroll bar on whole notches.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "drawing/WheelTargets.h"
#include "platform/DesktopWheel.h"
#include "platform/WheelTargetFilter.h"
#include "controls/tree/Tray.h"
#include "reader/Form1.h"
#include "reader/WheelHook.h"

namespace {

using platform::DesktopWheel;

QWheelEvent MakeWheel(QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                      Qt::MouseButtons buttons = Qt::NoButton) {
  const QPointF at(10, 10);
  return QWheelEvent(at, at, QPoint(), angle, buttons, modifiers, Qt::NoScrollPhase, false);
}

// A window with one child widget under the cursor; both count the wheel
// events they get, and the child leaves them to its parent, so one event
// travels through two widgets of one window.
class WheelCounter : public QWidget {
 public:
  explicit WheelCounter(QWidget* parent = nullptr) : QWidget(parent) {}
  int wheelEvents = 0;

 protected:
  void wheelEvent(QWheelEvent* event) override {
    ++wheelEvents;
    event->ignore();
  }
};

class OwnWindow {
 public:
  OwnWindow() : child(&top) {
    top.resize(100, 100);
    child.setGeometry(0, 0, 50, 50);
    top.show();
  }

  // Delivered as the platform delivers it: a spontaneous event to the
  // window, which hands it to the widget under the cursor, from where it
  // travels up to the parent. sendEvent would clear the spontaneous flag
  // and with it the travel to the parent.
  void Turn(int angleY, int angleX = 0) {
    QWheelEvent event = MakeWheel(QPoint(angleX, angleY));
    QSpontaneKeyEvent::setSpontaneous(&event);
    QCoreApplication::instance()->notify(top.windowHandle(), &event);
  }

  WheelCounter top;
  WheelCounter child;
};

class DesktopWheelTest : public ::testing::Test {
 protected:
  std::vector<int> signs;
  DesktopWheel wheel{[this](int sign) { signs.push_back(sign); }};
  OwnWindow window;
};

TEST_F(DesktopWheelTest, OffscreenHasNoConnectionAndFallsBackToOwnWindows) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11) {
    EXPECT_EQ(x11->connection(), nullptr);
  }
  wheel.Install();
  EXPECT_TRUE(wheel.Installed());
  EXPECT_EQ(wheel.ActiveSource(), DesktopWheel::Source::OwnWindows);
}

TEST_F(DesktopWheelTest, EachEventOverOurWindowIsOneNotchWithItsSign) {
  wheel.Install();
  window.Turn(120);
  window.Turn(-120);
  window.Turn(600);   // a multi-detent event is still one notch
  window.Turn(-15);   // so is a high-resolution fraction
  EXPECT_EQ(signs, (std::vector<int>{+1, -1, +1, -1}));
  // The notch was watched, not taken: it went through both widgets.
  EXPECT_EQ(window.child.wheelEvents, 4);
  EXPECT_EQ(window.top.wheelEvents, 4);
}

TEST_F(DesktopWheelTest, BurstCountsEveryEventExactlyOnce) {
  wheel.Install();
  std::vector<int> expected;
  for (int i = 0; i < 50; ++i) {
    const int sign = (i % 3 == 0) ? -1 : +1;
    window.Turn(sign * 120);
    expected.push_back(sign);
  }
  EXPECT_EQ(signs, expected);
}

TEST_F(DesktopWheelTest, HorizontalTurnsAndEventsAddressedToWidgetsAreNotCounted) {
  wheel.Install();
  window.Turn(0, 120);
  window.Turn(0, -120);
  // Sent straight to a widget, the event never passed a window: the window
  // delivery of the same notch is the one that counts.
  QWheelEvent direct = MakeWheel(QPoint(0, 120));
  QApplication::sendEvent(&window.child, &direct);
  EXPECT_TRUE(signs.empty());
  EXPECT_EQ(window.child.wheelEvents, 3);
}

TEST_F(DesktopWheelTest, InstallAndRemoveAreIdempotent) {
  wheel.Remove();  // never installed
  EXPECT_FALSE(wheel.Installed());
  window.Turn(120);
  EXPECT_TRUE(signs.empty());

  wheel.Install();
  wheel.Install();
  window.Turn(120);
  EXPECT_EQ(signs, std::vector<int>{+1});  // not one per Install

  wheel.Remove();
  wheel.Remove();
  EXPECT_FALSE(wheel.Installed());
  EXPECT_EQ(wheel.ActiveSource(), DesktopWheel::Source::None);
  window.Turn(120);
  EXPECT_EQ(signs.size(), 1u);

  wheel.Install();
  window.Turn(-120);
  EXPECT_EQ(signs, (std::vector<int>{+1, -1}));
}

TEST_F(DesktopWheelTest, DestroyingAnInstalledSourceStopsIt) {
  int calls = 0;
  {
    DesktopWheel scoped([&calls](int) { ++calls; });
    scoped.Install();
    window.Turn(120);
    EXPECT_EQ(calls, 1);
  }
  window.Turn(120);
  EXPECT_EQ(calls, 1);
}

TEST_F(DesktopWheelTest, AThrowingHandlerLosesOnlyItsNotch) {
  int calls = 0;
  DesktopWheel throwing([&calls](int) {
    ++calls;
    throw std::runtime_error("handler failed");
  });
  throwing.Install();
  window.Turn(120);
  window.Turn(-120);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(window.top.wheelEvents, 2);
}

// The hook: notch signs become the direction texts of Scrol.
class WheelHookTest : public ::testing::Test {
 protected:
  void TearDown() override { reader::RemoveWheelHook(); }
  void Install() {
    reader::InstallWheelHook([this](std::string& direction) { texts.push_back(direction); });
  }

  std::vector<std::string> texts;
  OwnWindow window;
};

TEST_F(WheelHookTest, AwayIsMinusAndTowardsIsPlus) {
  Install();
  EXPECT_TRUE(reader::WheelHookInstalled());
  window.Turn(120);
  window.Turn(-120);
  window.Turn(-360);
  EXPECT_EQ(texts, (std::vector<std::string>{"-", "+", "+"}));
  EXPECT_EQ(window.child.wheelEvents, 3);
}

TEST_F(WheelHookTest, OnlyTheSignOfTheDeltaCounts) {
  Install();
  reader::WheelHookProc(600);
  reader::WheelHookProc(1);
  reader::WheelHookProc(-1);
  reader::WheelHookProc(0);  // not away from the user
  EXPECT_EQ(texts, (std::vector<std::string>{"-", "-", "+", "+"}));
}

TEST_F(WheelHookTest, RemovingTwiceOrWithoutInstallingIsHarmless) {
  reader::RemoveWheelHook();
  EXPECT_FALSE(reader::WheelHookInstalled());
  Install();
  Install();  // a second install routes once, not twice
  window.Turn(120);
  EXPECT_EQ(texts.size(), 1u);
  reader::RemoveWheelHook();
  reader::RemoveWheelHook();
  EXPECT_FALSE(reader::WheelHookInstalled());
  window.Turn(120);
  reader::WheelHookProc(120);
  EXPECT_EQ(texts.size(), 1u);
}

// Sixty top-level rows: far taller than the tree.
std::string LongContents() {
  std::string list;
  for (int i = 0; i < 60; ++i) list += "Row " + std::to_string(i) + "\r\n";
  return list;
}

// The main window installs the hook as the last step of its load; each
// notch reaches the tree's ScrollM through Scrol and moves its bar one step.
TEST(Form1WheelTest, LoadRoutesNotchesToTheTreeAndUnloadStops) {
  drawing::ClearWheelTargets();
  QTemporaryDir folder;  // no book: the window still opens
  ASSERT_TRUE(folder.isValid());
  reader::Form1 form(folder.path().toStdString());
  form.show();
  form.Load();
  ASSERT_TRUE(reader::WheelHookInstalled());
  EXPECT_EQ(drawing::WheelTargetCount(), 1);  // the tree's bar, registered at start-up
  scrollbar::VerticalScroll& bar = form.Tray1().VerticalScroll1();
  ASSERT_EQ(bar.SHag(), 25);
  // The tree sets its bar's range from its rows: give it a long list.
  form.Tray1().PoluchiSpisok(LongContents());
  ASSERT_GE(bar.Max(), 100);
  bar.SetValue(50, true);

  QWheelEvent away = MakeWheel(QPoint(0, 120));
  QSpontaneKeyEvent::setSpontaneous(&away);
  QCoreApplication::instance()->notify(form.windowHandle(), &away);
  EXPECT_EQ(bar.Value(), 25);  // away from the user: up one step
  reader::WheelHookProc(-240);
  EXPECT_EQ(bar.Value(), 50);  // towards: down one step, whatever the size

  std::string other = "x";
  form.Scrol(other);  // any other text does nothing
  EXPECT_EQ(bar.Value(), 50);

  form.Unload();
  EXPECT_FALSE(reader::WheelHookInstalled());
  reader::WheelHookProc(120);
  EXPECT_EQ(bar.Value(), 50);
  drawing::ClearWheelTargets();
}

// Over the tree's own scroll bar one notch moves it twice, in the same
// direction: once through the desktop-wide route and once through the bar's
// own wheel handling, as the two routes are independent.
TEST(Form1WheelTest, ANotchOverTheScrollBarMovesItTwice) {
  drawing::ClearWheelTargets();
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  reader::Form1 form(folder.path().toStdString());
  form.show();
  form.Load();
  scrollbar::VerticalScroll& bar = form.Tray1().VerticalScroll1();
  form.Tray1().PoluchiSpisok(LongContents());  // a range: shows the bar
  ASSERT_GE(bar.Max(), 200);
  bar.SetValue(100, true);
  QWidget* barWidget = reinterpret_cast<QWidget*>(bar.hWnd());
  ASSERT_TRUE(barWidget->isVisible());
  const QPointF inWindow = barWidget->mapTo(&form, QPointF(barWidget->width() / 2.0, barWidget->height() / 2.0));
  QWheelEvent towards(inWindow, form.mapToGlobal(inWindow), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&towards);
  QCoreApplication::instance()->notify(form.windowHandle(), &towards);
  EXPECT_EQ(bar.Value(), 150);
  form.Unload();
  drawing::ClearWheelTargets();
}

// A scroll bar as the wheel helper sees it: Value clamped to 0..max.
class FakeTarget : public drawing::WheelTarget {
 public:
  FakeTarget(const QWidget& widget, std::int32_t value, std::int32_t step, std::int32_t max = 1000)
      : window_(reinterpret_cast<drawing::WindowHandle>(&widget)), value_(value), step_(step), max_(max) {}
  drawing::WindowHandle hWnd() const override { return window_; }
  std::int32_t Value() const override { return value_; }
  std::int32_t SHag() const override { return step_; }
  void SetValue(std::int32_t value, bool notify) override {
    value_ = std::clamp(value, 0, max_);
    notified.push_back(notify);
  }
  std::vector<bool> notified;

 private:
  drawing::WindowHandle window_;
  std::int32_t value_;
  std::int32_t step_;
  std::int32_t max_;
};

class WheelTargetFilterTest : public ::testing::Test {
 protected:
  void SetUp() override { drawing::ClearWheelTargets(); }
  void TearDown() override { drawing::ClearWheelTargets(); }

  // Straight to the bar's widget, where its filter sits.
  static void Turn(QWidget& widget, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                   Qt::MouseButtons buttons = Qt::NoButton) {
    QWheelEvent event = MakeWheel(QPoint(0, delta), modifiers, buttons);
    QApplication::sendEvent(&widget, &event);
  }

  WheelCounter bar;
};

TEST_F(WheelTargetFilterTest, WholeNotchesMoveTheBarAgainstTheDelta) {
  FakeTarget target(bar, 100, 7);
  ASSERT_TRUE(platform::RegisterWheelTargetWidget(target, &bar));
  EXPECT_EQ(drawing::WheelTargetCount(), 1);
  const struct {
    int delta;
    int value;
  } steps[] = {{120, 93}, {240, 86}, {360, 79}, {-120, 86}, {-240, 93}, {-360, 100}};
  int events = 0;
  for (const auto& step : steps) {
    Turn(bar, step.delta);
    EXPECT_EQ(target.Value(), step.value) << "delta " << step.delta;
    EXPECT_EQ(bar.wheelEvents, ++events) << "delta " << step.delta << " did not reach the widget";
  }
  EXPECT_EQ(target.notified, std::vector<bool>(6, true));
}

TEST_F(WheelTargetFilterTest, FractionsOddSizesAndHeldKeysOrButtonsDoNotMoveTheBar) {
  FakeTarget target(bar, 100, 7);
  ASSERT_TRUE(platform::RegisterWheelTargetWidget(target, &bar));
  Turn(bar, 60);
  Turn(bar, -60);
  Turn(bar, 480);
  Turn(bar, -600);
  Turn(bar, 120, Qt::ControlModifier);
  Turn(bar, -120, Qt::ShiftModifier);
  Turn(bar, 120, Qt::AltModifier);
  Turn(bar, 120, Qt::NoModifier, Qt::LeftButton);
  Turn(bar, -120, Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(target.Value(), 100);
  EXPECT_TRUE(target.notified.empty());
  EXPECT_EQ(bar.wheelEvents, 9);
}

TEST_F(WheelTargetFilterTest, TheBarStopsAtItsEnds) {
  FakeTarget target(bar, 3, 7, 10);
  ASSERT_TRUE(platform::RegisterWheelTargetWidget(target, &bar));
  Turn(bar, 120);
  EXPECT_EQ(target.Value(), 0);
  Turn(bar, -360);
  Turn(bar, -360);
  EXPECT_EQ(target.Value(), 10);
}

TEST_F(WheelTargetFilterTest, RegisteringTwiceKeepsOneEntryAndOneFilter) {
  FakeTarget target(bar, 100, 5);
  EXPECT_TRUE(platform::RegisterWheelTargetWidget(target, &bar));
  EXPECT_FALSE(platform::RegisterWheelTargetWidget(target, &bar));
  // Another control over the same window is the same target.
  FakeTarget sameWindow(bar, 0, 1);
  EXPECT_FALSE(platform::RegisterWheelTargetWidget(sameWindow, &bar));
  EXPECT_EQ(drawing::WheelTargetCount(), 1);
  Turn(bar, 120);
  EXPECT_EQ(target.Value(), 95);  // one step, not two
  EXPECT_EQ(bar.wheelEvents, 1);
}

TEST_F(WheelTargetFilterTest, TheLastRegisteredBarMovesWhicheverWidgetGotTheWheel) {
  WheelCounter secondBar;
  FakeTarget first(bar, 50, 5);
  FakeTarget second(secondBar, 50, 5);
  ASSERT_TRUE(platform::RegisterWheelTargetWidget(first, &bar));
  ASSERT_TRUE(platform::RegisterWheelTargetWidget(second, &secondBar));
  Turn(bar, 120);
  EXPECT_EQ(first.Value(), 50);
  EXPECT_EQ(second.Value(), 45);
}

TEST_F(WheelTargetFilterTest, AnUnregisteredWidgetIsLeftAlone) {
  WheelCounter other;
  FakeTarget target(bar, 50, 5);
  ASSERT_TRUE(platform::RegisterWheelTargetWidget(target, &bar));
  Turn(other, 120);
  EXPECT_EQ(target.Value(), 50);
  EXPECT_FALSE(platform::RegisterWheelTargetWidget(target, nullptr));
}

TEST(WheelKeyStateTest, ModifiersAndButtonsMapToTheWheelMessageBits) {
  using platform::WheelKeyState;
  EXPECT_EQ(WheelKeyState(Qt::NoModifier, Qt::NoButton), 0u);
  EXPECT_EQ(WheelKeyState(Qt::ShiftModifier, Qt::NoButton), 0x04u);
  EXPECT_EQ(WheelKeyState(Qt::ControlModifier, Qt::NoButton), 0x08u);
  EXPECT_EQ(WheelKeyState(Qt::NoModifier, Qt::LeftButton), 0x01u);
  EXPECT_EQ(WheelKeyState(Qt::NoModifier, Qt::RightButton), 0x02u);
  EXPECT_EQ(WheelKeyState(Qt::NoModifier, Qt::MiddleButton), 0x10u);
  EXPECT_EQ(WheelKeyState(Qt::NoModifier, Qt::BackButton | Qt::ForwardButton), 0x60u);
  EXPECT_EQ(WheelKeyState(Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton), 0x0Du);
  EXPECT_NE(WheelKeyState(Qt::AltModifier, Qt::NoButton), 0u);
  EXPECT_NE(WheelKeyState(Qt::MetaModifier, Qt::NoButton), 0u);
  // The keypad flag marks where a key came from, not a held key.
  EXPECT_EQ(WheelKeyState(Qt::KeypadModifier, Qt::NoButton), 0u);
}

}  // namespace
