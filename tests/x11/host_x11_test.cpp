// The Qt host against a real X server: pointer input as the server sends it,
// and the desktop services that ask the server (pointer, windows, buttons,
// screen pixels), with another program's window on the same screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <memory>
#include <string>
#include <vector>

#include "drawing/Region.h"
#include "platform/QtHost.h"
#include "platform/QtSurface.h"
#include "tests/x11/X11Harness.h"

namespace {

using drawing::Colour;
using x11test::MoveTo;
using x11test::RunTool;
using x11test::WaitUntil;

// Apart on the 1024x768 Xvfb screen; without a window manager windows sit
// exactly where they are put.
constexpr QRect kForeignPlace(40, 400, 300, 300);
const QRect kOwnPlace(400, 40, 400, 300);

class HostX11Test : public x11test::ForeignWindowSuite<HostX11Test> {
 public:
  static constexpr QRect kForeignPlace = ::kForeignPlace;

 protected:
  HostX11Test() : host_(&root_) {}

  void SetUp() override { ShowOwnWindow(root_, kOwnPlace); }

  std::unique_ptr<platform::QtSurface> Make(drawing::Surface* parent, int left, int top, int width, int height) {
    auto s = std::unique_ptr<platform::QtSurface>(static_cast<platform::QtSurface*>(host_.CreateSurface(parent).release()));
    s->Move(left, top, width, height);
    s->SetVisible(true);
    return s;
  }

  // The screen's pixel at a point, read back through the host.
  Colour ScreenAt(int x, int y) {
    drawing::Image one;
    if (!host_.CaptureScreen({x, y, x + 1, y + 1}, one)) return 0xFFFFFFFFu;
    return drawing::FromPixel(one.At(0, 0));
  }
  // Waits until the screen shows colour at a point (windows reach the
  // screen when the server has drawn them, not when Qt returns).
  bool ScreenShows(int x, int y, Colour colour) {
    return WaitUntil([&] { return ScreenAt(x, y) == colour; }, 5000);
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

TEST_F(HostX11Test, TheServerTellsEveryWindowUnderAPointApart) {
  auto tree = Make(nullptr, 20, 30, 200, 150);
  auto bar = Make(tree.get(), 180, 0, 20, 150);  // the tree's scroll bar, inside it
  bar->SetBackColor(0x00203040);
  bar->Cls();
  ASSERT_TRUE(ScreenShows(kOwnPlace.x() + 20 + 185, kOwnPlace.y() + 30 + 10, 0x00203040));
  const auto at = [this](int x, int y) { return host_.WindowFromPoint({x, y}); };
  const int ox = kOwnPlace.x(), oy = kOwnPlace.y();
  EXPECT_EQ(at(ox + 30, oy + 40), tree->hWnd());
  EXPECT_EQ(at(ox + 20 + 185, oy + 30 + 10), bar->hWnd());
  const drawing::WindowHandle outside = at(ox + 300, oy + 250);  // our window, no surface
  EXPECT_NE(outside, 0u);
  EXPECT_NE(outside, tree->hWnd());
  EXPECT_NE(outside, bar->hWnd());
  // Another program's window is its own X window, whatever lies beneath.
  EXPECT_EQ(at(kForeignPlace.center().x(), kForeignPlace.center().y()), foreign_->WindowId().toULongLong());
  const drawing::WindowHandle desktop = at(1010, 750);
  EXPECT_NE(desktop, 0u);
  EXPECT_NE(desktop, outside);
  EXPECT_NE(desktop, foreign_->WindowId().toULongLong());
}

TEST_F(HostX11Test, PointerAndButtonsComeFromTheServer) {
  RunTool("xdotool", MoveTo(kForeignPlace));
  EXPECT_EQ(host_.CursorPos(), (drawing::ScreenPoint{kForeignPlace.center().x(), kForeignPlace.center().y()}));
  struct Case {
    const char* button;
    int expected;
  };
  for (const Case c : {Case{"1", drawing::kLeftButton}, Case{"2", drawing::kMiddleButton}, Case{"3", drawing::kRightButton}}) {
    SCOPED_TRACE(c.button);
    // Held over the other program's window: that program has the press.
    RunTool("xdotool", {"mousedown", c.button});
    EXPECT_EQ(host_.AsyncMouseButtons(), c.expected);
    EXPECT_EQ(QGuiApplication::mouseButtons(), Qt::NoButton);  // Qt alone would not know
    RunTool("xdotool", {"mouseup", c.button});
    EXPECT_EQ(host_.AsyncMouseButtons(), 0);
  }
}

TEST_F(HostX11Test, WorkAreaAndScreenPixels) {
  EXPECT_EQ(host_.WorkAreaAt({500, 300}), (drawing::ScreenRect{0, 0, 1024, 768}));
  EXPECT_EQ(host_.WorkAreaAt({5000, -300}), (drawing::ScreenRect{0, 0, 1024, 768}));  // the nearest screen
  auto face = Make(nullptr, 10, 10, 50, 40);
  face->SetBackColor(0x00336699);
  face->Cls();
  const int x = kOwnPlace.x() + 10, y = kOwnPlace.y() + 10;
  ASSERT_TRUE(ScreenShows(x + 49, y + 39, 0x00336699));
  drawing::Image shot;
  ASSERT_TRUE(host_.CaptureScreen({x, y, x + 50, y + 40}, shot));
  ASSERT_EQ(shot.Width(), 50);
  int others = 0;
  for (int py = 0; py < 40; ++py)
    for (int px = 0; px < 50; ++px) others += drawing::FromPixel(shot.At(px, py)) != 0x00336699;
  EXPECT_EQ(others, 0);
  // Beyond the screen's edge there is nothing to read: black, the rest as shown.
  ASSERT_TRUE(host_.CaptureScreen({1020, 760, 1030, 770}, shot));
  EXPECT_EQ(shot.At(9, 9), 0xFF000000u);
}

TEST_F(HostX11Test, APopupIsShapedKeyedShadowedAndNeverActive) {
  // A blue surface lies behind the place of the popup.
  auto behind = Make(nullptr, 0, 0, 400, 300);
  behind->SetBackColor(0x00FF0000);
  behind->Cls();
  const int left = kOwnPlace.x() + 100, top = kOwnPlace.y() + 100;
  ASSERT_TRUE(ScreenShows(left + 5, top + 5, 0x00FF0000));
  QWidget* active = QApplication::activeWindow();

  // Built as the balloon builds it: hidden child, drawn, shaped, lifted, keyed.
  auto popup = Make(behind.get(), left, top, 60, 40);
  popup->SetVisible(false);
  popup->SetBackColor(0x0000FF00);
  popup->SetAutoRedraw(true);
  popup->Cls();
  constexpr Colour kKey = 0x00000001;
  popup->FilledBox(20, 10, 29, 19, kKey);
  drawing::Region shape(60, 40);
  for (int y = 0; y < 40; ++y) shape.IncludeSpan(y, y < 5 ? 5 : 0, 60);  // top-left corner cut
  popup->SetWindowShape(shape);
  popup->SetDropShadow(true);
  popup->SetAutoRedraw(false);
  popup->LiftToDesktop();
  EXPECT_FALSE(popup->Visible());
  EXPECT_TRUE(popup->SetLayered(255, kKey));
  popup->FilledBox(40, 10, 49, 19, kKey);  // drawn after the key was set
  popup->SetVisible(true);

  ASSERT_TRUE(ScreenShows(left + 10, top + 30, 0x0000FF00)) << "the popup never showed";
  EXPECT_EQ(ScreenAt(left + 1, top + 1), 0x00FF0000u);    // the cut corner
  EXPECT_EQ(ScreenAt(left + 25, top + 15), 0x00FF0000u);  // key pixels, drawn before
  EXPECT_EQ(ScreenAt(left + 45, top + 15), 0x00FF0000u);  // and after SetLayered
  // The shadow: right of and below the popup, darker than what lies there.
  const Colour shade = ScreenAt(left + 62, top + 20);
  EXPECT_LT(drawing::BlueOf(shade), 0xFF);
  EXPECT_EQ(drawing::RedOf(shade), 0);
  EXPECT_EQ(ScreenAt(left + 80, top + 20), 0x00FF0000u);

  const auto at = [this](int x, int y) { return host_.WindowFromPoint({x, y}); };
  EXPECT_EQ(at(left + 10, top + 30), popup->hWnd());
  EXPECT_EQ(at(left + 62, top + 20), popup->hWnd());  // its shadow counts as the popup
  EXPECT_EQ(at(left + 1, top + 1), behind->hWnd());
  EXPECT_EQ(at(left + 25, top + 15), behind->hWnd());

  auto* widget = static_cast<platform::QtSurface&>(*popup).Widget();
  EXPECT_TRUE(widget->isWindow());
  EXPECT_EQ(widget->geometry(), QRect(left, top, 60, 40));  // at its screen position
  EXPECT_EQ(QApplication::activeWindow(), active);
  EXPECT_FALSE(widget->hasFocus());
  const QString id = QString::number(widget->winId());
  EXPECT_TRUE(RunTool("xwininfo", {"-id", id}).contains("Override Redirect State: yes"));
  EXPECT_TRUE(RunTool("xprop", {"-id", id, "_NET_WM_WINDOW_TYPE"}).contains("_NET_WM_WINDOW_TYPE_TOOLTIP"));

  QPointer<QWidget> shadow = static_cast<platform::QtSurface&>(*popup).ShadowWindow();
  ASSERT_TRUE(shadow);
  EXPECT_TRUE(shadow->isVisible());
  popup->SetVisible(false);
  EXPECT_FALSE(shadow->isVisible());
  popup.reset();
  // Kept hidden for the next popup's shadow, it no longer stands for this one.
  ASSERT_TRUE(shadow);
  EXPECT_FALSE(shadow->isVisible());
  EXPECT_EQ(platform::SurfaceHandleOf(shadow), 0u);
}

}  // namespace
