// The desktop-wide wheel under a real X server: notches turned over another
// program's window and over our own, each counted once with its sign and
// left for the window under the cursor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <memory>
#include <vector>

#include "platform/DesktopWheel.h"
#include "tests/x11/X11Harness.h"

namespace {

using platform::DesktopWheel;
using x11test::ForeignProcess;
using x11test::MoveTo;
using x11test::RunTool;
using x11test::WaitUntil;

// Both windows sit apart on the 1024x768 Xvfb screen; there is no window
// manager, so they are placed exactly.
constexpr QRect kForeignPlace(40, 40, 300, 300);
const QRect kOwnPlace(560, 40, 300, 300);

// Our own window: counts the wheel events it gets and middle-button presses,
// which serve as a marker: the X server sends events in order, so once the
// marker press has arrived every notch turned before it has been seen too.
class OwnWindow : public QWidget {
 public:
  int wheelEvents = 0;
  int markers = 0;

 protected:
  void wheelEvent(QWheelEvent* event) override {
    ++wheelEvents;
    event->accept();
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::MiddleButton) ++markers;
  }
};

class DesktopWheelX11Test : public x11test::ForeignWindowSuite<DesktopWheelX11Test> {
 public:
  static constexpr QRect kForeignPlace = ::kForeignPlace;

 protected:
  void SetUp() override { ShowOwnWindow(own_, kOwnPlace); }

  // Runs xdotool with the given commands, then puts the marker, and waits
  // until the marker has arrived.
  void Drive(QStringList commands) {
    const int marker = own_.markers + 1;
    commands << MoveTo(kOwnPlace) << QStringList{"click", "2"};
    RunTool("xdotool", commands);
    ASSERT_TRUE(WaitUntil([&] { return own_.markers == marker; })) << "the marker click never arrived";
  }

  // The window X reports under the pointer after moving it to place.
  static QString WindowUnderPointerAt(const QRect& place) {
    const QString shell = RunTool("xdotool", MoveTo(place) << "getmouselocation" << "--shell");
    for (const QString& line : shell.split('\n'))
      if (line.startsWith("WINDOW=")) return line.mid(7);
    return {};
  }

  std::vector<int> signs_;
  DesktopWheel wheel_{[this](int sign) { signs_.push_back(sign); }};
  OwnWindow own_;
};

TEST_F(DesktopWheelX11Test, NotchesOverAnotherProgramsWindowAreCountedAndStillReachIt) {
  wheel_.Install();
  ASSERT_EQ(wheel_.ActiveSource(), DesktopWheel::Source::X11Raw);
  ASSERT_EQ(WindowUnderPointerAt(kForeignPlace), foreign_->WindowId()) << "the pointer is not over the foreign window";
  const std::size_t before = foreign_->Wheels().size();

  Drive(MoveTo(kForeignPlace) << QStringList{"click", "4", "click", "5", "click", "5"});

  EXPECT_EQ(signs_, (std::vector<int>{+1, -1, -1}));
  EXPECT_TRUE(WaitUntil([&] { return foreign_->Wheels().size() == before + 3; }))
      << "the foreign window did not get its notches";
  EXPECT_EQ(own_.wheelEvents, 0);
}

TEST_F(DesktopWheelX11Test, NotchesOverOurOwnWindowAreCountedOnce) {
  wheel_.Install();
  Drive(MoveTo(kOwnPlace) << QStringList{"click", "4", "click", "4", "click", "5"});
  EXPECT_EQ(signs_, (std::vector<int>{+1, +1, -1}));
  EXPECT_EQ(own_.wheelEvents, 3);
}

TEST_F(DesktopWheelX11Test, ABurstCountsEveryNotch) {
  wheel_.Install();
  Drive(MoveTo(kForeignPlace) << QStringList{"click", "--repeat", "40", "--delay", "1", "5"}
                              << QStringList{"click", "--repeat", "10", "--delay", "1", "4"});
  std::vector<int> expected(40, -1);
  expected.insert(expected.end(), 10, +1);
  EXPECT_EQ(signs_, expected);
}

TEST_F(DesktopWheelX11Test, HorizontalWheelAndOtherButtonsAreNotNotches) {
  wheel_.Install();
  Drive(MoveTo(kForeignPlace) << QStringList{"click", "6", "click", "7", "click", "1", "click", "3"});
  EXPECT_TRUE(signs_.empty());
}

TEST_F(DesktopWheelX11Test, InstallTwiceCountsOnceAndRemoveStopsCounting) {
  wheel_.Install();
  wheel_.Install();
  Drive(MoveTo(kForeignPlace) << QStringList{"click", "4"});
  EXPECT_EQ(signs_, std::vector<int>{+1});

  wheel_.Remove();
  wheel_.Remove();
  Drive(MoveTo(kForeignPlace) << QStringList{"click", "4", "click", "5"});
  EXPECT_EQ(signs_, std::vector<int>{+1});

  wheel_.Install();
  Drive(MoveTo(kForeignPlace) << QStringList{"click", "5"});
  EXPECT_EQ(signs_, (std::vector<int>{+1, -1}));
}

TEST_F(DesktopWheelX11Test, TwoSourcesShareTheSelectionUntilTheLastGoes) {
  std::vector<int> otherSigns;
  auto other = std::make_unique<DesktopWheel>([&otherSigns](int sign) { otherSigns.push_back(sign); });
  wheel_.Install();
  other->Install();
  Drive(MoveTo(kForeignPlace) << QStringList{"click", "4"});
  other.reset();
  Drive(MoveTo(kForeignPlace) << QStringList{"click", "5"});
  EXPECT_EQ(signs_, (std::vector<int>{+1, -1}));
  EXPECT_EQ(otherSigns, std::vector<int>{+1});
}

}  // namespace
