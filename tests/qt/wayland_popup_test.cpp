// A lifted surface under Wayland (run inside a weston session with
// QT_QPA_PLATFORM=wayland): a popup placed relative to the window it came
// from, shown without a drawn shadow. Elsewhere the suite is skipped.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <functional>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include "platform/QtHost.h"
#include "platform/QtSurface.h"

namespace {

bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return done();
}

TEST(WaylandPopup, LiftedSurfaceIsAPopupOfItsWindow) {
  if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
    GTEST_SKIP() << "needs a Wayland session (QT_QPA_PLATFORM=wayland)";
  QWidget window;
  window.resize(400, 300);
  window.show();
  ASSERT_TRUE(WaitFor([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
  platform::QtHost host(&window);
  auto tree = host.CreateSurface(nullptr);
  tree->Move(0, 0, 200, 300);
  tree->SetVisible(true);
  // Built as the balloon builds it: a hidden child of the tree, then lifted.
  auto popup = host.CreateSurface(tree.get());
  popup->Move(120, 80, 60, 20);
  popup->SetBackColor(0x0000FF00);
  popup->SetAutoRedraw(true);
  popup->Cls();
  popup->SetDropShadow(true);
  popup->LiftToDesktop();
  popup->SetVisible(true);
  auto& qt = static_cast<platform::QtSurface&>(*popup);
  ASSERT_TRUE(qt.Widget()->windowHandle());
  EXPECT_EQ(qt.Widget()->windowHandle()->transientParent(), window.windowHandle());
  EXPECT_TRUE(WaitFor([&] { return qt.Widget()->windowHandle()->isExposed(); })) << "the popup never showed";
  EXPECT_EQ(qt.Widget()->geometry(), QRect(120, 80, 60, 20));
  EXPECT_FALSE(qt.ShadowWindow()) << "a drawn shadow needs the screen's pixels, which Wayland keeps";
}

}  // namespace
