// The contents tree control on fake host services: its saved properties,
// what it forwards to its scroll bar and balloon, wheel scrolling, and the
// background it paints until rows are drawn.
#include <gtest/gtest.h>

#include <algorithm>

#include "controls/tree/Tray.h"
#include "drawing/WheelTargets.h"
#include "tests/fakes/FakeHost.h"

namespace {

using fakes::FakeHost;
using fakes::FakeSurface;
using fakes::RecordingSite;

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override { drawing::ClearWheelTargets(); }
  void TearDown() override { drawing::ClearWheelTargets(); }

  FakeSurface& TraySurface(tree::Tray& t) { return static_cast<FakeSurface&>(t.Surface()); }

  FakeHost host_;
  RecordingSite site_{host_};
};

TEST_F(TrayTest, EmptyBagGivesEveryDefaultAndWritesNothing) {
  tree::Tray tray(site_.site, nullptr);
  tray.ReadProperties(drawing::PropertyBag{});
  EXPECT_EQ(tray.Spisok(), "");
  EXPECT_EQ(tray.TrOtstSleva(), 5);
  EXPECT_EQ(tray.ColorRamkiPROZRACHNOST(), 255);
  EXPECT_EQ(tray.Vibran(), -1);
  EXPECT_EQ(tray.BorderStyle(), 1);
  EXPECT_EQ(tray.Appearance(), 1);
  EXPECT_EQ(tray.TrCvetFon(), drawing::kButtonFace);
  EXPECT_EQ(tray.FontShapka(), host_.AmbientFont());
  EXPECT_EQ(tray.PicFileUp(), nullptr);
  // A bag without TrScrlCvFon gives the bar the button face, and the bar
  // paints it through the palette.
  EXPECT_EQ(tray.TrScrlCvFon(), drawing::kButtonFace);
  tray.Surface().Move(0, 0, 200, 100);
  auto& bar = static_cast<FakeSurface&>(tray.VerticalScroll1Surface());
  bar.Cls();
  EXPECT_EQ(bar.ColourAt(0, bar.ScaleHeight() - 1), bar.Resolve(drawing::kButtonFace));

  drawing::PropertyBag out;
  tray.WriteProperties(out);
  EXPECT_EQ(out.Size(), 0u) << "first key written: " << (out.Size() ? out.WriteOrder()[0] : "");
}

TEST_F(TrayTest, WritesNonDefaultValuesInTableOrder) {
  tree::Tray tray(site_.site, nullptr);
  tray.SetTrCvetFon(0x00373533);
  tray.SetTipTr(3);
  tray.SetVibran(4);
  tray.SetSHagScrl(25);
  tray.SetSpisok("x");
  tray.SetAppearance(0);
  tray.SetFontElement(drawing::Font{"Arial", 9, 204, 400});
  drawing::PropertyBag out;
  tray.WriteProperties(out);
  // The bar's own thumb height (25) differs from the tree's default for the
  // forwarded property (0), so a tree that never read a bag saves it too.
  const std::vector<std::string> expected = {"Spisok", "TipTr", "FontElement", "SHagScrl", "ScrolBegunokVisota",
                                             "Vibran", "Appearance", "TrCvetFon"};
  EXPECT_EQ(out.WriteOrder(), expected);
  EXPECT_EQ(out.Read<std::int32_t>("trcvetfon", 0), 0x00373533);  // keys ignore case

  // And it reads back to the same values.
  tree::Tray copy(site_.site, nullptr);
  copy.ReadProperties(out);
  EXPECT_EQ(copy.TipTr(), 3);
  EXPECT_EQ(copy.Vibran(), 4);
  EXPECT_EQ(copy.SHagScrl(), 25);
  EXPECT_EQ(copy.Appearance(), 0);
  EXPECT_EQ(copy.FontElement().face, "Arial");
}

TEST_F(TrayTest, ReadingAssignsWithoutTheSettersSideEffects) {
  tree::Tray tray(site_.site, nullptr);
  const drawing::Colour balloonBack = tray.PodskazV1().BackColor();
  drawing::PropertyBag bag;
  bag.Set("ColorRamkiPROZRACHNOST", 300);
  bag.Set("ColorBlackProzShap", -5);
  bag.Set("TrCvetTextVb", 0x00FFFFFF);
  bag.Set("TrCvetRazdelVb", 0x00808000);
  bag.Set("ScrolBegunokVisota", 30);
  site_.changed.clear();
  tray.ReadProperties(bag);
  EXPECT_EQ(tray.ColorRamkiPROZRACHNOST(), 300);
  EXPECT_EQ(tray.ColorBlackProzShap(), -5);
  EXPECT_EQ(tray.TrCvetTextVb(), 0x00FFFFFFu);
  EXPECT_EQ(tray.PodskazV1().ForeColorTxtTop(), 0u);
  EXPECT_EQ(tray.PodskazV1().BackColor(), balloonBack);
  EXPECT_EQ(tray.VerticalScroll1().BegunokVisota(), 30);
  EXPECT_TRUE(site_.changed.empty());

  bag.Set("Kvadrat", std::string("wrong kind"));
  EXPECT_THROW(tray.ReadProperties(bag), drawing::PropertyTypeError);
}

TEST_F(TrayTest, SettersNotifyClampAndForward) {
  tree::Tray tray(site_.site, nullptr);
  tray.SetColorRamkiPROZRACHNOST(300);
  EXPECT_EQ(tray.ColorRamkiPROZRACHNOST(), 255);
  tray.SetColorRamkiPROZRACHNOST(-5);
  EXPECT_EQ(tray.ColorRamkiPROZRACHNOST(), 0);
  tray.SetColorBlackProzShap(999);
  EXPECT_EQ(tray.ColorBlackProzShap(), 255);

  tray.SetTrCvetTextVb(0x00FFFFFF);
  EXPECT_EQ(tray.PodskazV1().ForeColorTxtTop(), 0x00FFFFFFu);
  tray.SetTrCvetRazdelVb(0x00808000);
  EXPECT_EQ(tray.PodskazV1().BackColor(), 0x00808000u);

  tray.SetTrScrlCvBG(0x000000FF);
  EXPECT_EQ(tray.VerticalScroll1().BegunokColor(), 0x000000FFu);
  tray.SetScrolBegunokVisota(40);
  EXPECT_EQ(tray.VerticalScroll1().BegunokVisota(), 40);
  tray.SetSHagScrl(7);
  EXPECT_EQ(tray.VerticalScroll1().SHag(), 7);
  tray.SetTrCvetFon(0x00102030);
  EXPECT_EQ(tray.Surface().BackColor(), 0x00102030u);

  const std::vector<std::string> expected = {
      "ColorRamkiPROZRACHNOST", "ColorRamkiPROZRACHNOST", "ColorBlackProzShap", "TrCvetTextVb", "TrCvetRazdelVb",
      "TrScrlCvBG", "ScrolBegunokVisota", "SHagScrl", "TrCvetFon"};
  EXPECT_EQ(site_.changed, expected);

  // Setting the selection stores and notifies but does not repaint.
  auto& surface = TraySurface(tray);
  const int cls = surface.ClsCount();
  tray.SetVibran(3);
  EXPECT_EQ(tray.Vibran(), 3);
  EXPECT_EQ(surface.ClsCount(), cls);
  EXPECT_EQ(site_.changed.back(), "Vibran");
}

TEST_F(TrayTest, ContentsListResetsSelectionHidesTheBarAndPaintsTheGradient) {
  tree::Tray tray(site_.site, nullptr);
  tray.SetTrCvetFon(0x00373533);
  tray.SetBorderStyle(0);
  tray.Surface().Move(0, 0, 120, 60);
  tray.SetVibran(2);
  tray.VerticalScroll1Surface().SetVisible(true);
  tray.PoluchiSpisok("A\r\n\tB\r\nC");
  EXPECT_EQ(tray.Vibran(), -1);
  EXPECT_EQ(tray.LastItemIndex(), 2);
  EXPECT_FALSE(tray.VerticalScroll1Surface().Visible());

  // From 85 darker on each channel at the left edge to the colour itself.
  auto& surface = TraySurface(tray);
  EXPECT_EQ(surface.ColourAt(0, 30), drawing::MakeColour(0, 0, 0));  // 0x33, 0x35, 0x37 less 85 clamp to 0
  const drawing::Colour right = surface.ColourAt(119, 30);
  EXPECT_NEAR(drawing::RedOf(right), 0x33, 1);
  EXPECT_NEAR(drawing::BlueOf(right), 0x37, 1);

  tray.PoluchiSpisok("A\r\n\t\tB");  // two levels down: nothing parsed
  EXPECT_EQ(tray.LastItemIndex(), -1);
  EXPECT_EQ(tray.Vibran(), -1);
  EXPECT_EQ(surface.ColourAt(0, 0), drawing::MakeColour(0, 0, 0));
}

TEST_F(TrayTest, ScrollMMovesOneStepAndClampsSilentlyAtBothEnds) {
  tree::Tray tray(site_.site, nullptr);
  tray.Surface().Move(0, 0, 200, 100);
  auto& bar = tray.VerticalScroll1();
  bar.SetSHag(25);
  bar.SetMax(60);
  int changes = 0;
  bar.ScrolChange = [&](std::int32_t&) { ++changes; };

  std::string down = "+", up = "-", other = "x";
  tray.ScrollM(down);
  EXPECT_EQ(bar.Value(), 25);
  tray.ScrollM(down);
  tray.ScrollM(down);
  EXPECT_EQ(bar.Value(), 60);
  EXPECT_EQ(changes, 3);
  tray.ScrollM(down);  // at the end: no move, no event
  EXPECT_EQ(changes, 3);
  tray.ScrollM(other);
  EXPECT_EQ(bar.Value(), 60);
  for (int i = 0; i < 3; ++i) tray.ScrollM(up);
  EXPECT_EQ(bar.Value(), 0);
  EXPECT_EQ(changes, 6);
  tray.ScrollM(up);
  EXPECT_EQ(changes, 6);
}

TEST_F(TrayTest, RRscrfollRegistersTheBarOnce) {
  tree::Tray tray(site_.site, nullptr);
  tray.RRscrfoll();
  tray.RRscrfoll();
  EXPECT_EQ(drawing::WheelTargetCount(), 1);
  tray.Surface().Move(0, 0, 200, 100);
  tray.VerticalScroll1().SetSHag(10);
  // The tree sets the bar's range from its rows: 30 rows of 15 px.
  std::string list;
  for (int i = 0; i < 30; ++i) list += "Row\r\n";
  tray.PoluchiSpisok(list);
  ASSERT_GT(tray.VerticalScroll1().Max(), 10);
  bool passed = false;
  drawing::WheelWndProc(tray.VerticalScroll1().hWnd(), -120, 0, [&] { passed = true; });
  EXPECT_TRUE(passed);
  EXPECT_EQ(tray.VerticalScroll1().Value(), 10);
}

TEST_F(TrayTest, ResizeKeepsTheBarOnTheRightEdgeAtFullHeight) {
  tree::Tray tray(site_.site, nullptr);
  tray.SetBorderStyle(0);
  tray.Surface().Move(0, 0, 371, 500);
  auto& bar = tray.VerticalScroll1Surface();
  EXPECT_EQ(bar.Left(), 371 - tree::Tray::kScrollBarWidth);
  EXPECT_EQ(bar.Height(), 500);
  tray.Surface().Move(0, 0, 300, 200);
  EXPECT_EQ(bar.Left(), 300 - tree::Tray::kScrollBarWidth);
  EXPECT_EQ(bar.Height(), 200);
}

}  // namespace
