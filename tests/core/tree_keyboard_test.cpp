// The contents tree from the keyboard on fake host services: every key on a
// small list with sections open and closed, at the top, the bottom and past
// the view; type-ahead over Cyrillic names; the focus rectangle's pixels;
// and keys on lists that are empty, broken, sliding or replaced.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "controls/tree/Tray.h"
#include "tests/fakes/FakeHost.h"

namespace {

using fakes::FakeHost;
using fakes::FakeSurface;

constexpr drawing::Colour kFon = 0x00373533;
constexpr drawing::Colour kText = 0x00C0C0C0;
constexpr drawing::Colour kTextVb = 0x00FFFFFF;

std::string Line(int level, const std::string& name, int page) {
  return std::string(static_cast<std::size_t>(level), '\t') + name + '\0' + '\0' + std::to_string(page) + "\r\n";
}

// 0 Alpha { 1 5-bet Apple, 2 6-bet Берёза }, 3 Beta { 4 7-bet Жук, 5 8-bet жаба }, 6 Gamma.
const std::string kList = Line(0, "Alpha", 0) + Line(1, "5-bet Apple", 5) + Line(1, "6-bet Берёза", 6) +
                          Line(0, "Beta", 0) + Line(1, "7-bet Жук", 7) + Line(1, "8-bet жаба", 8) +
                          Line(0, "Gamma", 9);

class TreeKeyboardTest : public ::testing::Test {
 protected:
  // The main window's spacing: with the fake metric rows are 24 px tall and
  // 28 px apart at level 0 (26 below), so a 100 px view holds three rows.
  tree::Tray& Make(const std::string& list, int height = 300) {
    tray_ = std::make_unique<tree::Tray>(site_, nullptr);
    tree::Tray& t = *tray_;
    t.SetBorderStyle(0);
    t.SetTrCvetFon(kFon);
    t.SetTrCvetRazdel(kFon);
    t.SetTrCvetPodRazdel(kFon);
    t.SetTrCvetText(kText);
    t.SetTrCvetTextVb(kTextVb);
    t.SetTrVisotaPlanki(9);
    t.SetTrOtstSleva(15);
    t.SetTrOtstMegRazdel(2);
    t.SetTrOtstMegPodRazdel(2);
    t.SetColorRamki(2);
    t.SetSHagScrl(25);
    t.Surface().Move(0, 0, 371, height);
    t.PoluchiSpisok(list);
    t.VibranPapka = [this](std::int32_t& i, std::string&, std::string&, std::string&) {
      events_.push_back("Papka " + std::to_string(i));
    };
    t.VibranFil = [this](std::int32_t& i, std::string&, std::string&, std::string& page) {
      events_.push_back("Fil " + std::to_string(i) + " " + page);
    };
    return t;
  }
  FakeSurface& Face() { return static_cast<FakeSurface&>(tray_->Surface()); }
  void Settle() {
    for (int i = 0; i < 1000 && tray_->Timer1().Enabled(); ++i) host_.Clock().Advance(10);
  }
  // Keys written as in the table: names, or "'x" for the text x.
  void Press(const std::string& keys, bool settle = true) {
    std::istringstream words(keys);
    for (std::string word; words >> word;) {
      drawing::KeyPress key;
      static const std::pair<const char*, drawing::Key> kNames[] = {
          {"Up", drawing::Key::Up},     {"Down", drawing::Key::Down},     {"Left", drawing::Key::Left},
          {"Right", drawing::Key::Right}, {"Home", drawing::Key::Home},   {"End", drawing::Key::End},
          {"PgUp", drawing::Key::PageUp}, {"PgDn", drawing::Key::PageDown}, {"Enter", drawing::Key::Enter},
          {"Space", drawing::Key::Space}};
      if (word[0] == '\'') {
        key.text = word.substr(1);
      } else {
        for (const auto& [name, k] : kNames)
          if (word == name) key.key = k;
        if (key.key == drawing::Key::Space) key.text = " ";
      }
      EXPECT_TRUE(Face().events.keyDown(key)) << word;
      if (settle) Settle();
    }
  }
  bool Open(int e) { return tray_->Model().Items()[static_cast<std::size_t>(e)].IsOpen; }
  int ViewTop(int e) {
    return tray_->Model().Items()[static_cast<std::size_t>(e)].RowTop - tray_->VerticalScroll1().Value();
  }

  FakeHost host_;
  drawing::ControlSite site_{&host_, nullptr, {}};
  std::unique_ptr<tree::Tray> tray_;
  std::vector<std::string> events_;
};

TEST_F(TreeKeyboardTest, EveryKeyMovesOpensClosesOrChoosesOnTheVisibleRows) {
  struct Case {
    int height;
    const char* keys;
    int row;                      // the keyboard row afterwards
    std::vector<int> open;        // sections open afterwards
    std::vector<std::string> raised;
  };
  const Case cases[] = {
      {300, "", 0, {}, {}},                    // no selection: the first row
      {300, "Up", 0, {}, {}},                  // at the top
      {300, "Down", 3, {}, {}},                // over closed Alpha's pages
      {300, "Down Down Down", 6, {}, {}},      // stays on the bottom row
      {300, "End Home", 0, {}, {}},
      {300, "Right", 0, {0}, {}},              // opens, stays
      {300, "Right Right", 1, {0}, {}},        // into the first child
      {300, "Right Right Left", 0, {0}, {}},   // back to the parent
      {300, "Right Left", 0, {}, {}},          // closes
      {300, "Left", 0, {}, {}},                // a closed top row: nothing
      {300, "End Right Left", 6, {}, {}},      // a page: nothing either way
      {300, "Right Down Down Enter", 2, {0}, {"Fil 2 6"}},
      {300, "Down Space", 3, {3}, {"Papka 3"}},  // a section: selected and opened
      {300, "Down Enter Enter", 3, {}, {"Papka 3", "Papka 3"}},
      {300, "Right Down Enter Up Left", 0, {}, {"Fil 1 5"}},  // Left from the page, then closes
      // 100 px holds three rows: a page is three rows, and the view follows.
      {100, "Down Right Home Right End", 6, {0, 3}, {}},
      {100, "Down Right Home Right PgDn", 3, {0, 3}, {}},
      {100, "Down Right Home Right PgDn PgDn PgDn", 6, {0, 3}, {}},
      {100, "Down Right Home Right End PgUp", 3, {0, 3}, {}},
      {100, "Down Right Home Right End Home", 0, {0, 3}, {}},
  };
  for (const Case& c : cases) {
    tree::Tray& t = Make(kList, c.height);
    events_.clear();
    Press(c.keys);
    const std::string what = std::string(c.keys) + " in " + std::to_string(c.height);
    EXPECT_EQ(t.KeyboardRow(), c.row) << what;
    std::vector<int> open;
    for (int e : {0, 3})
      if (Open(e)) open.push_back(e);
    EXPECT_EQ(open, c.open) << what;
    EXPECT_EQ(events_, c.raised) << what;
    EXPECT_GE(ViewTop(c.row), 0) << what;
    EXPECT_LE(ViewTop(c.row) + 24, c.height) << what;
  }
}

TEST_F(TreeKeyboardTest, TypeAheadSkipsThePageNumberAndFoldsCyrillicCase) {
  struct Case {
    const char* keys;
    int row;
  };
  for (const Case& c : {Case{"'ж", 4},            // Жук, whatever the case
                        Case{"'ж 'а", 5},         // жаба
                        Case{"'ж 'ж", 5},         // the same letter again: the next such row
                        Case{"'ж 'ж 'ж", 4},      // and round again
                        Case{"'Б", 2},            // Берёза, not a page number
                        Case{"'б 'е 'т", 2},      // no name begins "бет": it stays on Берёза
                        Case{"'g", 6},
                        Case{"'7", 0},            // the number is not part of the name
                        Case{"'x", 0}}) {
    tree::Tray& t = Make(kList);
    Press("Right Down Down Down Right Home");  // both sections open, back at the top
    Press(c.keys);
    (void)t;
    EXPECT_EQ(tray_->KeyboardRow(), c.row) << c.keys;
  }
  // A pause ends a prefix: the next letter starts a new one.
  Make(kList);
  Press("'g");
  host_.Clock().Advance(tree::TypeAheadBuffer::kPauseMs);
  Press("'b");
  EXPECT_EQ(tray_->KeyboardRow(), 3);
}

TEST_F(TreeKeyboardTest, FocusRectangleIsTheOnlyDifferenceAndOnlyOnceTheKeyboardIsUsed) {
  // Today's pixels: the same tree that never had the focus.
  Make(kList);
  const drawing::Image plain = Face().RetainedImage();
  tree::Tray& t = *tray_;

  Face().events.enterFocus();  // focused by a click: nothing is drawn yet
  EXPECT_TRUE(t.HasFocus());
  EXPECT_FALSE(t.ShowsFocus());
  auto differing = [&](const drawing::Image& a, const drawing::Image& b) {
    std::vector<std::pair<int, int>> at;
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x)
        if (a.At(x, y) != b.At(x, y)) at.push_back({x, y});
    return at;
  };
  EXPECT_TRUE(differing(plain, Face().RetainedImage()).empty());

  Face().events.keyboardFocus();  // Tab brought it here: the row is marked
  const auto marked = differing(plain, Face().RetainedImage());
  // Row 0: x 4..358, y 0..23, every other pixel of the outline, in the text colour.
  const long long outline = 2 * (358 - 4 + 1) + 2 * (23 - 0 + 1) - 4;
  EXPECT_EQ(static_cast<long long>(marked.size()), (outline + 1) / 2);
  for (const auto& [x, y] : marked) {
    EXPECT_EQ((x + y) % 2, 0);
    EXPECT_TRUE(x == 4 || x == 358 || y == 0 || y == 23) << x << "," << y;
    EXPECT_EQ(Face().ColourAt(x, y), kText);
  }

  Face().events.exitFocus();  // focus gone: exactly today's pixels again
  EXPECT_TRUE(differing(plain, Face().RetainedImage()).empty());

  // The selected row is marked in the selected text colour.
  Face().events.enterFocus();
  Press("Down Enter");
  bool selectedColour = false;
  for (int x = 4; x <= 358; ++x) selectedColour |= Face().ColourAt(x, ViewTop(3)) == kTextVb;
  EXPECT_TRUE(selectedColour);
}

TEST_F(TreeKeyboardTest, BadInputChoosesNothingOffScreenAndNeverHangs) {
  // Empty and unparsable lists: every key is taken and does nothing.
  for (const std::string& list : {std::string(), std::string("A\r\n\t\tB")}) {
    tree::Tray& t = Make(list);
    Press("Down Up Right Left Home End PgUp PgDn Enter Space 'a");
    EXPECT_EQ(t.KeyboardRow(), -1);
    EXPECT_TRUE(events_.empty());
  }

  // Keys while rows slide: the rows exist from the first frame, so Down
  // lands on the first child and Enter chooses it.
  tree::Tray& sliding = Make(kList);
  Press("Right", false);
  ASSERT_TRUE(sliding.Timer1().Enabled());
  Press("Down Enter", false);
  EXPECT_EQ(events_, (std::vector<std::string>{"Fil 1 5"}));
  Settle();

  // Key repeat held for seconds: a thousand Downs and Ups, one per 30 ms
  // of the fake clock, end on the rows' ends.
  tree::Tray& held = Make(kList, 100);
  Press("Down Right Home Right");
  for (int i = 0; i < 1000; ++i) {
    Press("Down", false);
    host_.Clock().Advance(30);
  }
  EXPECT_EQ(held.KeyboardRow(), 6);
  for (int i = 0; i < 1000; ++i) Press("Up", false);
  EXPECT_EQ(held.KeyboardRow(), 0);
  EXPECT_EQ(held.VerticalScroll1().Value(), 0);

  // Enter after a new list: the old keyboard row (entry 5) does not exist
  // there, and the closed section's page (1) is not on screen either.
  tree::Tray& replaced = Make(kList);
  Press("Down Right Down Down");
  ASSERT_EQ(replaced.KeyboardRow(), 5);
  replaced.PoluchiSpisok(Line(0, "Sec", 0) + Line(1, "1-bet One", 1) + Line(0, "Last", 2));
  events_.clear();
  replaced.ChooseEntry(5);
  replaced.ChooseEntry(1);
  EXPECT_TRUE(events_.empty());
  Press("Enter");
  EXPECT_EQ(events_, (std::vector<std::string>{"Papka 0"}));
}

}  // namespace
