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
#include "tests/x11/ForeignWindow.h"

namespace {

using platform::DesktopWheel;

// Both windows sit apart on the 1024x768 Xvfb screen; there is no window
// manager, so they are placed exactly.
const QRect kForeignPlace(40, 40, 300, 300);
const QRect kOwnPlace(560, 40, 300, 300);

// Runs the event loop until done() holds or the deadline passes. The wake-up
// timer only bounds each wait: what is waited for comes from the X server.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 10000) {
  QDeadlineTimer deadline(milliseconds);
  QTimer wakeUp;
  wakeUp.start(50);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

QString RunTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString() << " failed: "
                  << process.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QStringList MoveTo(const QRect& place) {
  return {"mousemove", QString::number(place.center().x()), QString::number(place.center().y())};
}

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

class ForeignProcess {
 public:
  bool Start() {
    process_.start(QCoreApplication::applicationFilePath(),
                   {x11test::kForeignWindowFlag, QString::number(kForeignPlace.x()), QString::number(kForeignPlace.y()),
                    QString::number(kForeignPlace.width()), QString::number(kForeignPlace.height())});
    return WaitUntil([this] {
      Read();
      return !windowId_.isEmpty() || process_.state() == QProcess::NotRunning;
    }) && !windowId_.isEmpty();
  }

  ~ForeignProcess() {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(5000)) process_.kill();
    process_.waitForFinished(5000);
  }

  const QString& WindowId() const { return windowId_; }
  // Wheel angles the foreign window reported so far.
  const std::vector<int>& Wheels() {
    Read();
    return wheels_;
  }

 private:
  void Read() {
    while (process_.canReadLine()) {
      const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
      if (line.startsWith("window ")) windowId_ = line.mid(7);
      if (line.startsWith("wheel ")) wheels_.push_back(line.mid(6).toInt());
    }
  }

  QProcess process_;
  QString windowId_;
  std::vector<int> wheels_;
};

class DesktopWheelX11Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    foreign_ = new ForeignProcess;
    foreignStarted_ = foreign_->Start();
  }
  static void TearDownTestSuite() {
    delete foreign_;
    foreign_ = nullptr;
  }

  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    ASSERT_TRUE(foreignStarted_) << "the foreign window did not appear";
    own_.setWindowFlag(Qt::FramelessWindowHint);
    own_.setGeometry(kOwnPlace);
    own_.show();
    ASSERT_TRUE(WaitUntil([this] { return own_.windowHandle()->isExposed(); }));
  }

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

  static ForeignProcess* foreign_;
  static bool foreignStarted_;
  std::vector<int> signs_;
  DesktopWheel wheel_{[this](int sign) { signs_.push_back(sign); }};
  OwnWindow own_;
};

ForeignProcess* DesktopWheelX11Test::foreign_ = nullptr;
bool DesktopWheelX11Test::foreignStarted_ = false;

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
