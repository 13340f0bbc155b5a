// The zoom slider on fake surfaces with a hand-driven clock: value model and
// persistence, layout, the nine-piece skins, and the pointer and auto-repeat.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "controls/slider/Hscroll.h"
#include "controls/slider/SliderPainter.h"
#include "drawing/DesignFile.h"
#include "tests/fakes/FakeHost.h"

namespace {

using slider::Hscroll;
using slider::PixelRect;

constexpr drawing::Colour kTrackColour = 0x00404040;
constexpr std::uint32_t kButtonKeyPixel = drawing::ToPixel(Hscroll::kButtonKey);

fakes::FakeSurface& Fake(drawing::Surface& s) { return static_cast<fakes::FakeSurface&>(s); }

// A skin whose every pixel differs from its neighbours: (x, y) is encoded in
// the colour, so a test can tell exactly which source pixel landed where.
drawing::PicturePtr NumberedSkin(int width, int height) {
  auto image = std::make_shared<drawing::Image>(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image->Set(x, y, drawing::ToPixel(drawing::MakeColour(10 + x, 100 + y, 200)));
  return image;
}

std::uint32_t NumberedPixel(int x, int y) { return drawing::ToPixel(drawing::MakeColour(10 + x, 100 + y, 200)); }

class SliderTest : public ::testing::Test {
 protected:
  // The main window's instance: 183 x 17, 20..300 from 100, steps of 2 and a
  // thumb of 10 pixels.
  void MakeDesignInstance() {
    drawing::PropertyBag bag;
    for (auto [key, value] : std::vector<std::pair<const char*, std::int32_t>>{
             {"Value", 100}, {"Max", 300}, {"Min", 20}, {"SmallChange", 2}, {"LargeChange", 10},
             {"BackColor", static_cast<std::int32_t>(kTrackColour)}})
      bag.Set(key, value);
    control.ReadProperties(bag);
    control.Surface().Move(0, 0, 183, 17);
    events.clear();
    record.changed.clear();
  }

  void Record() {
    control.Change = [this] { events.push_back("Change:" + std::to_string(control.Value())); };
    control.Scroll = [this] { events.push_back("Scroll:" + std::to_string(control.Value())); };
    control.DowNs = [this] { events.push_back("DowNs"); };
    control.UpNs = [this] { events.push_back("UpNs"); };
  }

  fakes::FakeSurface& Track() { return Fake(control.Volum()); }
  fakes::FakeSurface& Button(int i) { return Fake(control.UpDow(i)); }

  fakes::FakeHost host;
  fakes::RecordingSite record{host};
  Hscroll control{record.site, nullptr};
  std::vector<std::string> events;
};

// ---- value model and persistence ----

TEST_F(SliderTest, AValueAboveMaxIsClampedBeforeTheOneScroll) {
  MakeDesignInstance();
  Record();
  control.SetValue(500);
  EXPECT_EQ(events, (std::vector<std::string>{"Scroll:300"}));
  EXPECT_EQ(record.changed, (std::vector<std::string>{"Value", "Value"}));
}

TEST_F(SliderTest, TheSameValueAgainStillRepaintsAndRaisesScroll) {
  MakeDesignInstance();
  Record();
  control.SetValue(100);
  const int clears = Track().ClsCount();
  control.SetValue(100);
  EXPECT_EQ(events, (std::vector<std::string>{"Scroll:100", "Scroll:100"}));
  // RepaintAll's track, then the final thumb repaint.
  EXPECT_EQ(Track().ClsCount() - clears, 2);
}

TEST_F(SliderTest, EveryRepaintClampsWithoutAnEventAndMinWinsWhenTheBoundsCross) {
  struct Case {
    std::int32_t min, max, value, expected;
  };
  for (const Case& c : std::vector<Case>{{10, 5, 7, 10}, {20, 300, 500, 300}, {20, 300, -5, 20}, {5, 5, 9, 5}}) {
    drawing::PropertyBag bag;
    bag.Set("Min", c.min);
    bag.Set("Max", c.max);
    bag.Set("Value", c.value);
    Record();
    events.clear();
    control.ReadProperties(bag);
    EXPECT_EQ(control.Value(), c.expected) << c.min << ".." << c.max << " from " << c.value;
    EXPECT_TRUE(events.empty());
  }
}

TEST_F(SliderTest, ANewMaxBelowValueWaitsForTheNextRepaint) {
  MakeDesignInstance();
  Record();
  control.SetMax(50);
  EXPECT_EQ(control.Value(), 100);
  control.UpDow(0).events.mouseUp(drawing::kLeftButton, 0, 1, 1);  // a release repaints
  EXPECT_EQ(control.Value(), 50);
  EXPECT_TRUE(events.empty());
}

TEST_F(SliderTest, StoredDataWithoutKeysGivesTheDefaultsAndWritesNothing) {
  control.SetValue(7);
  control.SetPicSUp(NumberedSkin(7, 16));
  control.ReadProperties(drawing::PropertyBag{});
  EXPECT_EQ(control.Value(), 0);
  EXPECT_EQ(control.Max(), 0);
  EXPECT_EQ(control.Min(), 0);
  EXPECT_EQ(control.SmallChange(), 1);
  EXPECT_EQ(control.LargeChange(), 0);
  EXPECT_EQ(control.BackColor(), Hscroll::kThumbKey);
  EXPECT_EQ(control.PicSUp(), nullptr);
  drawing::PropertyBag saved;
  control.WriteProperties(saved);
  EXPECT_EQ(saved.Size(), 0u);
}

TEST_F(SliderTest, WritingFollowsTheFixedOrderAndSharesTheSkins) {
  MakeDesignInstance();
  const drawing::PicturePtr skins[6] = {NumberedSkin(17, 17), NumberedSkin(17, 17), NumberedSkin(17, 17),
                                        NumberedSkin(17, 17), NumberedSkin(7, 16),  NumberedSkin(7, 16)};
  control.SetPicVerhUp(skins[0]);
  control.SetPicVerhMove(skins[1]);
  control.SetPicNizUp(skins[2]);
  control.SetPicNizMove(skins[3]);
  control.SetPicSUp(skins[4]);
  control.SetPicSMove(skins[5]);
  control.SetBackColor(drawing::kButtonFace);
  EXPECT_EQ(control.BackColor(), drawing::kButtonFace);  // a system colour reads back unchanged
  EXPECT_EQ(control.PicNizMove(), skins[3]);             // the very object, not a copy

  drawing::PropertyBag saved;
  control.WriteProperties(saved);
  EXPECT_EQ(saved.WriteOrder(), (std::vector<std::string>{"Value", "Max", "Min", "SmallChange", "LargeChange",
                                                          "BackColor", "PicVerhUp", "PicVerhMove", "PicNizUp",
                                                          "PicNizMove", "PicSUp", "PicSMove"}));
  Hscroll copy{record.site, nullptr};
  copy.ReadProperties(saved);
  EXPECT_EQ(copy.Value(), 100);
  EXPECT_EQ(copy.SmallChange(), 2);
  EXPECT_EQ(copy.BackColor(), drawing::kButtonFace);
  EXPECT_EQ(copy.PicSMove(), skins[5]);
}

TEST_F(SliderTest, TheTrackShowsItsFixedPictureAtTheTopLeftAndBackColorBeyond) {
  static constexpr std::uint32_t kStrip = drawing::ToPixel(0x002D2D2D);
  const drawing::Design design = drawing::Design::Parse(
      "[Hscroll2]\nBackColor = 0x00404040\n[Hscroll2.Volum]\nPicture = picture(\"track\")\n",
      [](const std::string&) { return std::make_shared<drawing::Image>(150, 17, kStrip); });
  control.ReadDesign(design, "Hscroll2");
  control.Surface().Move(0, 0, 183, 20);  // a track 149 x 20
  EXPECT_EQ(Track().PixelAt(148, 16), kStrip);
  EXPECT_EQ(Track().PixelAt(148, 17), drawing::ToPixel(kTrackColour));
}

// ---- layout ----

TEST_F(SliderTest, TheDesignInstanceLaysOutButtonsTrackAndThumb) {
  MakeDesignInstance();
  auto rectOf = [](drawing::Surface& s) { return PixelRect{s.Left(), s.Top(), s.Width(), s.Height()}; };
  EXPECT_EQ(rectOf(control.UpDow(0)), (PixelRect{0, 0, 17, 17}));
  EXPECT_EQ(rectOf(control.UpDow(1)), (PixelRect{166, 0, 17, 17}));
  EXPECT_EQ(rectOf(control.Volum()), (PixelRect{17, 0, 149, 17}));
  EXPECT_EQ(control.ThumbWidth(), 10);
  EXPECT_EQ(control.TrackTravel(), 139);
  EXPECT_EQ(control.ThumbLeft(), 40);  // round(80 * 139 / 280)
}

TEST_F(SliderTest, TheControlKeepsItsMinimumSize) {
  struct Case {
    int width, height, expectedWidth, expectedHeight;
  };
  for (const Case& c : std::vector<Case>{{183, 10, 183, 17}, {40, 17, 51, 17}, {5, 0, 51, 17}}) {
    control.Surface().Move(0, 0, c.width, c.height);
    EXPECT_EQ(control.Surface().Width(), c.expectedWidth) << c.width << " x " << c.height;
    EXPECT_EQ(control.Surface().Height(), c.expectedHeight) << c.width << " x " << c.height;
    EXPECT_EQ(control.UpDow(1).Left(), c.expectedWidth - 17);
  }
}

TEST_F(SliderTest, TheThumbIsLargeChangeWideUpToFiveSeventhsOfTheTrack) {
  MakeDesignInstance();
  struct Case {
    std::int32_t largeChange, width;
  };
  for (const Case& c : std::vector<Case>{{0, 0}, {10, 10}, {106, 106}, {107, 106}, {200, 106}, {-3, -3}}) {
    control.SetLargeChange(c.largeChange);
    control.SetValue(100);
    EXPECT_EQ(control.ThumbWidth(), c.width) << "LargeChange " << c.largeChange;
  }
}

// ---- nine-piece skins ----

TEST_F(SliderTest, AButtonSkinOfTheButtonsSizeIsReproducedPixelForPixel) {
  MakeDesignInstance();
  auto skin = std::make_shared<drawing::Image>(*NumberedSkin(17, 17));
  skin->Set(8, 8, kButtonKeyPixel);  // transparent: the button's background shows
  control.SetPicNizUp(skin);
  control.SetValue(100);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x) ASSERT_EQ(Button(1).PixelAt(x, y), skin->At(x, y)) << x << "," << y;
}

TEST_F(SliderTest, AButtonSkinKeepsItsCornersAndStretchesEdgesAndCentre) {
  MakeDesignInstance();
  control.SetPicVerhUp(NumberedSkin(6, 5));  // centre 2 x 1, stretched to 13 x 13
  control.SetValue(100);
  fakes::FakeSurface& b = Button(0);
  struct Probe {
    int x, y, sx, sy;
  };
  for (const Probe& p : std::vector<Probe>{
           {0, 0, 0, 0}, {1, 1, 1, 1}, {16, 0, 5, 0}, {15, 16, 4, 4}, {0, 16, 0, 4},  // corners 1:1
           {2, 0, 2, 0}, {14, 1, 3, 1}, {0, 8, 0, 2}, {16, 14, 5, 2},                   // edges along their length
           {2, 2, 2, 2}, {14, 14, 3, 2}, {8, 15, 3, 3}}) {                              // centre both ways
    EXPECT_EQ(b.PixelAt(p.x, p.y), NumberedPixel(p.sx, p.sy)) << p.x << "," << p.y;
  }
}

TEST_F(SliderTest, TheThumbSkinIsStretchedOverTheThumbAndItsKeyShowsTheTrack) {
  MakeDesignInstance();
  auto skin = std::make_shared<drawing::Image>(*NumberedSkin(7, 16));
  skin->Set(0, 0, drawing::ToPixel(Hscroll::kThumbKey));
  control.SetPicSUp(skin);
  control.SetValue(100);  // thumb 10 wide at 40, 17 high: centre 3 x 12 -> 6 x 13
  fakes::FakeSurface& t = Track();
  const std::uint32_t track = drawing::ToPixel(kTrackColour);
  EXPECT_EQ(t.PixelAt(40, 0), track);  // the key pixel lets the track through
  EXPECT_EQ(t.PixelAt(39, 5), track);
  EXPECT_EQ(t.PixelAt(50, 5), track);
  struct Probe {
    int x, y, sx, sy;
  };
  for (const Probe& p : std::vector<Probe>{{41, 1, 1, 1},
                                           {48, 15, 5, 14},
                                           {49, 16, 6, 15},
                                           {42, 2, 2, 2},
                                           {47, 14, 4, 13},
                                           {44, 8, 3, 8},
                                           {40, 10, 0, 9}})
    EXPECT_EQ(t.PixelAt(p.x, p.y), NumberedPixel(p.sx, p.sy)) << p.x << "," << p.y;
}

TEST_F(SliderTest, AZeroWideThumbIsAFourPixelSliver) {
  MakeDesignInstance();
  control.SetLargeChange(0);
  control.SetPicSUp(NumberedSkin(7, 16));
  control.SetValue(100);  // thumb 0 wide at round(80 * 149 / 280) = 43
  ASSERT_EQ(control.ThumbLeft(), 43);
  const std::uint32_t track = drawing::ToPixel(kTrackColour);
  for (int x = 38; x <= 46; ++x) {
    const bool drawn = x >= 41 && x <= 44;
    EXPECT_EQ(Track().PixelAt(x, 8) != track, drawn) << x;
  }
  EXPECT_EQ(Track().PixelAt(41, 8), NumberedPixel(5, 8));  // the right column, at X - 2
  EXPECT_EQ(Track().PixelAt(43, 8), NumberedPixel(0, 8));  // the left column, at X
}

TEST_F(SliderTest, WithoutSkinsOnlyTheBackgroundsShow) {
  MakeDesignInstance();
  for (int x = 0; x < 17; ++x) EXPECT_EQ(Button(0).PixelAt(x, 8), kButtonKeyPixel);
  for (int x = 0; x < 149; ++x) EXPECT_EQ(Track().PixelAt(x, 8), drawing::ToPixel(kTrackColour));
}

TEST(SliderPainterTest, APieceOutsideSixteenBitsIsLeftOutNotWrapped) {
  drawing::Image target(8, 4, 0xFF000000u);
  drawing::Image source(4, 4, 0xFFFFFFFFu);
  slider::NinePieces pieces{};
  pieces[0] = {{65536 + 2, 0, 2, 2}, {0, 0, 2, 2}};  // would land at x = 2 if wrapped
  pieces[1] = {{4, 0, 2, 2}, {0, 0, 2, 2}};
  slider::CopyPieces(target.View(), source.View(), pieces, 0x00123456);
  EXPECT_EQ(target.At(2, 0), 0xFF000000u);
  EXPECT_EQ(target.At(4, 0), 0xFFFFFFFFu);
}

// ---- pointer on the track ----

TEST_F(SliderTest, APressBesideTheThumbJumpsItThere) {
  MakeDesignInstance();
  Record();
  control.Volum().events.mouseDown(drawing::kLeftButton, 0, 5, 8);
  EXPECT_EQ(control.DragLeft(), 5);
  EXPECT_EQ(events, (std::vector<std::string>{"DowNs", "Scroll:30"}));  // round(5 * 280 / 139 + 20)
  EXPECT_TRUE(control.Dragging());
}

TEST_F(SliderTest, ADragFromTheThumbFollowsThePointerToBothEnds) {
  MakeDesignInstance();
  Record();
  drawing::SurfaceEvents& track = control.Volum().events;
  track.mouseDown(drawing::kLeftButton, 0, 45, 8);
  EXPECT_EQ(events, (std::vector<std::string>{"DowNs"}));
  track.mouseMove(drawing::kLeftButton, 0, 145, 8);
  EXPECT_EQ(control.DragLeft(), 139);
  EXPECT_EQ(control.Value(), 300);
  track.mouseMove(drawing::kLeftButton, 0, -60, 30);
  EXPECT_EQ(control.DragLeft(), 0);
  EXPECT_EQ(control.Value(), 20);
  track.mouseUp(drawing::kLeftButton, 0, -60, 30);
  EXPECT_EQ(events, (std::vector<std::string>{"DowNs", "Scroll:300", "Scroll:20", "UpNs"}));
  EXPECT_FALSE(control.Dragging());
  track.mouseMove(0, 0, 100, 8);  // no drag without a press
  EXPECT_EQ(control.Value(), 20);
}

TEST_F(SliderTest, RightAndMiddleButtonsDragLikeTheLeftOne) {
  for (int button : {drawing::kRightButton, drawing::kMiddleButton}) {
    MakeDesignInstance();
    control.Volum().events.mouseDown(button, 0, 5, 8);
    control.Volum().events.mouseUp(button, 0, 5, 8);
    EXPECT_EQ(control.Value(), 30) << "button " << button;
    control.UpDow(1).events.mouseDown(button, 0, 5, 8);
    host.Clock().Advance(20);
    control.UpDow(1).events.mouseUp(button, 0, 5, 8);
    EXPECT_EQ(control.Value(), 32) << "button " << button;
  }
}

TEST_F(SliderTest, WithNoRangeADragLeavesValueAtMin) {
  MakeDesignInstance();
  control.SetMax(20);
  control.SetValue(20);
  control.Volum().events.mouseDown(drawing::kLeftButton, 0, 100, 8);
  control.Volum().events.mouseMove(drawing::kLeftButton, 0, 120, 8);
  EXPECT_EQ(control.Value(), 20);
  EXPECT_EQ(control.ThumbLeft(), 0);
}

// ---- end buttons and Timer1 ----

TEST_F(SliderTest, HoldingAButtonStepsOnEveryTickFromTheFirst) {
  MakeDesignInstance();
  control.SetPicNizMove(NumberedSkin(17, 17));
  Record();
  const int clears = Button(1).ClsCount();
  control.UpDow(1).events.mouseDown(drawing::kLeftButton, 0, 8, 8);
  EXPECT_EQ(Button(1).ClsCount(), clears);  // the press neither steps nor repaints
  host.Clock().Advance(19);
  EXPECT_TRUE(events.empty());
  host.Clock().Advance(1);
  EXPECT_EQ(Button(1).PixelAt(8, 8), NumberedPixel(8, 8));  // the Move skin comes with the first tick
  Button(1).MoveMouse(drawing::kLeftButton, 0, 80, 80);  // off the button: still held
  host.Clock().Advance(40);
  EXPECT_EQ(events, (std::vector<std::string>{"Scroll:102", "Change:102", "Scroll:104", "Change:104", "Scroll:106",
                                              "Change:106"}));
  control.UpDow(1).events.mouseUp(drawing::kLeftButton, 0, 80, 80);
  EXPECT_EQ(Button(1).PixelAt(8, 8), kButtonKeyPixel);  // Up skin (none here) at once
  host.Clock().Advance(20);                             // this tick switches the timer off
  EXPECT_FALSE(control.Timer1().Enabled());
  EXPECT_EQ(control.Value(), 106);
}

TEST_F(SliderTest, AutoRepeatCases) {
  struct Case {
    const char* name;
    std::int32_t value;
    bool left, right;
    int releaseAfter;  // milliseconds held
    std::int32_t expected;
    int changes;
  };
  for (const Case& c : std::vector<Case>{{"released before the first tick", 100, false, true, 19, 100, 0},
                                         {"both held: only the right one steps", 100, true, true, 40, 104, 2},
                                         {"at Max it keeps raising", 300, false, true, 60, 300, 3},
                                         {"21 minus 2 stops at Min", 21, true, false, 20, 20, 1},
                                         {"at Min on the left", 20, true, false, 40, 20, 2}}) {
    MakeDesignInstance();
    // The last case's handlers count into variables of a finished iteration.
    control.Change = nullptr;
    control.Scroll = nullptr;
    control.SetValue(c.value);
    int changes = 0, scrolls = 0;
    control.Change = [&] { ++changes; };
    control.Scroll = [&] { ++scrolls; };
    if (c.left) control.UpDow(0).events.mouseDown(drawing::kLeftButton, 0, 8, 8);
    if (c.right) control.UpDow(1).events.mouseDown(drawing::kLeftButton, 0, 8, 8);
    host.Clock().Advance(c.releaseAfter);
    if (c.left) control.UpDow(0).events.mouseUp(drawing::kLeftButton, 0, 8, 8);
    if (c.right) control.UpDow(1).events.mouseUp(drawing::kLeftButton, 0, 8, 8);
    host.Clock().Advance(100);
    EXPECT_EQ(control.Value(), c.expected) << c.name;
    EXPECT_EQ(changes, c.changes) << c.name;
    EXPECT_EQ(scrolls, c.changes) << c.name;
  }
}

TEST_F(SliderTest, ADoubleClickOnAButtonActsAsAPress) {
  MakeDesignInstance();
  drawing::SurfaceEvents& b = control.UpDow(0).events;
  b.mouseDown(drawing::kLeftButton, 0, 8, 8);
  b.mouseUp(drawing::kLeftButton, 0, 8, 8);
  b.doubleClick(drawing::kLeftButton, 0, 8, 8);
  host.Clock().Advance(20);
  EXPECT_TRUE(control.ButtonHeld(0));
  EXPECT_EQ(control.Value(), 98);
}

TEST_F(SliderTest, StepsNearThe32BitLimitsNeverWrap) {
  constexpr std::int32_t kTop = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kBottom = std::numeric_limits<std::int32_t>::min();
  struct Case {
    std::int32_t min, max, value, step;
    int button;
    std::int32_t expected;
  };
  for (const Case& c : std::vector<Case>{{0, kTop, kTop - 1, 5, 1, kTop},
                                         {kBottom, 0, kBottom + 1, 5, 0, kBottom},
                                         {kBottom, 0, kBottom + 1, -5, 1, kBottom + 1}}) {
    MakeDesignInstance();
    control.SetMin(c.min);
    control.SetMax(c.max);
    control.SetSmallChange(c.step);
    control.SetValue(c.value);
    control.UpDow(c.button).events.mouseDown(drawing::kLeftButton, 0, 8, 8);
    host.Clock().Advance(20);
    control.UpDow(c.button).events.mouseUp(drawing::kLeftButton, 0, 8, 8);
    EXPECT_EQ(control.Value(), c.expected) << c.value << " step " << c.step;
  }
}

// ---- the keyboard ----

TEST_F(SliderTest, KeysAssignValueThroughTheSetterAndStopAtTheBounds) {
  constexpr std::int32_t kTop = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kBottom = std::numeric_limits<std::int32_t>::min();
  using drawing::Key;
  struct Case {
    Key key;
    std::int32_t value, expected;
    std::int32_t min = 20, max = 300, step = 2;
  };
  for (const Case& c : std::vector<Case>{
           {Key::Left, 100, 98},      {Key::Down, 100, 98},       {Key::Right, 100, 102},
           {Key::Up, 100, 102},       {Key::PageDown, 100, 80},   {Key::PageUp, 100, 120},
           {Key::Home, 100, 20},      {Key::End, 100, 300},       {Key::Left, 21, 20},
           {Key::PageDown, 30, 20},   {Key::PageUp, 295, 300},    {Key::Right, 300, 300},
           {Key::End, 0, kTop, 0, kTop, 5},  {Key::PageUp, kTop - 20, kTop, 0, kTop, 5},
           {Key::Up, kBottom + 1, kBottom + 1, kBottom, 0, -5}}) {
    MakeDesignInstance();
    control.SetMin(c.min);
    control.SetMax(c.max);
    control.SetSmallChange(c.step);
    control.SetValue(c.value);
    Record();
    events.clear();
    drawing::KeyPress key;
    key.key = c.key;
    EXPECT_TRUE(control.Surface().events.keyDown(key));
    EXPECT_EQ(events, (std::vector<std::string>{"Scroll:" + std::to_string(c.expected)}))
        << static_cast<int>(c.key) << " from " << c.value;
  }
  // Other keys are the window's: nothing is assigned.
  MakeDesignInstance();
  Record();
  for (Key other : {Key::Enter, Key::Space, Key::Other}) {
    drawing::KeyPress key;
    key.key = other;
    EXPECT_FALSE(control.Surface().events.keyDown(key));
  }
  EXPECT_TRUE(events.empty());
}

TEST_F(SliderTest, TheThumbIsOutlinedOnlyWhileFocusedFromTheKeyboard) {
  MakeDesignInstance();
  control.SetPicSUp(NumberedSkin(7, 16));
  control.SetValue(100);
  const drawing::Image plain = Track().RetainedImage();
  auto differing = [&] {
    std::vector<std::pair<int, int>> at;
    const drawing::Image& now = Track().RetainedImage();
    for (int y = 0; y < now.Height(); ++y)
      for (int x = 0; x < now.Width(); ++x)
        if (now.At(x, y) != plain.At(x, y)) at.push_back({x, y});
    return at;
  };
  drawing::SurfaceEvents& ev = control.Surface().events;
  ev.enterFocus();  // a click: the slider looks as it always did
  control.SetValue(100);
  EXPECT_TRUE(differing().empty());
  ev.keyboardFocus();  // Tab: the thumb (x 40..49, the track's 17 rows) is outlined
  const PixelRect thumb = control.Thumb();
  const auto marked = differing();
  EXPECT_FALSE(marked.empty());
  for (const auto& [x, y] : marked) {
    EXPECT_TRUE(x == thumb.left || x == thumb.left + thumb.width - 1 || y == 0 || y == thumb.height - 1)
        << x << "," << y;
    EXPECT_EQ(Track().PixelAt(x, y), drawing::ToPixel(Hscroll::kThumbFocusColour));
  }
  ev.exitFocus();
  EXPECT_TRUE(differing().empty());
}

}  // namespace
