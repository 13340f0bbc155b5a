// One contract for every drawing::Surface: the fake the controls' unit tests
// draw on and the Qt surface the reader shows must give the same pixels and
// the same events, so that a pixel test on the fake means what the screen
// shows. Text is compared by position only: the fake has no glyphs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drawing/Surface.h"
#include "platform/QtHost.h"
#include "platform/QtSurface.h"
#include "tests/fakes/FakeHost.h"

namespace {

using drawing::Colour;

// Where a printed text left its mark, inclusive pixel bounds.
struct Mark {
  int left = 0, top = 0, right = -1, bottom = -1;
  bool Empty() const { return right < left || bottom < top; }
};

struct FakeSide {
  fakes::FakeHost host;

  std::unique_ptr<drawing::Surface> Make(int width, int height) {
    auto s = host.CreateSurface(nullptr);
    s->Move(0, 0, width, height);
    s->SetVisible(true);
    return s;
  }
  // The fake prints no glyphs: its mark is the text box it recorded.
  static Mark TextMark(drawing::Surface& surface, Colour) {
    const auto& printed = static_cast<fakes::FakeSurface&>(surface).Printed();
    if (printed.empty()) return {};
    const fakes::PrintedText& p = printed.back();
    return {static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)),
            static_cast<int>(std::floor(p.x + surface.TextWidth(p.text))) - 1,
            static_cast<int>(std::floor(p.y + surface.TextHeight(p.text))) - 1};
  }
  static void Press(drawing::Surface& s, int x, int y) { Fake(s).PressMouse(drawing::kLeftButton, 0, x, y); }
  static void Release(drawing::Surface& s, int x, int y) { Fake(s).ReleaseMouse(drawing::kLeftButton, 0, x, y); }
  static void Drag(drawing::Surface& s, int x, int y) { Fake(s).MoveMouse(drawing::kLeftButton, 0, x, y); }
  static void Hover(drawing::Surface& s, int x, int y) { Fake(s).MoveMouse(0, 0, x, y); }
  static void DoubleClick(drawing::Surface& s, int x, int y) {
    Fake(s).PressMouse(drawing::kLeftButton, 0, x, y);
    Fake(s).ReleaseMouse(drawing::kLeftButton, 0, x, y);
    Fake(s).DoubleClickMouse(drawing::kLeftButton, 0, x, y);
    Fake(s).ReleaseMouse(drawing::kLeftButton, 0, x, y);
  }
  static fakes::FakeSurface& Fake(drawing::Surface& s) { return static_cast<fakes::FakeSurface&>(s); }
  static bool SameParent(drawing::Surface& a, drawing::Surface& b) { return Fake(a).Parent() == Fake(b).Parent(); }
  std::function<bool()> Alive(drawing::Surface& s) {
    return [this, p = &s] {
      const auto& all = host.Surfaces();
      return std::find(all.begin(), all.end(), p) != all.end();
    };
  }
};

struct QtSide {
  QWidget root;
  platform::QtHost host{&root};

  QtSide() {
    root.setGeometry(20, 20, 400, 300);
    root.show();
  }
  std::unique_ptr<drawing::Surface> Make(int width, int height) {
    auto s = host.CreateSurface(nullptr);
    s->Move(10, 10, width, height);
    s->SetVisible(true);
    return s;
  }
  // The bounding box of every pixel that is not the background.
  static Mark TextMark(drawing::Surface& surface, Colour background) {
    const drawing::PixelView v = surface.Pixels();
    Mark m{v.width, v.height, -1, -1};
    for (int y = 0; y < v.height; ++y)
      for (int x = 0; x < v.width; ++x)
        if (drawing::FromPixel(v.At(x, y)) != background) {
          m.left = std::min(m.left, x);
          m.top = std::min(m.top, y);
          m.right = std::max(m.right, x);
          m.bottom = std::max(m.bottom, y);
        }
    return m;
  }
  // Input goes in where the window system puts it: at the top-level window,
  // through Qt's own press/release/double-click recognition.
  static QWindow* Window(drawing::Surface& s) { return Widget(s)->window()->windowHandle(); }
  static QPoint At(drawing::Surface& s, int x, int y) {
    const int b = static_cast<platform::QtSurface&>(s).BorderWidth();
    return Widget(s)->mapTo(Widget(s)->window(), QPoint(x + b, y + b));
  }
  static void Press(drawing::Surface& s, int x, int y) { QTest::mousePress(Window(s), Qt::LeftButton, {}, At(s, x, y)); }
  static void Release(drawing::Surface& s, int x, int y) {
    QTest::mouseRelease(Window(s), Qt::LeftButton, {}, At(s, x, y));
  }
  static void Drag(drawing::Surface& s, int x, int y) { QTest::mouseMove(Window(s), At(s, x, y)); }
  static void Hover(drawing::Surface& s, int x, int y) { QTest::mouseMove(Window(s), At(s, x, y)); }
  static void DoubleClick(drawing::Surface& s, int x, int y) {
    QTest::mouseDClick(Window(s), Qt::LeftButton, {}, At(s, x, y));
  }
  static QWidget* Widget(drawing::Surface& s) { return static_cast<platform::QtSurface&>(s).Widget(); }
  static bool SameParent(drawing::Surface& a, drawing::Surface& b) {
    return Widget(a)->parentWidget() == Widget(b)->parentWidget();
  }
  std::function<bool()> Alive(drawing::Surface& s) {
    return [w = QPointer<QWidget>(Widget(s))] { return !w.isNull(); };
  }
};

template <typename Side>
class SurfaceContract : public ::testing::Test {
 protected:
  static Colour At(drawing::Surface& s, int x, int y) { return drawing::FromPixel(s.Pixels().At(x, y)); }
  // Every pixel of a w x h area as one text row per line: '#' for colour, '.' else.
  static std::string Picture(drawing::Surface& s, int w, int h, Colour colour) {
    std::string out;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) out += At(s, x, y) == colour ? '#' : '.';
      out += '\n';
    }
    return out;
  }
  std::unique_ptr<drawing::Surface> Cleared(int w, int h, Colour back) {
    auto s = side_.Make(w, h);
    s->SetBackColor(back);
    s->Cls();
    return s;
  }

  Side side_;
};

using Sides = ::testing::Types<FakeSide, QtSide>;
class SideNames {
 public:
  template <typename T>
  static std::string GetName(int) {
    return std::is_same_v<T, FakeSide> ? "Fake" : "Qt";
  }
};
TYPED_TEST_SUITE(SurfaceContract, Sides, SideNames);

constexpr Colour kBack = 0x00000000;
constexpr Colour kInk = 0x0000FF00;

TYPED_TEST(SurfaceContract, LinesLeaveOutTheirEndPoint) {
  auto s = this->Cleared(8, 5, kBack);
  s->Line(1, 1, 5, 1, kInk);     // horizontal
  s->Line(0, 4, 3, 1.7, kInk);   // diagonal upwards, fractional end
  s->Line(6, 0, 6, 0, kInk);     // a line of no length draws nothing
  s->Line(7.9, 2, 7.2, 4, kInk); // fractions are floored: a vertical line
  EXPECT_EQ(this->Picture(*s, 8, 5, kInk),
            "........\n"
            ".####...\n"
            "..#....#\n"
            ".#.....#\n"
            "#.......\n");
}

TYPED_TEST(SurfaceContract, BoxesIncludeBothCorners) {
  auto s = this->Cleared(9, 6, kBack);
  s->Box(5, 4, 1, 1, kInk);  // corners in any order
  s->FilledBox(7, 0, 8.9, 1.5, kInk);
  s->FilledBox(-3, 5, 2, 9, kInk);  // clipped
  EXPECT_EQ(this->Picture(*s, 9, 6, kInk),
            ".......##\n"
            ".#####.##\n"
            ".#...#...\n"
            ".#...#...\n"
            ".#####...\n"
            "###......\n");
}

TYPED_TEST(SurfaceContract, PicturesStretchByTheNearestPixelAndKeepTransparency) {
  // 2 x 2 source: red, green / blue, transparent.
  drawing::Picture picture(2, 2);
  picture.Set(0, 0, drawing::ToPixel(0x000000FF));
  picture.Set(1, 0, drawing::ToPixel(0x0000FF00));
  picture.Set(0, 1, drawing::ToPixel(0x00FF0000));
  picture.Set(1, 1, 0x00000000u);
  auto s = this->Cleared(12, 8, 0x00808080);
  s->PaintPicture(picture, 1.6, 1, 6, 4);  // from x = 1: 3 x 2 pixels per source pixel
  std::string seen;
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      const Colour c = this->At(*s, x, y);
      seen += c == 0x0000FF ? 'R' : c == 0x00FF00 ? 'G' : c == 0xFF0000 ? 'B' : c == 0x808080 ? '.' : '?';
    }
    seen += '\n';
  }
  EXPECT_EQ(seen,
            "........\n"
            ".RRRGGG.\n"
            ".RRRGGG.\n"
            ".BBB....\n"
            ".BBB....\n"
            "........\n");
  // Shrinking picks pixel centres: an 8 x 1 ramp into 4 pixels takes 1, 3, 5, 7.
  drawing::Picture ramp(8, 1);
  for (int x = 0; x < 8; ++x) ramp.Set(x, 0, drawing::ToPixel(drawing::MakeColour(x * 10, 0, 0)));
  s->PaintPicture(ramp, 0, 7, 4, 1);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(this->At(*s, x, 7), drawing::MakeColour((2 * x + 1) * 10, 0, 0));
  s->PaintPicture(ramp, 0, 7, 0.5, 1);  // below one pixel: nothing
  EXPECT_EQ(this->At(*s, 0, 7), drawing::MakeColour(10, 0, 0));
}

TYPED_TEST(SurfaceContract, TransparentTextStaysInsideItsBoxAtTheCurrentPosition) {
  auto s = this->Cleared(200, 60, 0x00FFFFFF);
  s->SetFont(drawing::Font{"Arial", 9, 204, 400});
  s->SetForeColor(0x00000000);
  s->SetFontTransparent(true);
  s->SetCurrentX(30.4);
  s->SetCurrentY(12);
  s->Print("Hello");
  const double w = s->TextWidth("Hello"), h = s->TextHeight("Hello");
  const Mark m = TypeParam::TextMark(*s, 0x00FFFFFF);
  ASSERT_FALSE(m.Empty());
  EXPECT_GE(m.left, 30);
  EXPECT_LE(m.left, 32);  // a glyph's side bearing at most
  EXPECT_GE(m.top, 12);
  EXPECT_LE(m.right, static_cast<int>(std::floor(30.4 + w)));
  EXPECT_LE(m.bottom, static_cast<int>(std::floor(12 + h)));
  EXPECT_DOUBLE_EQ(s->CurrentX(), 0);
  EXPECT_DOUBLE_EQ(s->CurrentY(), 12 + h);
}

TYPED_TEST(SurfaceContract, OpaqueTextFillsItsBoxWithTheBackColour) {
  auto s = this->Cleared(200, 60, 0x00FFFFFF);
  s->SetBackColor(0x000000FF);  // the box takes the current back colour
  s->SetForeColor(0x00FFFFFF);
  s->SetFontTransparent(false);
  s->SetCurrentX(10);
  s->SetCurrentY(5);
  s->Print("ii");
  const int right = static_cast<int>(std::floor(10 + s->TextWidth("ii"))) - 1;
  const int bottom = static_cast<int>(std::floor(5 + s->TextHeight("ii"))) - 1;
  EXPECT_EQ(this->At(*s, 10, bottom), 0x000000FFu);
  EXPECT_EQ(this->At(*s, right, 5), 0x000000FFu);
  EXPECT_EQ(this->At(*s, right + 1, 5), 0x00FFFFFFu);
  EXPECT_EQ(this->At(*s, 10, bottom + 1), 0x00FFFFFFu);
  EXPECT_EQ(this->At(*s, 9, 5), 0x00FFFFFFu);
}

TYPED_TEST(SurfaceContract, ClsFillsThenDrawsThePictureAtTheTopLeft) {
  auto s = this->Cleared(10, 8, kBack);
  s->FilledBox(0, 0, 9, 7, kInk);
  s->SetCurrentX(4);
  s->SetCurrentY(4);
  auto picture = std::make_shared<drawing::Picture>(3, 2, drawing::ToPixel(0x000000FF));
  s->SetPicture(picture);
  EXPECT_EQ(this->At(*s, 2, 1), 0x000000FFu);  // the picture shows at once
  EXPECT_EQ(this->At(*s, 3, 1), kInk);
  s->SetBackColor(0x00102030);
  s->Cls();
  EXPECT_EQ(this->Picture(*s, 5, 3, 0x000000FF), "###..\n###..\n.....\n");
  EXPECT_EQ(this->At(*s, 9, 7), 0x00102030u);
  EXPECT_DOUBLE_EQ(s->CurrentX(), 0);
  EXPECT_DOUBLE_EQ(s->CurrentY(), 0);
  s->SetPicture(nullptr);
  s->Cls();
  EXPECT_EQ(this->At(*s, 0, 0), 0x00102030u);
}

TYPED_TEST(SurfaceContract, TheRetainedImageOutlivesTheAutoRedrawSwitch) {
  auto s = this->Cleared(10, 10, kBack);
  s->SetAutoRedraw(true);
  s->FilledBox(1, 1, 3, 3, kInk);
  s->SetAutoRedraw(false);
  EXPECT_TRUE(!s->AutoRedraw());
  EXPECT_EQ(this->At(*s, 2, 2), kInk);  // the last image stays the picture
  s->Line(5, 5, 9, 5, 0x000000FF);      // drawing goes on into the same image
  s->SetAutoRedraw(true);
  EXPECT_EQ(this->At(*s, 2, 2), kInk);
  EXPECT_EQ(this->At(*s, 6, 5), 0x000000FFu);
  s->Move(s->Left(), s->Top(), 20, 12);  // growing keeps the top-left
  EXPECT_EQ(this->At(*s, 2, 2), kInk);
  EXPECT_EQ(this->At(*s, 19, 11), kBack);
  EXPECT_EQ(s->ScaleWidth(), 20);
}

TYPED_TEST(SurfaceContract, EventsArriveInTheOrderOfTheInput) {
  auto s = this->Cleared(100, 60, kBack);
  s->SetBorderStyle(1);
  s->SetAppearance(1);  // coordinates are inside the border
  std::vector<std::string> log;
  const auto record = [&log](const char* what) {
    return [&log, what](int button, int, double x, double y) {
      log.push_back(std::string(what) + " " + std::to_string(button) + " " + std::to_string(static_cast<int>(x)) +
                    "," + std::to_string(static_cast<int>(y)));
    };
  };
  s->events.mouseDown = record("down");
  s->events.mouseMove = record("move");
  s->events.mouseUp = record("up");
  s->events.doubleClick = record("double");
  s->events.resized = [&] { log.push_back("resized " + std::to_string(s->ScaleWidth())); };
  s->events.hidden = [&] { log.push_back("hidden"); };

  TypeParam::Hover(*s, 10, 20);  // the pointer comes before it presses
  TypeParam::Press(*s, 10, 20);
  TypeParam::Drag(*s, 12, 21);
  TypeParam::Release(*s, 12, 21);
  TypeParam::Hover(*s, 30, 5);
  TypeParam::DoubleClick(*s, 30, 5);
  s->SetVisible(false);
  s->Move(s->Left(), s->Top(), 50, 60);  // hidden, and reported at once
  s->Move(s->Left() + 1, s->Top(), 50, 60);
  s->SetVisible(true);
  QCoreApplication::processEvents();
  EXPECT_EQ(log, (std::vector<std::string>{"move 0 10,20", "down 1 10,20", "move 1 12,21", "up 1 12,21",
                                           "move 0 30,5", "down 1 30,5", "up 1 30,5", "double 1 30,5", "up 1 30,5",
                                           "hidden", "resized 46"}));
}

TYPED_TEST(SurfaceContract, AnElementIsAHiddenCopyOfElementZeroWithAnEmptyImage) {
  auto owner = this->side_.Make(300, 200);
  auto first = this->side_.host.CreateSurface(owner.get());
  first->Move(5, 6, 40, 30);
  const drawing::Font font{"Arial", 11, 204, 700, true};
  first->SetFont(font);
  first->SetBackColor(0x00112233);
  first->SetForeColor(0x00445566);
  first->SetBorderStyle(1);
  first->SetAppearance(0);
  first->SetAutoRedraw(true);
  first->SetVisible(true);
  first->Cls();
  first->FilledBox(0, 0, 10, 10, kInk);

  auto element = this->side_.host.CreateElement(*first);
  EXPECT_FALSE(element->Visible());
  EXPECT_TRUE(TypeParam::SameParent(*element, *first));
  EXPECT_EQ((std::vector<int>{element->Left(), element->Top(), element->Width(), element->Height()}),
            (std::vector<int>{5, 6, 40, 30}));
  EXPECT_EQ(element->GetFont(), font);
  EXPECT_EQ(element->BackColor(), 0x00112233u);
  EXPECT_EQ(element->ForeColor(), 0x00445566u);
  EXPECT_EQ(element->BorderStyle(), 1);
  EXPECT_EQ(element->Appearance(), 0);
  EXPECT_TRUE(element->AutoRedraw());
  EXPECT_EQ(element->ScaleWidth(), 38);
  EXPECT_EQ(this->At(*element, 0, 0), 0x00112233u);  // nothing of element 0's drawing
  EXPECT_NE(element->hWnd(), first->hWnd());
  EXPECT_DOUBLE_EQ(element->TextHeight("A"), first->TextHeight("A"));

  const auto alive = this->side_.Alive(*element);
  EXPECT_TRUE(alive());
  element.reset();
  EXPECT_FALSE(alive());
  EXPECT_EQ(this->At(*first, 0, 0), kInk);
}

}  // namespace
