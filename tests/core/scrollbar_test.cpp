#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "controls/scrollbar/VerticalScroll.h"
#include "drawing/Arithmetic.h"
#include "tests/fakes/FakeHost.h"

namespace {

using scrollbar::VerticalScroll;

constexpr drawing::Colour kThumb = 0x000000FF;      // red
constexpr drawing::Colour kTrack = 0x00303030;
constexpr int kWidth = 15;
constexpr int kHeight = 200;

const std::vector<std::string> kPersistedKeys = {"BackColor", "BegunokColor", "BegunokVisota", "Max",
                                                 "Min",       "Value",        "SHag"};

class ScrollBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bar = std::make_unique<VerticalScroll>(surface, record.site);
    bar->ScrolChange = [this](std::int32_t& v) { events.push_back("change:" + std::to_string(v)); };
    bar->ScrolHide = [this] { events.push_back("hide"); };
    bar->ScrolShow = [this] { events.push_back("show"); };
    surface.Move(0, 0, kWidth, kHeight);
  }

  // Height 200 with the default thumb of 25: a track of 174 for a range of
  // 348, two values per pixel.
  void UseTrackWithTwoValuesPerPixel(std::int32_t value) {
    bar->SetBegunokColor(kThumb);
    bar->SetBackColor(kTrack);
    bar->SetMax(348);
    bar->SetValue(value, false);
    events.clear();
    record.changed.clear();
  }

  bool RowIs(int y, drawing::Colour colour) const {
    for (int x = 0; x < surface.ScaleWidth(); ++x)
      if (surface.ColourAt(x, y) != colour) return false;
    return true;
  }

  fakes::FakeHost host;
  fakes::RecordingSite record{host};
  fakes::FakeSurface surface{nullptr, [this](drawing::Colour c) { return host.ResolveColour(c); }};
  std::unique_ptr<VerticalScroll> bar;
  std::vector<std::string> events;
};

TEST_F(ScrollBarTest, StartsWithTheDocumentedDefaults) {
  EXPECT_EQ(bar->BackColor(), drawing::kButtonFace);
  EXPECT_EQ(bar->BegunokColor(), 0u);
  EXPECT_EQ(bar->BegunokVisota(), 25);
  EXPECT_EQ(bar->Max(), 0);
  EXPECT_EQ(bar->Min(), 0);
  EXPECT_EQ(bar->Value(), 0);
  EXPECT_EQ(bar->SHag(), 25);
  EXPECT_EQ(bar->hWnd(), surface.hWnd());
  EXPECT_EQ(bar->hdc(), surface.hdc());
}

TEST_F(ScrollBarTest, ThumbSitsWhereTheValueMapsOntoTheTrack) {
  UseTrackWithTwoValuesPerPixel(0);
  bar->SetValueProperty(174);

  const scrollbar::ThumbRect thumb = bar->Thumb();
  EXPECT_EQ(thumb.top, 87);
  EXPECT_EQ(thumb.bottom, 87 + 25);
  EXPECT_EQ(thumb.left, 0);
  EXPECT_EQ(thumb.right, kWidth - 1);
  // Both edges are drawn: the thumb covers BegunokVisota + 1 rows.
  EXPECT_TRUE(RowIs(86, kTrack));
  EXPECT_TRUE(RowIs(87, kThumb));
  EXPECT_TRUE(RowIs(112, kThumb));
  EXPECT_TRUE(RowIs(113, kTrack));
  EXPECT_EQ(surface.PixelAt(0, 100), drawing::ToPixel(kThumb));
  EXPECT_FALSE(surface.AutoRedraw()) << "persistent drawing is switched off after the repaint";
}

TEST_F(ScrollBarTest, ThumbPositionRoundsHalvesToEven) {
  UseTrackWithTwoValuesPerPixel(0);
  // Value / 2: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2, 3.5 -> 4.
  const std::vector<std::pair<std::int32_t, std::int32_t>> cases = {{1, 0}, {3, 2}, {5, 2}, {7, 4}};
  for (auto [value, top] : cases) {
    bar->SetValue(value, false);
    EXPECT_EQ(bar->Value(), value);
    EXPECT_EQ(bar->Thumb().top, top) << "value " << value;
  }
}

TEST_F(ScrollBarTest, LargestValuePutsTheThumbOnTheLastRow) {
  UseTrackWithTwoValuesPerPixel(348);
  EXPECT_EQ(bar->Thumb().top, 174);
  EXPECT_TRUE(RowIs(173, kTrack));
  EXPECT_TRUE(RowIs(174, kThumb));
  EXPECT_TRUE(RowIs(kHeight - 1, kThumb));
}

TEST_F(ScrollBarTest, ResizeRecomputesTheThumbWithoutEvents) {
  UseTrackWithTwoValuesPerPixel(174);
  surface.Move(0, 0, kWidth, 374);  // track 348: one value per pixel
  EXPECT_EQ(bar->Thumb().top, 174);
  EXPECT_TRUE(RowIs(173, kTrack));
  EXPECT_TRUE(RowIs(174, kThumb));
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(bar->Value(), 174);
}

TEST_F(ScrollBarTest, SettingMaxRaisesShowOrHide) {
  bar->SetMax(0);
  EXPECT_EQ(events, (std::vector<std::string>{"hide"}));
  events.clear();
  bar->SetMax(100);
  EXPECT_EQ(events, (std::vector<std::string>{"show"}));
  EXPECT_EQ(record.changed, (std::vector<std::string>{"Max", "Max"}));
}

TEST_F(ScrollBarTest, MaxBelowValueClampsAndRaisesChange) {
  UseTrackWithTwoValuesPerPixel(174);
  bar->SetMax(100);
  EXPECT_EQ(bar->Value(), 100);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "show", "change:100"}));
  EXPECT_EQ(bar->Thumb().top, 174) << "the largest value sits at the end of the track";
}

TEST_F(ScrollBarTest, NegativeMaxBecomesZeroAndDragsTheValueAlong) {
  UseTrackWithTwoValuesPerPixel(10);
  bar->SetMax(-5);
  EXPECT_EQ(bar->Max(), 0);
  EXPECT_EQ(bar->Value(), 0);
  EXPECT_EQ(events, (std::vector<std::string>{"hide", "hide", "change:0", "hide"}));
}

TEST_F(ScrollBarTest, ValueAboveMaxStoresMaxWithoutChangeEvent) {
  UseTrackWithTwoValuesPerPixel(0);
  bar->SetValueProperty(500);
  EXPECT_EQ(bar->Value(), 348);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "show"}));
  EXPECT_EQ(bar->Thumb().top, 174);
  EXPECT_EQ(record.changed, (std::vector<std::string>{"Value", "Value"}));
}

TEST_F(ScrollBarTest, SetValueClampsToTheRange) {
  UseTrackWithTwoValuesPerPixel(174);
  bar->SetValue(-50, true);
  EXPECT_EQ(bar->Value(), 0);
  EXPECT_EQ(bar->Thumb().top, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "change:0"}));

  events.clear();
  bar->SetValue(1000, true);
  EXPECT_EQ(bar->Value(), 348);
  EXPECT_EQ(bar->Thumb().top, 174);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "change:348"}));
}

TEST_F(ScrollBarTest, SetValueRaisesChangeOnlyWhenAskedAndWhenTheValueMoves) {
  UseTrackWithTwoValuesPerPixel(100);
  bar->SetValue(120, false);
  EXPECT_EQ(bar->Value(), 120);
  EXPECT_EQ(events, (std::vector<std::string>{"show"}));

  events.clear();
  bar->SetValue(120, true);
  EXPECT_TRUE(events.empty()) << "same value: nothing to report";
}

TEST_F(ScrollBarTest, ZeroRangeKeepsTheValueAtZero) {
  bar->SetBegunokColor(kThumb);
  events.clear();
  EXPECT_NO_THROW(bar->SetValue(5, true));
  EXPECT_NO_THROW(bar->SetValue(-3, true));
  EXPECT_EQ(bar->Value(), 0);
  EXPECT_TRUE(events.empty());
}

TEST_F(ScrollBarTest, ZeroRangeHidesThroughTheValueSetterOnlyWhenTheValueChanges) {
  // A loaded value outside a zero range is only corrected by the next move.
  drawing::PropertyBag saved;
  saved.Set("Value", std::int32_t{7});
  bar->ReadProperties(saved);
  ASSERT_EQ(bar->Value(), 7);
  bar->SetValue(3, true);
  EXPECT_EQ(bar->Value(), 0);
  EXPECT_EQ(events, (std::vector<std::string>{"hide", "change:0"}));
}

TEST_F(ScrollBarTest, PressOnTheTrackCentresTheThumbUnderTheCursor) {
  UseTrackWithTwoValuesPerPixel(0);
  // Any button drags: the right one here.
  surface.PressMouse(drawing::kRightButton, 0, 5, 150);
  // Thumb top 150 - 12.5 -> 138 (half to even), two values per pixel.
  EXPECT_EQ(bar->Thumb().top, 138);
  EXPECT_EQ(bar->Value(), 276);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "change:276"}));
  EXPECT_TRUE(RowIs(137, kTrack));
  EXPECT_TRUE(RowIs(138, kThumb));
  EXPECT_TRUE(RowIs(163, kThumb));
  EXPECT_TRUE(RowIs(164, kTrack));

  events.clear();
  surface.MoveMouse(drawing::kRightButton, 0, 5, 160);  // keeps the 12-pixel grab
  EXPECT_EQ(bar->Thumb().top, 148);
  EXPECT_EQ(bar->Value(), 296);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "change:296"}));

  events.clear();
  surface.ReleaseMouse(drawing::kRightButton, 0, 5, 160);
  surface.MoveMouse(0, 0, 5, 20);
  EXPECT_EQ(bar->Value(), 296) << "no drag after the release";
  EXPECT_TRUE(events.empty());
}

TEST_F(ScrollBarTest, PressInsideTheThumbGrabsItWhereItIs) {
  UseTrackWithTwoValuesPerPixel(174);  // thumb rows 87..112
  surface.PressMouse(drawing::kLeftButton, 0, 3, 100);
  EXPECT_EQ(bar->Value(), 174);
  EXPECT_EQ(bar->Thumb().top, 87);
  EXPECT_TRUE(events.empty());

  surface.MoveMouse(drawing::kLeftButton, 0, 3, 110);  // 13 pixels below the top
  EXPECT_EQ(bar->Thumb().top, 97);
  EXPECT_EQ(bar->Value(), 194);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "change:194"}));

  events.clear();
  surface.MoveMouse(drawing::kLeftButton, 0, 3, -40);
  EXPECT_EQ(bar->Thumb().top, 0);
  EXPECT_EQ(bar->Value(), 0);
  surface.MoveMouse(drawing::kLeftButton, 0, 3, 500);
  EXPECT_EQ(bar->Thumb().top, 174);
  EXPECT_EQ(bar->Value(), 348);
}

TEST_F(ScrollBarTest, PressOnAThumbEdgeRecentresIt) {
  UseTrackWithTwoValuesPerPixel(174);
  surface.PressMouse(drawing::kMiddleButton, 0, 3, 87);  // top edge: 87 - 12.5 -> 74
  EXPECT_EQ(bar->Thumb().top, 74);
  EXPECT_EQ(bar->Value(), 148);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "change:148"}));
  surface.ReleaseMouse(drawing::kMiddleButton, 0, 3, 87);

  UseTrackWithTwoValuesPerPixel(174);
  surface.PressMouse(drawing::kLeftButton, 0, 3, 112);  // bottom edge: 112 - 12.5 -> 100
  EXPECT_EQ(bar->Thumb().top, 100);
  EXPECT_EQ(bar->Value(), 200);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "change:200"}));
  surface.ReleaseMouse(drawing::kLeftButton, 0, 3, 112);

  UseTrackWithTwoValuesPerPixel(174);
  surface.PressMouse(drawing::kLeftButton, 0, 3, 88);  // one pixel inside
  EXPECT_EQ(bar->Value(), 174);
  EXPECT_TRUE(events.empty());
}

TEST_F(ScrollBarTest, DivisionProblemsNeverEscape) {
  bar->SetMax(10);
  // Track length 0: a bar exactly one pixel taller than its thumb.
  surface.Move(0, 0, kWidth, 26);
  events.clear();
  EXPECT_NO_THROW(bar->SetValue(5, true));
  EXPECT_EQ(bar->Value(), 0);
  EXPECT_TRUE(events.empty());
  EXPECT_NO_THROW(surface.PressMouse(drawing::kLeftButton, 0, 3, 20));
  EXPECT_NO_THROW(surface.MoveMouse(drawing::kLeftButton, 0, 3, 24));
  EXPECT_EQ(bar->Value(), 0);
  surface.ReleaseMouse(drawing::kLeftButton, 0, 3, 24);

  // Shorter than the thumb, and no surface at all.
  for (int height : {10, 0}) {
    surface.Move(0, 0, kWidth, height);
    EXPECT_NO_THROW(bar->SetValue(5, true));
    EXPECT_NO_THROW(surface.PressMouse(drawing::kLeftButton, 0, 3, 4));
    EXPECT_NO_THROW(surface.MoveMouse(drawing::kLeftButton, 0, 3, 1));
    surface.ReleaseMouse(drawing::kLeftButton, 0, 3, 1);
    EXPECT_GE(bar->Value(), 0);
    EXPECT_LE(bar->Value(), 10);
  }

  // Zero range on a normal bar.
  surface.Move(0, 0, kWidth, kHeight);
  bar->SetMax(0);
  EXPECT_NO_THROW(surface.PressMouse(drawing::kLeftButton, 0, 3, 150));
  EXPECT_EQ(bar->Value(), 0);
}

TEST_F(ScrollBarTest, RepaintSkipsAThumbWhoseBottomOverflows) {
  UseTrackWithTwoValuesPerPixel(174);
  const int clears = surface.ClsCount();
  EXPECT_NO_THROW(bar->SetBegunokVisota(std::numeric_limits<std::int32_t>::max()));
  EXPECT_EQ(surface.ClsCount(), clears + 1) << "the bar is still cleared";
  for (int y = 0; y < kHeight; ++y) ASSERT_TRUE(RowIs(y, kTrack)) << "row " << y;
  EXPECT_FALSE(surface.AutoRedraw());
  EXPECT_THROW(bar->Thumb(), drawing::OverflowError);
  // The press has no handler for it: the error reaches the host.
  EXPECT_THROW(surface.PressMouse(drawing::kLeftButton, 0, 3, 50), drawing::OverflowError);
}

TEST_F(ScrollBarTest, SettersMarkTheirPropertyAndRepaintOnlyForLooks) {
  const int clears = surface.ClsCount();
  bar->SetMin(4);
  bar->SetSHag(9);
  EXPECT_EQ(surface.ClsCount(), clears) << "Min and SHag do not repaint";
  bar->SetBackColor(0x00112233);
  bar->SetBegunokColor(0x00445566);
  bar->SetBegunokVisota(30);
  EXPECT_EQ(surface.ClsCount(), clears + 3);
  EXPECT_EQ(record.changed, (std::vector<std::string>{"Min", "SHag", "BackColor", "BegunokColor", "BegunokVisota"}));
  EXPECT_EQ(bar->Min(), 4);
  EXPECT_EQ(bar->SHag(), 9);
  EXPECT_EQ(bar->BackColor(), 0x00112233u);
  EXPECT_EQ(surface.BackColor(), 0x00112233u) << "the surface holds the bar's background";
  EXPECT_EQ(bar->BegunokColor(), 0x00445566u);
  EXPECT_EQ(bar->BegunokVisota(), 30);
  EXPECT_TRUE(events.empty());
}

TEST_F(ScrollBarTest, EmptyBagGivesDefaultsAndTheButtonFaceBackground) {
  bar->SetBackColor(0x00112233);
  bar->SetSHag(3);
  drawing::PropertyBag empty;
  bar->ReadProperties(empty);
  EXPECT_EQ(bar->BackColor(), drawing::kButtonFace);
  EXPECT_EQ(bar->SHag(), 25);
  EXPECT_EQ(bar->BegunokVisota(), 25);
  // Painted with the resolved system colour; the black default thumb at the top.
  EXPECT_EQ(surface.ColourAt(0, 30), host.ResolveColour(drawing::kButtonFace));
  EXPECT_EQ(surface.ColourAt(0, 30), 0x00F0F0F0u);
  EXPECT_EQ(surface.ColourAt(kWidth - 1, 0), 0x00000000u);
}

TEST_F(ScrollBarTest, ValuesEqualToTheirDefaultsAreNotWritten) {
  drawing::PropertyBag bag;
  bar->WriteProperties(bag);
  EXPECT_EQ(bag.Size(), 0u);
}

TEST_F(ScrollBarTest, WritesTheSevenPropertiesInOrder) {
  bar->SetBackColor(0x00112233);
  bar->SetBegunokColor(0x00445566);
  bar->SetBegunokVisota(30);
  bar->SetMax(400);
  bar->SetMin(2);
  bar->SetValue(40, false);
  bar->SetSHag(12);
  drawing::PropertyBag bag;
  bar->WriteProperties(bag);
  EXPECT_EQ(bag.WriteOrder(), kPersistedKeys);
  EXPECT_EQ(bag.Read<std::int32_t>("BackColor", 0), 0x00112233);
  EXPECT_EQ(bag.Read<std::int32_t>("Max", 0), 400);
  EXPECT_EQ(bag.Read<std::int32_t>("Value", 0), 40);
  EXPECT_EQ(bag.Read<std::int32_t>("SHag", 0), 12);

  fakes::FakeSurface otherSurface;
  VerticalScroll other(otherSurface, drawing::ControlSite{&host, nullptr, {}});
  other.ReadProperties(bag);
  EXPECT_EQ(other.BackColor(), bar->BackColor());
  EXPECT_EQ(other.BegunokColor(), bar->BegunokColor());
  EXPECT_EQ(other.BegunokVisota(), bar->BegunokVisota());
  EXPECT_EQ(other.Max(), bar->Max());
  EXPECT_EQ(other.Min(), bar->Min());
  EXPECT_EQ(other.Value(), bar->Value());
  EXPECT_EQ(other.SHag(), bar->SHag());
}

TEST_F(ScrollBarTest, SystemBackgroundIsStoredAsItsPattern) {
  bar->SetBackColor(0x80000005u);
  drawing::PropertyBag bag;
  bar->WriteProperties(bag);
  EXPECT_EQ(static_cast<drawing::Colour>(bag.Read<std::int32_t>("BackColor", 0)), 0x80000005u);
  EXPECT_EQ(surface.ColourAt(0, kHeight - 1), 0x00FFFFFFu) << "window colour of the test palette";
}

TEST_F(ScrollBarTest, ReadingAssignsDirectlyWithoutEventsOrNotifications) {
  drawing::PropertyBag bag;
  bag.Set("BackColor", std::int32_t{0x00112233});
  bag.Set("BegunokColor", std::int32_t{0x00445566});
  bag.Set("BegunokVisota", std::int32_t{30});
  bag.Set("Max", std::int32_t{10});
  bag.Set("Min", std::int32_t{3});
  bag.Set("Value", std::int32_t{50});  // above Max: a setter would clamp it
  bag.Set("SHag", std::int32_t{7});
  bar->ReadProperties(bag);
  EXPECT_EQ(bar->Value(), 50);
  EXPECT_EQ(bar->Max(), 10);
  EXPECT_EQ(bar->Min(), 3);
  EXPECT_EQ(bar->SHag(), 7);
  EXPECT_EQ(bar->BegunokVisota(), 30);
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(record.changed.empty());
  EXPECT_EQ(surface.ColourAt(0, kHeight - 1), 0x00112233u) << "repainted after reading";
}

TEST_F(ScrollBarTest, ReadsInTheDocumentedOrder) {
  // Two damaged neighbours: the error names the one read first.
  for (std::size_t i = 0; i + 1 < kPersistedKeys.size(); ++i) {
    drawing::PropertyBag bag;
    bag.Set(kPersistedKeys[i + 1], std::string("damaged"));
    bag.Set(kPersistedKeys[i], std::string("damaged"));
    try {
      bar->ReadProperties(bag);
      ADD_FAILURE() << "a damaged value must reach the host";
    } catch (const drawing::PropertyTypeError& e) {
      EXPECT_NE(std::string(e.what()).find("\"" + kPersistedKeys[i] + "\""), std::string::npos)
          << kPersistedKeys[i] << " before " << kPersistedKeys[i + 1] << ": " << e.what();
    }
  }
}

}  // namespace
