#pragma once
// What the X11 tests share: waiting on the X server, running xdotool, and
// "another program" (a foreign window in a process of its own).
#include <QGuiApplication>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace x11test {

// Runs the event loop until done() holds or the deadline passes. The wake-up
// timer only bounds each wait: what is waited for comes from the X server.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 10000);

// Runs a tool to its end; a failure is a test failure. Returns its output.
QString RunTool(const QString& program, const QStringList& arguments);

// xdotool arguments that put the pointer on the centre of place.
QStringList MoveTo(const QRect& place);
// xdotool arguments that put the pointer on a screen point.
QStringList MoveTo(int x, int y);

// The foreign window process (see ForeignWindow.h).
class ForeignProcess {
 public:
  explicit ForeignProcess(const QRect& place) : place_(place) {}
  ~ForeignProcess();
  ForeignProcess(const ForeignProcess&) = delete;
  ForeignProcess& operator=(const ForeignProcess&) = delete;

  // Starts it and waits for its window to be on screen.
  bool Start();
  const QString& WindowId() const { return windowId_; }
  // Wheel angles the foreign window reported so far.
  const std::vector<int>& Wheels();

 private:
  void Read();

  QRect place_;
  QProcess process_;
  QString windowId_;
  std::vector<int> wheels_;
};

// A suite with another program's window at Suite::kForeignPlace for its
// whole run, and our own frameless window shown where each test wants it.
template <class Suite>
class ForeignWindowSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    foreign_ = new ForeignProcess(Suite::kForeignPlace);
    foreignStarted_ = foreign_->Start();
  }
  static void TearDownTestSuite() {
    delete foreign_;
    foreign_ = nullptr;
  }

  // Fails the test unless the X server, the foreign window and own are up.
  static void ShowOwnWindow(QWidget& own, const QRect& place) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    ASSERT_TRUE(foreignStarted_) << "the foreign window did not appear";
    own.setWindowFlag(Qt::FramelessWindowHint);
    own.setGeometry(place);
    own.show();
    ASSERT_TRUE(WaitUntil([&own] { return own.windowHandle() && own.windowHandle()->isExposed(); }));
  }

  inline static ForeignProcess* foreign_ = nullptr;
  inline static bool foreignStarted_ = false;
};

}  // namespace x11test
