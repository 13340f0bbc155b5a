// A popup's drawn shadow on a screen of two device pixels per logical pixel
// (run with QT_SCALE_FACTOR=2): it shows the screen's own pixels from
// behind it, darkened, at the place and density they have there.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>
#include <memory>

#include "platform/QtHost.h"
#include "platform/QtSurface.h"
#include "tests/x11/X11Harness.h"

namespace {

using x11test::WaitUntil;

constexpr double kRatio = 2.0;

// Columns one device pixel wide, and rows that change colour every device
// pixel: a copy from another place or at another density shows otherwise.
class Stripes : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QImage image(static_cast<int>(width() * kRatio), static_cast<int>(height() * kRatio), QImage::Format_RGB32);
    image.setDevicePixelRatio(kRatio);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        image.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb((y * 5) % 256, 40, 255 - (y * 3) % 256));
    QPainter(this).drawImage(0, 0, image);
  }
};

QImage Grab(const QRect& logical) {
  return QGuiApplication::primaryScreen()->grabWindow(0, logical.x(), logical.y(), logical.width(), logical.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

QRgb Darker(QRgb p, int keep) {
  return qRgb(qRed(p) * keep >> 8, qGreen(p) * keep >> 8, qBlue(p) * keep >> 8);
}

TEST(HiDpiX11Test, ShadowShowsTheScreenBehindItAtItsPlaceAndDensity) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  if (QGuiApplication::primaryScreen()->devicePixelRatio() != kRatio)
    GTEST_SKIP() << "needs a screen of device pixel ratio 2 (QT_SCALE_FACTOR=2)";
  Stripes behind;
  behind.setWindowFlag(Qt::FramelessWindowHint);
  behind.setGeometry(100, 100, 300, 200);
  behind.show();
  ASSERT_TRUE(WaitUntil([&] { return behind.windowHandle() && behind.windowHandle()->isExposed(); }));
  ASSERT_TRUE(WaitUntil([] { return Grab(QRect(110, 110, 1, 1)).pixel(1, 0) == qRgb(255, 255, 255); }));

  platform::QtHost host;
  auto popup = host.CreateSurface(nullptr);
  const QRect place(150, 150, 80, 40);
  popup->Move(place.x(), place.y(), place.width(), place.height());
  popup->SetBackColor(0x0000FF00);
  popup->SetAutoRedraw(true);
  popup->Cls();
  popup->SetAutoRedraw(false);
  popup->SetDropShadow(true);
  popup->LiftToDesktop();

  constexpr int kOffset = platform::QtSurface::kShadowOffset, kSoft = platform::QtSurface::kShadowSoftness;
  const QRect area = place.translated(kOffset, kOffset);
  const QImage before = Grab(area);
  ASSERT_EQ(before.size(), area.size() * kRatio);
  popup->SetVisible(true);
  // The popup is up once its colour is on the screen; the shadow went up first.
  ASSERT_TRUE(WaitUntil([&] { return Grab(QRect(place.topLeft() + QPoint(2, 2), QSize(1, 1))).pixel(0, 0) == qRgb(0, 255, 0); }));
  const QImage after = Grab(area);

  // Every device pixel of the strips right of and below the popup: the
  // pixel behind it at that very place, darkened by its distance from the
  // shadow's edge (in logical pixels).
  const auto keep = [&](int lx, int ly) {
    const int edge = std::clamp(std::min({lx + 1, area.width() - lx, ly + 1, area.height() - ly}), 0, kSoft);
    return 256 - 96 * edge / kSoft;
  };
  int checked = 0, wrong = 0;
  for (int y = 0; y < after.height(); ++y)
    for (int x = 0; x < after.width(); ++x) {
      const int lx = static_cast<int>(x / kRatio), ly = static_cast<int>(y / kRatio);
      const bool underPopup = lx < area.width() - kOffset && ly < area.height() - kOffset;
      if (underPopup) continue;
      ++checked;
      if (after.pixel(x, y) != Darker(before.pixel(x, y), keep(lx, ly))) ++wrong;
    }
  EXPECT_GT(checked, 0);
  EXPECT_EQ(wrong, 0) << "of " << checked << " shadow pixels";
  // The stripes survive: neighbouring device columns stay apart.
  const int y = static_cast<int>((area.height() - 2) * kRatio), x = static_cast<int>((area.width() / 2) * kRatio);
  EXPECT_NE(after.pixel(x, y), after.pixel(x + 1, y));
}

}  // namespace
