// The contents tree's rows on fake host services: layout and the slide-in
// animation stepped by the fake clock, shortened names, decorations and
// shading read back as pixels, and the pointer: hover, hints, clicks,
// double clicks and scrolling.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/tree/Tray.h"
#include "drawing/WheelTargets.h"
#include "tests/fakes/FakeHost.h"

namespace {

using fakes::FakeHost;
using fakes::FakeSurface;
using fakes::RecordingSite;

constexpr drawing::Colour kFon = 0x000000FF;        // red background
constexpr drawing::Colour kRazdel = 0x0000FF00;     // green section rows
constexpr drawing::Colour kPodRazdel = 0x00400000;  // dark blue deeper rows
constexpr drawing::Colour kPodRazdelVb = 0x00808080;

std::string Name(const std::string& stem, int length) {
  std::string s = stem;
  while (static_cast<int>(s.size()) < length) s += 'x';
  return s;
}

class TrayRowsTest : public ::testing::Test {
 protected:
  // The main window's spacing, on a 371 x 300 tree without border. With the
  // fake metric every row is 24 px tall, level-0 rows 28 px apart (26 for
  // deeper ones), text starts at 32 (level 0) and 48 (level 1).
  tree::Tray& Make(const std::string& list) {
    tray_ = std::make_unique<tree::Tray>(site_.site, nullptr);
    tree::Tray& t = *tray_;
    t.SetBorderStyle(0);
    t.SetTrCvetFon(kFon);
    t.SetTrVisotaPlanki(9);
    t.SetTrOtstSleva(15);
    t.SetTrOtstMegRazdel(2);
    t.SetTrOtstMegPodRazdel(2);
    t.SetTrCvetRazdel(kRazdel);
    t.SetTrCvetPodRazdel(kPodRazdel);
    t.SetTrCvetPodRazdelVb(kPodRazdelVb);
    t.SetSHagScrl(25);
    t.Surface().Move(0, 0, 371, 300);
    t.PoluchiSpisok(list);
    return t;
  }
  FakeSurface& Face() { return static_cast<FakeSurface&>(tray_->Surface()); }
  const tree::TreeItem& Item(int i) { return tray_->Model().Items()[static_cast<std::size_t>(i)]; }
  int ViewTop(int i) { return Item(i).RowTop - tray_->VerticalScroll1().Value(); }
  void Settle() {
    for (int i = 0; i < 1000 && tray_->Timer1().Enabled(); ++i) host_.Clock().Advance(10);
  }
  void Hover(int i, double x = 100) { Face().MoveMouse(0, 0, x, ViewTop(i) + 5); }
  void Click(int i) {
    Hover(i);
    Face().PressMouse(drawing::kLeftButton, 0, 100, ViewTop(i) + 5);
    Face().ReleaseMouse(drawing::kLeftButton, 0, 100, ViewTop(i) + 5);
  }
  // The text printed for entry i by the last repaint.
  std::string PrintedFor(int i) {
    std::string found = "<none>";
    for (const fakes::PrintedText& p : Face().Printed())
      if (p.y == ViewTop(i) + 4) found = p.text;
    return found;
  }

  FakeHost host_;
  RecordingSite site_{host_};
  std::unique_ptr<tree::Tray> tray_;
};

TEST_F(TrayRowsTest, LaysOutRowsOfEachLevel) {
  tree::Tray& t = Make("A\r\n\tB\r\nC");
  EXPECT_EQ(t.VisibleRows(), (std::vector<std::int32_t>{0, 0, 2}));  // B is inside closed A
  struct Row { int entry, top, height, left, right; };
  for (const Row& r : {Row{0, 0, 24, 32, 32 + 7 + 15}, Row{2, 28, 24, 32, 32 + 7 + 15}}) {
    EXPECT_EQ(Item(r.entry).RowTop, r.top) << r.entry;
    EXPECT_EQ(Item(r.entry).RowHeight, r.height) << r.entry;
    EXPECT_EQ(Item(r.entry).TextLeft, r.left) << r.entry;
    EXPECT_EQ(Item(r.entry).TextRight, r.right) << r.entry;
  }
  EXPECT_EQ(PrintedFor(2), "C");
  EXPECT_EQ(Face().Printed().back().x, 32 + 8);
  EXPECT_EQ(t.VerticalScroll1().Max(), 0);  // 52 - 300 + 4 < 0: nothing to scroll
}

TEST_F(TrayRowsTest, OpenSectionInsideClosedOneRevealsNothing) {
  // B is open but A closed: C must stay hidden; opening A shows B and C.
  tree::Tray& t = Make("A\r\n\tB\r\n\t\tC\r\nD");
  Click(0);  // opens A
  Settle();
  Click(1);  // opens B
  Settle();
  EXPECT_EQ(t.VisibleRows(), (std::vector<std::int32_t>{0, 0, 1, 2, 3}));
  Click(0);  // closes A; B stays open underneath
  EXPECT_EQ(t.VisibleRows(), (std::vector<std::int32_t>{0, 0, 3}));
  EXPECT_EQ(Item(2).AnimState, 0);
  EXPECT_EQ(Item(2).RowTop, 0);
}

TEST_F(TrayRowsTest, ChildrenSlideOnePixelThenThirtyOnePerFrameUntilPlaced) {
  tree::Tray& t = Make("S\r\n\tA\r\n\tB\r\n\tC\r\nT");
  Click(0);
  for (int c = 1; c <= 3; ++c) {
    EXPECT_EQ(Item(c).AnimState, 1);
    EXPECT_EQ(Item(c).RowTop, Item(0).RowTop + 1) << c;
  }
  EXPECT_TRUE(t.Timer1().Enabled());
  EXPECT_EQ(t.Timer1().Interval(), 10);
  EXPECT_EQ(t.SlideStep(), 31.0);
  const std::vector<int> targets = {26, 52, 78};
  int frames = 0;
  while (t.Timer1().Enabled() && frames < 50) {
    std::vector<int> before;
    for (int c = 1; c <= 3; ++c) before.push_back(Item(c).RowTop);
    host_.Clock().Advance(10);
    ++frames;
    for (int c = 1; c <= 3; ++c) {
      const int moved = Item(c).RowTop - before[static_cast<std::size_t>(c - 1)];
      if (Item(c).AnimState == 1) {
        EXPECT_EQ(moved, 31) << "child " << c << " frame " << frames;
      }
    }
  }
  EXPECT_FALSE(t.Timer1().Enabled());
  EXPECT_LT(frames, 10);
  for (int c = 1; c <= 3; ++c) {
    EXPECT_EQ(Item(c).AnimState, 2);
    EXPECT_EQ(Item(c).RowTop, targets[static_cast<std::size_t>(c - 1)]);
  }
  EXPECT_EQ(Item(4).RowTop, 106);  // T follows its section's children
  EXPECT_EQ(t.SlideStep(), 31.0);  // kept until the next click
}

TEST_F(TrayRowsTest, FitItemTextSearchesTwentyStepsAndAppendsDots) {
  const auto width = [](std::string_view s) { return 7.0 * static_cast<double>(s.size()); };
  struct Case { int length, available, textRight, textStart; std::string expected; };
  const std::string forty = Name("N", 40);
  for (const Case& c : {Case{40, 400, 330, 50, forty},                 // fits: whole name
                        Case{40, 200, 330, 50, forty.substr(0, 17) + "..."},  // target 122: 17 chars
                        // No room at all: the search cannot go below half the name.
                        Case{40, 20, 330, 50, forty.substr(0, 10) + "..."}}) {
    EXPECT_EQ(tree::FitItemText(Name("N", c.length), c.available, c.textRight, c.textStart, width), c.expected);
  }
  // Characters, not bytes: a Cyrillic name is cut between letters.
  EXPECT_EQ(tree::LeadingCharacters("Жук", 2), "Жу");
}

TEST_F(TrayRowsTest, LongNameIsShortenedShortNameIsWhole) {
  const std::string longName = Name("Long", 60);
  tree::Tray& t = Make("Short\r\n" + longName);
  const std::string shortened = PrintedFor(1);
  ASSERT_GE(shortened.size(), 3u);
  EXPECT_EQ(shortened.substr(shortened.size() - 3), "...");
  EXPECT_EQ(longName.rfind(shortened.substr(0, shortened.size() - 3), 0), 0u);
  // It ends about one space before the scroll bar.
  const double right = 40 + 7.0 * static_cast<double>(shortened.size());
  EXPECT_LE(right, 371 - tree::Tray::kScrollBarWidth);
  EXPECT_GT(right, 371 - tree::Tray::kScrollBarWidth - 3 * 7);
  EXPECT_EQ(PrintedFor(0), "Short");
  (void)t;
}

TEST_F(TrayRowsTest, ColorRamkiOneOutlinesTwoBandsTheFullWidth) {
  for (int ramki : {1, 2}) {
    Make("A\r\nB");
    tray_->SetColorRamki(ramki);
    tray_->Lina();
    const int top = ViewTop(1), mid = top + 10;
    const drawing::Colour underBar = Face().ColourAt(370, mid);
    if (ramki == 1) {
      EXPECT_EQ(Face().ColourAt(4, top), kRazdel);  // Kvadrat 0: left = round(8 / 2)
      EXPECT_EQ(Face().ColourAt(359, top), kRazdel);
      EXPECT_EQ(Face().ColourAt(100, mid), Face().ColourAt(100, 299)) << "inside the outline: background";
      EXPECT_EQ(drawing::GreenOf(underBar), 0);
    } else {
      EXPECT_GT(drawing::GreenOf(underBar), 250) << "the band runs under the scroll bar";
      EXPECT_EQ(drawing::RedOf(underBar), 0);
      EXPECT_LT(drawing::GreenOf(Face().ColourAt(0, mid)), 0xFF - 80);  // 85 darker at the left
    }
  }
}

TEST_F(TrayRowsTest, LevelShadingAndSelectedDeeperRow) {
  // ColorMenuUroven 1 with 255 a level: level 1 keeps the base, level 2 and
  // deeper clamp to white; the selected deeper row takes its own colour.
  tree::Tray& t = Make("A\r\n\tB\r\n\t\tC\r\n\t\t\tD\r\n\t\t\tE");
  t.SetColorRamki(1);
  t.SetColorMenuUroven(1);
  t.SetColorMenuCvRazn(255);
  for (int section : {0, 1, 2}) {
    Click(section);
    Settle();
  }
  Click(4);  // selects E, level 3
  struct Expect { int entry; drawing::Colour colour; };
  for (const Expect& e : {Expect{1, kPodRazdel}, Expect{2, 0x00FFFFFF}, Expect{3, 0x00FFFFFF},
                          Expect{4, kPodRazdelVb}})
    EXPECT_EQ(Face().ColourAt(4, ViewTop(e.entry)), e.colour) << "entry " << e.entry;
}

TEST_F(TrayRowsTest, FontIsReplacedOnlyForBoldSizeItalicOrUnderline) {
  struct Case { std::string face; int weight; bool replaced; };
  for (const Case& c : {Case{"Courier New", 400, false}, Case{"Arial", 700, true}}) {
    Make("A\r\n\tB");
    drawing::Font shapka{"Arial", 9, 204, 400};
    drawing::Font element = shapka;
    element.face = c.face;
    element.weight = c.weight;
    tray_->SetFontShapka(shapka);
    tray_->SetFontElement(element);
    Click(0);
    Settle();
    const drawing::Font used = Face().Printed().back().font;  // row B, printed last
    EXPECT_EQ(used, c.replaced ? element : shapka) << c.face;
  }
}

TEST_F(TrayRowsTest, IconsAreDrawnAt16PixelsAndAMissingPictureDrawsNone) {
  auto icon = std::make_shared<drawing::Picture>(48, 48, drawing::ToPixel(0x00123456));
  for (bool withPicture : {true, false}) {
    Make("A\r\nB");
    tray_->SetPicFileUp(withPicture ? icon : nullptr);
    tray_->Lina();
    // x = 32 + 8 - 18 = 22, y = (24 - 16) / 2 + top - 1 = top + 3.
    const int top = ViewTop(1) + 3;
    EXPECT_EQ(Face().ColourAt(22, top) == 0x00123456, withPicture);
    EXPECT_EQ(Face().ColourAt(37, top + 15) == 0x00123456, withPicture);
    EXPECT_NE(Face().ColourAt(38, top), 0x00123456u);
    EXPECT_EQ(PrintedFor(1), "B");
  }
}

TEST_F(TrayRowsTest, BadListsPaintOnlyTheBackgroundOrStayUsable) {
  tree::Tray& t = Make("");
  EXPECT_TRUE(Face().Printed().empty());
  EXPECT_EQ(t.VerticalScroll1().Max(), 0);
  t.PoluchiSpisok("A\r\n\t\tB");
  EXPECT_EQ(t.VisibleRows().size(), 1u);

  std::string many;
  for (int i = 0; i < 100000; ++i) many += "Entry\r\n";
  t.PoluchiSpisok(many);
  EXPECT_EQ(t.VisibleRows().size(), 100001u);
  EXPECT_GT(t.VerticalScroll1().Max(), 2000000);

  std::string deep = "Top";
  for (int level = 1; level < 3000; ++level) deep += "\r\n" + std::string(static_cast<std::size_t>(level), '\t') + "x";
  deep += "\r\n" + Name("W", 10000);
  t.PoluchiSpisok(deep);
  EXPECT_EQ(t.VisibleRows(), (std::vector<std::int32_t>{0, 0, 3000}));
  EXPECT_EQ(PrintedFor(3000).substr(PrintedFor(3000).size() - 3), "...");
  Click(0);
  Settle();
  EXPECT_EQ(t.VisibleRows().size(), 4u);
}

TEST_F(TrayRowsTest, SetMeFonBlendsAtClampedOpacity) {
  drawing::Image source(371, 300, drawing::ToPixel(0x00FFFFFF));
  struct Case { int prz; int expectedRed; };
  for (const Case& c : {Case{300, 0xFF}, Case{-5, 0x00}}) {
    tree::Tray& t = Make("A");
    t.SetTrCvetFon(0x00000000);
    t.setMeFon(source.View(), 0, 0, c.prz);
    EXPECT_EQ(drawing::RedOf(Face().ColourAt(200, 200)), c.expectedRed) << c.prz;
  }
}

// ---- the pointer ----

TEST_F(TrayRowsTest, HoverRaisesHoverItemOncePerRowAndHidesTheBalloon) {
  tree::Tray& t = Make("A\r\n" + Name("Long", 60));
  int moves = 0;
  std::vector<std::pair<int, bool>> hovers;
  t.MovTray = [&](float&, float&) { ++moves; };
  t.HoverItem = [&](std::int32_t& i, std::string&, bool& truncated) { hovers.push_back({i, truncated}); };
  t.PodskazV1().SetCaption("old");
  for (double x : {50.0, 60.0, 70.0}) Face().MoveMouse(0, 0, x, 5);
  EXPECT_EQ(moves, 3);
  EXPECT_EQ(t.PodskazV1().Caption(), "");
  Hover(1);
  Face().MoveMouse(0, 0, 100, 299);  // below every row
  EXPECT_EQ(t.HotIndex(), -1);
  EXPECT_EQ(t.HotText(), "");
  EXPECT_EQ(hovers, (std::vector<std::pair<int, bool>>{{0, false}, {1, true}}));
}

TEST_F(TrayRowsTest, KvadratNagatSelectsWhatPartOfARowIsHit) {
  struct Case { int nagat; double x; int hot; };
  // Row 0 "A": text from 32 to 54.
  for (const Case& c : {Case{0, 300, 0}, Case{1, 300, -1}, Case{1, 40, 0}, Case{2, 40, -1}}) {
    tree::Tray& t = Make("A\r\nB");
    t.SetKvadratNagat(c.nagat);
    Face().MoveMouse(0, 0, c.x, 5);
    EXPECT_EQ(t.HotIndex(), c.hot) << c.nagat << " at " << c.x;
  }
}

TEST_F(TrayRowsTest, HintShowsAShortenedNameOnlyWhileThePointerRestsOnTheTree) {
  const std::string longName = Name("Long", 60);
  for (bool overTree : {true, false}) {
    tree::Tray& t = Make("A\r\n" + longName);
    host_.windowAt = [&](drawing::ScreenPoint) { return overTree ? t.Surface().hWnd() : FakeHost::kForeignWindow; };
    Hover(1);
    host_.Clock().Advance(100);  // first tick: the pointer's place is noted
    EXPECT_EQ(t.PodskazV1().Caption(), "");
    host_.Clock().Advance(100);  // second tick: at rest
    EXPECT_EQ(t.PodskazV1().Caption(), overTree ? longName : "");
    EXPECT_FALSE(t.Timer2().Enabled());
  }
  // A name that fits never gets a hint.
  tree::Tray& t = Make("A\r\nB");
  host_.windowAt = [&](drawing::ScreenPoint) { return t.Surface().hWnd(); };
  Hover(1);
  host_.Clock().Advance(300);
  EXPECT_EQ(t.PodskazV1().Caption(), "");
}

struct Raised {
  std::vector<std::string> events;
  void Attach(tree::Tray& t) {
    t.VibranPapka = [this](std::int32_t& i, std::string& n, std::string&, std::string&) {
      events.push_back("Papka " + std::to_string(i) + " " + n);
    };
    t.VibranFil = [this](std::int32_t& i, std::string&, std::string&, std::string& f2) {
      events.push_back("Fil " + std::to_string(i) + " " + f2);
    };
    t.VibranFilDbl = [this](std::int32_t& i, std::string&, std::string&, std::string& f2) {
      events.push_back("FilDbl " + std::to_string(i) + " " + f2);
    };
    t.FoksGo = [this] { events.push_back("FoksGo"); };
  }
};

TEST_F(TrayRowsTest, ClicksOpenCloseSelectAndRaiseTheirEvents) {
  tree::Tray& t = Make(std::string("Sec\r\n\t5-bet Page") + '\0' + "free" + '\0' + "5\r\nEnd");
  Raised r;
  r.Attach(t);
  Click(0);
  Settle();
  EXPECT_TRUE(Item(0).IsOpen);
  Click(1);
  EXPECT_EQ(t.Vibran(), 1);
  Click(0);  // an open section closes and shows no page
  EXPECT_FALSE(Item(0).IsOpen);
  EXPECT_EQ(t.Vibran(), 0);
  EXPECT_EQ(t.VibranO(false), -1);
  EXPECT_EQ(r.events, (std::vector<std::string>{"FoksGo", "Papka 0 Sec", "FoksGo", "Fil 1 5", "FoksGo",
                                                "Papka 0 Sec"}));
  // The slide speed is reset by a click.
  EXPECT_EQ(t.SlideStep(), 1.0);
}

TEST_F(TrayRowsTest, DoubleClickOnAPageRaisesFilPerReleaseAndFilDbl) {
  tree::Tray& t = Make(std::string("Sec\r\nPage") + '\0' + '\0' + "7");
  Raised r;
  r.Attach(t);
  t.FoksGo = nullptr;
  for (int row : {1, 0}) {
    Hover(row);
    Face().PressMouse(drawing::kLeftButton, 0, 100, ViewTop(row) + 5);
    Face().ReleaseMouse(drawing::kLeftButton, 0, 100, ViewTop(row) + 5);
    Face().DoubleClickMouse(drawing::kLeftButton, 0, 100, ViewTop(row) + 5);
    Face().ReleaseMouse(drawing::kLeftButton, 0, 100, ViewTop(row) + 5);
  }
  // Entry 0 is a page too (nothing hangs under it): it double clicks as one.
  EXPECT_EQ(r.events, (std::vector<std::string>{"Fil 1 7", "FilDbl 1 7", "Fil 1 7", "Fil 0 ", "FilDbl 0 ", "Fil 0 "}));
}

TEST_F(TrayRowsTest, ScrollMovesRowsAndStopsAtTheEnd) {
  std::string list;
  for (int i = 0; i < 30; ++i) list += "Row" + std::to_string(i) + "\r\n";
  tree::Tray& t = Make(list);
  auto& bar = t.VerticalScroll1();
  EXPECT_EQ(bar.Max(), 29 * 28 + 24 - 300 + 4);
  EXPECT_TRUE(t.VerticalScroll1Surface().Visible());
  std::string down = "+";
  t.ScrollM(down);
  EXPECT_EQ(ViewTop(1), 28 - 25) << "the rows repaint at the new position";
  for (int i = 0; i < 40; ++i) t.ScrollM(down);
  EXPECT_EQ(bar.Value(), bar.Max());
  t.ScrollM(down);
  EXPECT_EQ(bar.Value(), bar.Max());
  EXPECT_EQ(PrintedFor(29), "Row29");
}

TEST_F(TrayRowsTest, ResizeSchedulesARepaintExceptAt161) {
  struct Case { int height; bool scheduled; };
  for (const Case& c : {Case{160, true}, Case{161, false}, Case{400, true}}) {
    tree::Tray& t = Make("A");
    host_.Clock().Advance(100);
    const int cls = Face().ClsCount();
    t.Surface().Move(0, 0, 250, c.height);
    EXPECT_EQ(t.Pe1().Width(), 250);
    EXPECT_EQ(t.Pe2().Width(), 250);
    EXPECT_EQ(t.Timer3().Enabled(), c.scheduled) << c.height;
    host_.Clock().Advance(50);
    EXPECT_EQ(Face().ClsCount(), cls + (c.scheduled ? 1 : 0)) << c.height;
    EXPECT_FALSE(t.Timer3().Enabled());
  }
}

}  // namespace
