// The contents tree where a repaint meets the pointer and its parts: rows
// that move under a pointer at rest, the bar's visibility after a new list,
// what absurd values and names may cost a repaint, the slide timer's period,
// a new list's first repaints, and event arguments a handler changes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/tree/Tray.h"
#include "drawing/WheelTargets.h"
#include "tests/fakes/FakeHost.h"

namespace {

using fakes::FakeHost;
using fakes::FakeSurface;

// Level-0 rows "<stem>0", "<stem>1", ...: with the main window's spacing
// row i spans content rows 28 i to 28 i + 24.
std::string Rows(int count, const std::string& stem = "Row") {
  std::string list;
  for (int i = 0; i < count; ++i) list += stem + std::to_string(i) + "\r\n";
  return list;
}
// A section over pages P1..P<count>: once open and placed, page k spans
// content rows 26 k to 26 k + 24.
std::string Section(int count) {
  std::string list = "S";
  for (int k = 1; k <= count; ++k) list += "\r\n\tP" + std::to_string(k);
  return list;
}

class TrayRepaintTest : public ::testing::Test {
 public:
  void SetUp() override { drawing::ClearWheelTargets(); }
  void TearDown() override { drawing::ClearWheelTargets(); }

  // The main window's spacing on a 371 x 300 tree without border.
  tree::Tray& Make(const std::string& list, bool openFirst = false) {
    tray_ = std::make_unique<tree::Tray>(site_.site, nullptr);
    tree::Tray& t = *tray_;
    t.SetBorderStyle(0);
    t.SetTrVisotaPlanki(9);
    t.SetTrOtstSleva(15);
    t.SetTrOtstMegRazdel(2);
    t.SetTrOtstMegPodRazdel(2);
    t.SetSHagScrl(25);
    t.SetTrVipodaPerviy(openFirst);
    t.Surface().Move(0, 0, 371, 300);
    host_.Clock().Advance(100);  // the resize's repaint
    t.PoluchiSpisok(list);
    host_.windowAt = [this](drawing::ScreenPoint) { return overTree_ ? tray_->Surface().hWnd() : FakeHost::kForeignWindow; };
    return t;
  }
  FakeSurface& Face() { return static_cast<FakeSurface&>(tray_->Surface()); }
  const tree::TreeItem& Item(int i) { return tray_->Model().Items()[static_cast<std::size_t>(i)]; }
  void Settle() {
    for (int i = 0; i < 1000 && tray_->Timer1().Enabled(); ++i) host_.Clock().Advance(10);
  }
  void Release(double y) {
    Face().PressMouse(drawing::kLeftButton, 0, 100, y);
    Face().ReleaseMouse(drawing::kLeftButton, 0, 100, y);
  }
  void Click(double y) {
    Face().MoveMouse(0, 0, 100, y);
    Release(y);
  }
  void Down() {
    std::string down = "+";
    tray_->ScrollM(down);
  }

  FakeHost host_;
  fakes::RecordingSite site_{host_};
  std::unique_ptr<tree::Tray> tray_;
  bool overTree_ = true;
};

TEST_F(TrayRepaintTest, RowsMovingUnderARestingPointerChangeTheHotEntryAndTheReleaseTakesIt) {
  using Move = std::function<void(TrayRepaintTest&, tree::Tray&)>;
  struct Case {
    const char* what;
    std::string list;
    double restY;
    bool overTree;
    Move move;
    int hotAfter;  // -1: none
    int released;  // the entry a release there selects
  };
  const Move wheel = [](TrayRepaintTest&, tree::Tray& t) {
    t.RRscrfoll();
    drawing::WheelWndProc(t.VerticalScroll1().hWnd(), -120, 0, [] {});
  };
  const Move down = [](TrayRepaintTest& f, tree::Tray&) { f.Down(); };
  const Case cases[] = {
      // Row 3 (84..108) under y 89; 25 px down, row 4 (112..136) is there.
      {"wheel over the bar", Rows(30), 89, true, wheel, 4, 4},
      {"bar moved", Rows(30), 89, true, [](TrayRepaintTest&, tree::Tray& t) { t.VerticalScroll1().SetValue(25, true); },
       4, 4},
      {"ScrollM", Rows(30), 89, true, down, 4, 4},
      // A pointer gone to another window rests on no row; a release (the
      // button went down on the tree) still acts where it happens.
      {"ScrollM, pointer elsewhere", Rows(30), 89, false, down, 3, 4},
      // Row 9 (252..276) under y 272; the new list's pages slide in until
      // P10 (260..284) lies there.
      {"new list, rows sliding in", Rows(30), 272, true,
       [](TrayRepaintTest& f, tree::Tray& t) {
         t.SetTrVipodaPerviy(true);
         t.PoluchiSpisok(Section(29));
         f.Settle();
       },
       10, 10},
      // A click opens S, the pointer goes down at once where no row is yet
      // and rests while the pages slide in under it.
      {"rows sliding in after a click", Section(29), 272, true,
       [](TrayRepaintTest& f, tree::Tray& t) {
         f.Click(5);
         f.Face().MoveMouse(0, 0, 100, 272);
         EXPECT_EQ(t.HotIndex(), -1) << "the pages have only just started";
         f.Settle();
       },
       10, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tree::Tray& t = Make(c.list);
    overTree_ = c.overTree;
    std::vector<int> hovers, selected;
    t.HoverItem = [&](std::int32_t& i, std::string&, bool&) { hovers.push_back(i); };
    t.VibranFil = t.VibranPapka = [&](std::int32_t& i, std::string&, std::string&, std::string&) {
      selected.push_back(i);
    };
    Face().MoveMouse(0, 0, 100, c.restY);
    const int hotBefore = t.HotIndex();
    hovers.clear();
    t.PodskazV1().SetCaption("old");

    c.move(*this, t);
    EXPECT_EQ(t.HotIndex(), c.hotAfter);
    const bool changed = c.hotAfter != hotBefore;
    EXPECT_EQ(hovers.empty() ? -2 : hovers.back(), changed ? c.hotAfter : -2);
    EXPECT_EQ(t.PodskazV1().Caption(), changed ? "" : "old") << "the balloon of the old row goes";
    EXPECT_EQ(t.HotText(), c.hotAfter < 0 ? "" : Item(c.hotAfter).Texts[1]);

    selected.clear();
    Release(c.restY);
    EXPECT_EQ(t.Vibran(), c.released);
    EXPECT_EQ(selected, (std::vector<int>{c.released}));
  }
}

TEST_F(TrayRepaintTest, TheBarShowsAfterEveryRepaintExactlyWhenThereIsARange) {
  // The contents builder hands over a list with the range of the one shown:
  // the new list hides the bar, and no change of range shows it again.
  tree::Tray& t = Make(Rows(30));
  for (const auto& [list, visible] : std::vector<std::pair<std::string, bool>>{
           {Rows(30), true}, {Rows(30, "Other"), true}, {"A\r\nB", false}, {Rows(30), true}, {"", false}}) {
    t.PoluchiSpisok(list);
    EXPECT_EQ(t.VerticalScroll1Surface().Visible(), visible) << list.substr(0, 12);
    EXPECT_EQ(t.VerticalScroll1().Max() != 0, visible);
  }
}

TEST_F(TrayRepaintTest, AbsurdValuesAndNamesCostARepaintNoMoreThanTheView) {
  // A row never shows more than a few thousand characters: a repaint that
  // measures a hundred thousand, prints ten thousand, or keeps strip boxes
  // larger than the view works on what nobody can see.
  constexpr long long kView = 371LL * 300, kMeasuredPerRepaint = 100000;
  constexpr std::size_t kPrintedPerRow = 10000;
  const std::string huge(10u << 20, 'W'), plain = "S\r\n\tA\r\n\tB\r\nT";
  const std::string longNames = "S\r\n\t" + huge + "\r\n" + huge;
  const struct {
    const char* what;
    std::string list;
    std::function<void(tree::Tray&)> set;
  } cases[] = {
      {"TrVisotaPlanki 65535", plain, [](tree::Tray& t) { t.SetTrVisotaPlanki(65535); }},
      {"TrVisotaPlanki 2^30", plain, [](tree::Tray& t) { t.SetTrVisotaPlanki(1 << 30); }},
      {"TrVisotaPlanki max", plain, [](tree::Tray& t) { t.SetTrVisotaPlanki(0x7FFFFFFF); }},
      {"TrOtstMegPodRazdel 2^30", plain, [](tree::Tray& t) { t.SetTrOtstMegPodRazdel(1 << 30); }},
      {"TrOtstMegRazdel 2^30", plain, [](tree::Tray& t) { t.SetTrOtstMegRazdel(1 << 30); }},
      {"TrOtstSleva 2^30", plain, [](tree::Tray& t) { t.SetTrOtstSleva(1 << 30); }},
      {"10 MB names", longNames, [](tree::Tray&) {}},
      {"10 MB names, nothing remembered", longNames, [](tree::Tray& t) { t.SetTextCaching(false); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    tree::Tray& t = Make(c.list);
    c.set(t);
    t.Lina();
    Click(5);  // opens S: its pages slide
    for (int frame = 0; frame < 5; ++frame) {
      const long long measured = Face().MeasuredCharacters();
      const std::size_t printed = Face().Printed().size();
      t.Lina();
      EXPECT_LE(Face().MeasuredCharacters() - measured, kMeasuredPerRepaint) << "frame " << frame;
      for (std::size_t p = printed; p < Face().Printed().size(); ++p)
        EXPECT_LE(Face().Printed()[p].text.size(), kPrintedPerRow);
      for (drawing::Surface* box : {&t.Pe1(), &t.Pe2()})
        EXPECT_LE(static_cast<long long>(box->ScaleWidth()) * box->ScaleHeight(), kView) << "frame " << frame;
    }
  }
  // The long name is still shortened where it meets the bar.
  Make(huge);
  ASSERT_FALSE(Face().Printed().empty());
  const std::string& shown = Face().Printed().back().text;
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_GT(Item(0).TextRight, 371);
}

TEST_F(TrayRepaintTest, ARepaintWhileRowsSlideRestartsTheFramePeriod) {
  // From the click: a frame due at 10 runs, a repaint for another reason
  // comes at 15: the next frame is due at 25, not 20.
  tree::Tray& t = Make(Section(3));
  auto& timer1 = static_cast<fakes::FakeTimer&>(t.Timer1());
  const long long click = host_.Clock().Now();
  Click(5);
  ASSERT_TRUE(timer1.Running());
  EXPECT_EQ(timer1.NextDue(), click + 10);
  host_.Clock().Advance(15);
  EXPECT_EQ(timer1.NextDue(), click + 20);
  t.Lina();
  EXPECT_EQ(timer1.NextDue(), click + 25);
  const int ticks = timer1.TickCount();
  host_.Clock().Advance(9);
  EXPECT_EQ(timer1.TickCount(), ticks);
  host_.Clock().Advance(1);
  EXPECT_EQ(timer1.TickCount(), ticks + 1);
}

TEST_F(TrayRepaintTest, ANewListOfTheSameLengthIsLaidOutAfreshByEveryRepaint) {
  // Scrolled to the bottom of 30 rows, the new list (30 entries, the first
  // open) lowers the range: the bar's change repaints inside the first
  // repaint, and that repaint moves the sliding page on once more.
  tree::Tray& t = Make(Rows(30));
  for (int i = 0; i < 40; ++i) Down();
  ASSERT_EQ(t.VerticalScroll1().Value(), t.VerticalScroll1().Max());
  const int before = t.VerticalScroll1().Max();
  t.SetTrVipodaPerviy(true);
  t.PoluchiSpisok("S\r\n\tC\r\n" + Rows(28));
  ASSERT_LT(t.VerticalScroll1().Max(), before);
  EXPECT_EQ(Item(1).AnimState, 1);
  EXPECT_EQ(Item(1).RowTop, 2) << "two layouts, one pixel each";
  Settle();
  EXPECT_EQ(Item(1).RowTop, 26);
}

TEST_F(TrayRepaintTest, HandlersChangeTheValuesTheTreeHolds) {
  // S (0) over P1 (1, y 26..50), then P2 (2, y 54..78), S open.
  const auto rewrite = [](std::int32_t&, std::string& name, std::string& f1, std::string& f2) {
    name = "name", f1 = "free", f2 = "42";
  };
  const struct {
    const char* what;
    int entry;
    std::function<void(tree::Tray&)> attach;
    std::function<void(TrayRepaintTest&)> act;
    std::string hotText, field1, field2;
  } cases[] = {
      {"HoverItem", 1,
       [](tree::Tray& t) { t.HoverItem = [](std::int32_t&, std::string& name, bool&) { name = "hovered"; }; },
       [](TrayRepaintTest& f) { f.Face().MoveMouse(0, 0, 100, 33); }, "hovered", "x", "7"},
      {"VibranPapka", 0, [&](tree::Tray& t) { t.VibranPapka = rewrite; }, [](TrayRepaintTest& f) { f.Click(5); },
       "name", "free", "42"},
      {"VibranFil", 2, [&](tree::Tray& t) { t.VibranFil = rewrite; }, [](TrayRepaintTest& f) { f.Click(61); },
       "name", "free", "42"},
      {"VibranFilDbl", 2, [&](tree::Tray& t) { t.VibranFilDbl = rewrite; },
       [](TrayRepaintTest& f) {
         f.Face().MoveMouse(0, 0, 100, 61);
         f.Face().DoubleClickMouse(drawing::kLeftButton, 0, 100, 61);
       },
       "name", "free", "42"},
  };
  const char nul = '\0';
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    tree::Tray& t = Make(std::string("S") + nul + "x" + nul + "7\r\n\tP1" + nul + "x" + nul + "7\r\nP2", true);
    Settle();
    c.attach(t);
    c.act(*this);
    EXPECT_EQ(t.HotIndex(), c.entry);
    EXPECT_EQ(t.HotText(), c.hotText);
    EXPECT_EQ(Item(c.entry).Texts[2], c.field1);
    EXPECT_EQ(Item(c.entry).Texts[3], c.field2);
  }
  // A handler that hands the tree a new list and then writes its arguments
  // writes into the old table, which outlives the call; the new list keeps
  // what it was parsed with.
  tree::Tray& t = Make(std::string("A\r\nB") + nul + "b" + nul + "2");
  t.VibranFil = [&t, nul](std::int32_t&, std::string& name, std::string& f1, std::string& f2) {
    t.PoluchiSpisok(std::string("C\r\nD") + nul + "d" + nul + "4");
    name = "n", f1.assign(100, 'f'), f2.assign(100, 'g');
  };
  Click(33);
  EXPECT_EQ(Item(1).Texts[2], "d");
  EXPECT_EQ(Item(1).Texts[3], "4");
}

}  // namespace
