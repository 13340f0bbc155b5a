// The Qt drawing surface: pixels of its retained image, the border, input
// coordinates, and the system palette.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <stdexcept>

#include "drawing/RasterOps.h"
#include "platform/QtHost.h"
#include "platform/QtSurface.h"

namespace {

using drawing::Colour;

class QtSurfaceTest : public ::testing::Test {
 protected:
  QtSurfaceTest() : host_(&root_) { root_.resize(400, 300); }

  std::unique_ptr<platform::QtSurface> Make(int w, int h) {
    auto s = std::unique_ptr<platform::QtSurface>(
        static_cast<platform::QtSurface*>(host_.CreateSurface(nullptr).release()));
    s->Move(0, 0, w, h);
    return s;
  }
  static Colour At(const platform::QtSurface& s, int x, int y) {
    return drawing::FromPixel(s.Image().pixel(x, y));
  }

  QWidget root_;
  platform::QtHost host_;
};

TEST_F(QtSurfaceTest, ClsFillsTheResolvedBackColourThenThePicture) {
  auto s = Make(40, 30);
  s->SetBackColor(drawing::kButtonFace);
  s->Cls();
  const QColor face = QApplication::palette().color(QPalette::Active, QPalette::Button);
  EXPECT_EQ(At(*s, 39, 29), drawing::MakeColour(face.red(), face.green(), face.blue()));

  auto picture = std::make_shared<drawing::Picture>(4, 3, drawing::ToPixel(0x000000FF));
  s->SetBackColor(0x00102030);
  s->SetPicture(picture);
  s->Cls();
  EXPECT_EQ(At(*s, 0, 0), 0x000000FFu);
  EXPECT_EQ(At(*s, 3, 2), 0x000000FFu);
  EXPECT_EQ(At(*s, 4, 2), 0x00102030u);
  EXPECT_EQ(At(*s, 3, 3), 0x00102030u);
}

TEST_F(QtSurfaceTest, FilledBoxAndBoxIncludeBothCorners) {
  auto s = Make(20, 20);
  s->SetBackColor(0);
  s->Cls();
  s->FilledBox(2, 3, 5, 7, 0x0000FF00);
  EXPECT_EQ(At(*s, 2, 3), 0x0000FF00u);
  EXPECT_EQ(At(*s, 5, 7), 0x0000FF00u);
  EXPECT_EQ(At(*s, 6, 7), 0u);
  EXPECT_EQ(At(*s, 5, 8), 0u);
  EXPECT_EQ(At(*s, 1, 3), 0u);

  s->Box(10, 10, 15, 14, 0x00FF0000);
  EXPECT_EQ(At(*s, 10, 10), 0x00FF0000u);
  EXPECT_EQ(At(*s, 15, 14), 0x00FF0000u);
  EXPECT_EQ(At(*s, 12, 12), 0u);  // outline only
}

TEST_F(QtSurfaceTest, TextIsDrawnInTheForeColourInsideItsMeasuredBox) {
  auto s = Make(200, 40);
  s->SetBackColor(0x00FFFFFF);
  s->Cls();
  s->SetFont(drawing::Font{"Arial", 9, 204, 400});
  s->SetForeColor(0x000000FF);
  s->SetCurrentX(10);
  s->SetCurrentY(5);
  s->Print("WWW");
  const double w = s->TextWidth("WWW");
  const double h = s->TextHeight("WWW");
  EXPECT_GT(w, 20);
  EXPECT_LT(w, 40);
  int inside = 0, outside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) {
      const Colour c = At(*s, x, y);
      if (c == 0x00FFFFFFu) continue;
      const bool in = x >= 10 && x <= 10 + w && y >= 5 && y <= 5 + h;
      (in ? inside : outside)++;
      if (in) {
        EXPECT_GT(drawing::RedOf(c), drawing::BlueOf(c));
      }
    }
  EXPECT_GT(inside, 20);
  EXPECT_EQ(outside, 0);
  EXPECT_DOUBLE_EQ(s->CurrentX(), 0);
  EXPECT_DOUBLE_EQ(s->CurrentY(), 5 + h);
}

TEST_F(QtSurfaceTest, AWidthMeasuredBeforeAFontChangeIsMeasuredAgainAfterIt) {
  auto s = Make(10, 10);
  s->SetFont(drawing::Font{"Arial", 9, 204, 400});
  const double small = s->TextWidth("WWW");
  s->SetFont(drawing::Font{"Arial", 18, 204, 400});
  EXPECT_GT(s->TextWidth("WWW"), 1.5 * small);
  s->SetFont(drawing::Font{"Arial", 9, 204, 400});
  EXPECT_DOUBLE_EQ(s->TextWidth("WWW"), small);
}

TEST_F(QtSurfaceTest, BorderShrinksTheImageAndShiftsInput) {
  auto s = Make(50, 40);
  EXPECT_EQ(s->ScaleWidth(), 50);
  s->SetBorderStyle(1);
  s->SetAppearance(1);
  EXPECT_EQ(s->ScaleWidth(), 46);
  EXPECT_EQ(s->ScaleHeight(), 36);
  s->SetAppearance(0);
  EXPECT_EQ(s->ScaleWidth(), 48);

  double gotX = -1, gotY = -1;
  s->events.mouseDown = [&](int, int, double x, double y) {
    gotX = x;
    gotY = y;
    throw std::runtime_error("a failing handler");
  };
  s->SetVisible(true);
  root_.show();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(11, 21), QPointF(11, 21), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(s->Widget(), &press);  // the exception stays inside
  EXPECT_DOUBLE_EQ(gotX, 10);
  EXPECT_DOUBLE_EQ(gotY, 20);
}

TEST_F(QtSurfaceTest, RetainedImageKeepsItsTopLeftOnResizeAndTakesRasterOps) {
  auto s = Make(10, 10);
  s->SetBackColor(0x00000080);
  s->Cls();
  s->FilledBox(0, 0, 4, 4, 0x0000FF00);
  s->Move(0, 0, 20, 15);
  EXPECT_EQ(At(*s, 4, 4), 0x0000FF00u);
  EXPECT_EQ(At(*s, 19, 14), 0x00000080u);

  drawing::Image source(2, 2, drawing::ToPixel(0x00FF0000));
  drawing::BitBlt(s->Pixels(), 8, 8, 2, 2, source.View(), 0, 0);
  EXPECT_EQ(At(*s, 9, 9), 0x00FF0000u);
  EXPECT_EQ(At(*s, 10, 10), 0x00000080u);
}

TEST_F(QtSurfaceTest, SystemColoursFollowThePalette) {
  const QPalette& p = QApplication::palette();
  const QColor window = p.color(QPalette::Active, QPalette::Window);
  EXPECT_EQ(host_.ResolveColour(0x80000004u), drawing::MakeColour(window.red(), window.green(), window.blue()));
  const QColor text = p.color(QPalette::Active, QPalette::ButtonText);
  EXPECT_EQ(host_.ResolveColour(0x80000012u), drawing::MakeColour(text.red(), text.green(), text.blue()));
  EXPECT_EQ(host_.ResolveColour(0x00123456u), 0x00123456u);
  EXPECT_EQ(host_.TwipsPerPixelX(), 15);
}

}  // namespace
