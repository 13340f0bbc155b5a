// The Qt host's timers and the notifications of its surfaces: the rules the
// controls' state machines rely on, checked on the real Qt objects.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/QtHost.h"
#include "platform/QtSurface.h"

namespace {

// Runs the event loop until done() holds or the deadline passes; what is
// waited for is a real timer's tick, so there is nothing to step by hand.
bool RunUntil(const std::function<bool()>& done, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return done();
}

struct TimerCase {
  const char* name;
  std::function<void(platform::QtTimer&)> setUp;
  bool enabled;
  bool ticks;
};

TEST(QtTimerTest, FlagAndIntervalAreIndependent) {
  const TimerCase cases[] = {
      {"interval, then enabled", [](platform::QtTimer& t) { t.SetInterval(5); t.SetEnabled(true); }, true, true},
      {"enabled, then interval", [](platform::QtTimer& t) { t.SetEnabled(true); t.SetInterval(5); }, true, true},
      {"enabled with interval 0", [](platform::QtTimer& t) { t.SetEnabled(true); }, true, false},
      {"running, then interval 0",
       [](platform::QtTimer& t) { t.SetInterval(5); t.SetEnabled(true); t.SetInterval(0); }, true, false},
      {"negative interval", [](platform::QtTimer& t) { t.SetInterval(-5); t.SetEnabled(true); }, true, false},
      {"interval, then disabled",
       [](platform::QtTimer& t) { t.SetInterval(5); t.SetEnabled(true); t.SetEnabled(false); }, false, false},
      {"disabled, interval changed",
       [](platform::QtTimer& t) { t.SetInterval(5); t.SetInterval(7); }, false, false},
  };
  for (const TimerCase& c : cases) {
    SCOPED_TRACE(c.name);
    platform::QtTimer timer;
    int ticks = 0;
    timer.tick = [&] { ++ticks; };
    c.setUp(timer);
    EXPECT_EQ(timer.Enabled(), c.enabled);
    EXPECT_EQ(timer.Running(), c.ticks);
    if (c.ticks) {
      EXPECT_TRUE(RunUntil([&] { return ticks >= 3; }, 5000));
    } else {
      // A busy timer would tick thousands of times in this window.
      RunUntil([] { return false; }, 60);
      EXPECT_EQ(ticks, 0);
    }
  }
}

TEST(QtTimerTest, EnablingAgainRestartsThePeriod) {
  platform::QtTimer timer;
  timer.SetInterval(1000);
  timer.SetEnabled(true);
  QElapsedTimer elapsed;
  elapsed.start();
  while (elapsed.elapsed() < 40) QCoreApplication::processEvents();
  ASSERT_LE(timer.RemainingMs(), 970);
  timer.SetEnabled(true);
  EXPECT_GT(timer.RemainingMs(), 980);
  while (elapsed.elapsed() < 80) QCoreApplication::processEvents();
  timer.SetInterval(1000);  // a new interval starts a new period too
  EXPECT_GT(timer.RemainingMs(), 980);
}

class SurfaceEventsTest : public ::testing::Test {
 protected:
  SurfaceEventsTest() : host_(&root_) {
    root_.setGeometry(50, 50, 400, 300);
    root_.show();
    root_.activateWindow();
    QApplication::setActiveWindow(&root_);
  }

  std::unique_ptr<platform::QtSurface> Make(drawing::Surface* parent, const std::string& name) {
    auto s = std::unique_ptr<platform::QtSurface>(static_cast<platform::QtSurface*>(host_.CreateSurface(parent).release()));
    s->Move(10, 10, 100, 80);
    s->SetVisible(true);
    s->events.gotFocus = [this, name] { log_.push_back(name + " got"); };
    s->events.enterFocus = [this, name] { log_.push_back(name + " enter"); };
    s->events.exitFocus = [this, name] { log_.push_back(name + " exit"); };
    s->events.mouseDown = [this, name](int, int, double, double) { log_.push_back(name + " down"); };
    return s;
  }

  std::vector<std::string> TakeLog() { return std::exchange(log_, {}); }

  QWidget root_;
  platform::QtHost host_;
  std::vector<std::string> log_;
};

TEST_F(SurfaceEventsTest, FocusArrivalAndEntryAreSeparateNotifications) {
  auto tree = Make(nullptr, "tree");
  auto bar = Make(tree.get(), "bar");
  auto other = Make(nullptr, "other");

  bar->Widget()->setFocus(Qt::OtherFocusReason);
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{"tree enter", "bar enter", "bar got"}));
  tree->Widget()->setFocus(Qt::OtherFocusReason);  // inside the tree already: no entry
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{"tree got", "bar exit"}));  // surfaces in creation order
  other->Widget()->setFocus(Qt::OtherFocusReason);
  std::vector<std::string> log = TakeLog();
  std::sort(log.begin(), log.end());
  EXPECT_EQ(log, (std::vector<std::string>{"other enter", "other got", "tree exit"}));

  // A press on the surface that has the focus is a press, nothing more.
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(other->Widget(), &press);
  EXPECT_EQ(TakeLog(), std::vector<std::string>{"other down"});
}

TEST_F(SurfaceEventsTest, EverySizeChangeIsReportedOnceAlsoWhileHidden) {
  auto face = Make(nullptr, "face");
  face->SetVisible(false);
  std::vector<QSize> reported;
  face->events.resized = [&] { reported.emplace_back(face->Width(), face->Height()); };

  face->Move(0, 0, 24, 24);
  face->Move(5, 7, 24, 24);  // moved, same size
  face->Move(0, 0, 30, 20);
  EXPECT_EQ(reported, (std::vector<QSize>{{24, 24}, {30, 20}}));
  EXPECT_EQ(face->ScaleWidth(), 30);

  face->SetVisible(true);  // Qt delivers the held-back resize now
  QCoreApplication::processEvents();
  face->Move(0, 0, 40, 20);
  EXPECT_EQ(reported, (std::vector<QSize>{{24, 24}, {30, 20}, {40, 20}}));
}

TEST_F(SurfaceEventsTest, ZeroSizeSurfacesDrawNothingAndStaySilent) {
  static std::vector<std::string>* printed = nullptr;
  std::vector<std::string> messages;
  printed = &messages;
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& text) { printed->push_back(text.toStdString()); });
  for (const QSize size : {QSize(0, 0), QSize(0, 5), QSize(5, 0)}) {
    auto empty = Make(nullptr, "empty");
    empty->Move(0, 0, size.width(), size.height());
    empty->Cls();
    empty->SetCurrentY(3);
    empty->Print("text");
    empty->Line(0, 0, 5, 5, 0);
    empty->Box(0, 0, 5, 5, 0);
    empty->FilledBox(0, 0, 5, 5, 0);
    drawing::Picture picture(2, 2);
    empty->PaintPicture(picture, 0, 0, 4, 4);
    empty->SetPicture(std::make_shared<drawing::Picture>(picture));
    QCoreApplication::processEvents();
    EXPECT_EQ(empty->ScaleWidth(), size.width());
    EXPECT_EQ(empty->ScaleHeight(), size.height());
    EXPECT_GT(empty->CurrentY(), 3);
  }
  qInstallMessageHandler(previous);
  EXPECT_EQ(messages, std::vector<std::string>{});
}

TEST_F(SurfaceEventsTest, WithoutAnXServerTheDesktopServicesSaySoAndSeeOnlyOurWindows) {
  auto tree = Make(nullptr, "tree");  // at (10, 10) in the root window at (50, 50)
  auto bar = Make(tree.get(), "bar");
  bar->Move(80, 0, 20, 80);
  drawing::Image untouched(3, 3, 0xFF123456u);
  EXPECT_FALSE(host_.CaptureScreen({0, 0, 10, 10}, untouched));
  EXPECT_EQ(untouched.Width(), 3);
  EXPECT_EQ(untouched.At(0, 0), 0xFF123456u);
  EXPECT_EQ(host_.AsyncMouseButtons(), 0);
  QCursor::setPos(123, 45);
  EXPECT_EQ(host_.CursorPos(), (drawing::ScreenPoint{123, 45}));
  EXPECT_EQ(host_.WindowFromPoint({50 + 10 + 5, 50 + 10 + 5}), tree->hWnd());
  EXPECT_EQ(host_.WindowFromPoint({50 + 10 + 85, 50 + 10 + 5}), bar->hWnd());
  EXPECT_EQ(host_.WindowFromPoint({2000, 2000}), 0u);
  const drawing::ScreenRect work = host_.WorkAreaAt({-500, -500});
  EXPECT_GT(work.Width(), 0);
}

}  // namespace
