// The Qt host against a real X server: pointer input as the server sends it,
// and the desktop services that ask the server (pointer, windows, buttons,
// screen pixels), with another program's window on the same screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <memory>
#include <string>
#include <vector>

#include "platform/QtHost.h"
#include "platform/QtSurface.h"
#include "tests/x11/X11Harness.h"

namespace {

using x11test::MoveTo;
using x11test::RunTool;
using x11test::WaitUntil;

// Apart on the 1024x768 Xvfb screen; without a window manager windows sit
// exactly where they are put.
const QRect kForeignPlace(40, 400, 300, 300);
const QRect kOwnPlace(400, 40, 400, 300);

class HostX11Test : public ::testing::Test {
 protected:
  HostX11Test() : host_(&root_) {}

  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    root_.setWindowFlag(Qt::FramelessWindowHint);
    root_.setGeometry(kOwnPlace);
    root_.show();
    ASSERT_TRUE(WaitUntil([this] { return root_.windowHandle() && root_.windowHandle()->isExposed(); }));
  }

  std::unique_ptr<platform::QtSurface> Make(drawing::Surface* parent, int left, int top, int width, int height) {
    auto s = std::unique_ptr<platform::QtSurface>(static_cast<platform::QtSurface*>(host_.CreateSurface(parent).release()));
    s->Move(left, top, width, height);
    s->SetVisible(true);
    return s;
  }

  QWidget root_;
  platform::QtHost host_;
};

TEST_F(HostX11Test, ADoubleClickArrivesAsPressReleaseDoubleClickRelease) {
  auto surface = Make(nullptr, 20, 30, 200, 100);
  std::vector<std::string> log;
  const auto record = [&log](const char* what) {
    return [&log, what](int button, int shift, double x, double y) {
      log.push_back(std::string(what) + " " + std::to_string(button) + " " + std::to_string(shift) + " " +
                    std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y)));
    };
  };
  surface->events.mouseDown = record("down");
  surface->events.mouseUp = record("up");
  surface->events.doubleClick = record("double");
  // The surface's (50, 40) on the screen.
  const QStringList point = MoveTo(kOwnPlace.x() + 20 + 50, kOwnPlace.y() + 30 + 40);
  RunTool("xdotool", point + QStringList{"keydown", "shift", "click", "--repeat", "2", "--delay", "40", "1",
                                         "keyup", "shift"});
  ASSERT_TRUE(WaitUntil([&] { return log.size() >= 4; }));
  x11test::WaitUntil([] { return false; }, 100);  // nothing may follow
  EXPECT_EQ(log, (std::vector<std::string>{"down 1 1 50,40", "up 1 1 50,40", "double 1 1 50,40", "up 1 1 50,40"}));
}

}  // namespace
