#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls/balloon/PodskazV.h"
#include "tests/fakes/FakeHost.h"

namespace {

using balloon::PodskazV;

// The persisted keys in the order of saving and loading.
const std::vector<std::string> kBalloonKeys = {
    "Font",        "BackColor",       "ProzrachostOkna",  "ProzrachostFona", "PictureFona", "PsetPicture",
    "Shadow",      "Zakruglenie",     "SdvigOtKursora",   "MaxWidth",        "ForeColorTxtTop",
    "ForeColorTxtPod", "ScreenShotEnable", "Caption",      "TextOtstup",      "TextSenter",  "ForeDvaCveta",
    "Zadergka",    "Active",          "ZadergkaTime",     "PoyavlenieS"};

drawing::Font ArialNine() {
  drawing::Font font;
  font.face = "Arial";
  font.sizePoints = 9.75;
  font.charset = 204;
  font.weight = 400;
  return font;
}

drawing::PicturePtr SomePicture(int width, int height) {
  return std::make_shared<drawing::Image>(width, height, 0xFF336699u);
}

class BalloonTest : public ::testing::Test {
 protected:
  BalloonTest() { face.Move(0, 0, 48, 48); }

  // Every property set through its setter to a value unlike its default, in
  // slot order.
  static void SetEverything(PodskazV& b, const drawing::PicturePtr& picture) {
    b.SetPoyavlenieS(4);
    b.SetFont(ArialNine());
    b.SetBackColor(0x00FFFFFF);
    b.SetProzrachostOkna(200);
    b.SetProzrachostFona(240);
    b.SetPictureFona(picture);
    b.SetPsetPicture(5);
    b.SetShadow(true);
    b.SetZakruglenie(3);
    b.SetSdvigOtKursora(50);
    b.SetMaxWidth(750);
    b.SetForeColorTxtTop(0x00808000);
    b.SetForeColorTxtPod(0x00C0C0C0);
    b.SetScreenShotEnable(true);
    b.SetCaption("Глава 1");
    b.SetTextOtstup(10);
    b.SetZadergkaTime(10);
    b.SetTextSenter(true);
    b.SetForeDvaCveta(true);
    b.SetZadergka(true);
    b.SetActive(true);
  }

  fakes::FakeHost host;
  fakes::RecordingSite record{host};
  fakes::FakeSurface face;
  PodskazV balloon{face, record.site};
};

TEST_F(BalloonTest, NewControlTakesTheInitialValues) {
  EXPECT_EQ(balloon.PoyavlenieS(), 0);
  EXPECT_EQ(balloon.Font(), drawing::Font{});
  EXPECT_DOUBLE_EQ(balloon.Font().sizePoints, 8.25);
  EXPECT_EQ(balloon.Font().weight, 400);
  EXPECT_EQ(balloon.Font().charset, 204);
  EXPECT_EQ(balloon.BackColor(), 0x00070707u);
  EXPECT_EQ(balloon.ProzrachostOkna(), 255);
  EXPECT_EQ(balloon.ProzrachostFona(), 255);
  EXPECT_EQ(balloon.PictureFona(), nullptr);
  EXPECT_EQ(balloon.PsetPicture(), 0);
  EXPECT_FALSE(balloon.Shadow());
  EXPECT_EQ(balloon.Zakruglenie(), 0);
  EXPECT_EQ(balloon.SdvigOtKursora(), 5);
  EXPECT_EQ(balloon.MaxWidth(), 150);
  EXPECT_EQ(balloon.ForeColorTxtTop(), 0u);
  EXPECT_EQ(balloon.ForeColorTxtPod(), 0u);
  EXPECT_FALSE(balloon.ScreenShotEnable());
  EXPECT_EQ(balloon.Caption(), "");
  EXPECT_EQ(balloon.TextOtstup(), 0);
  EXPECT_EQ(balloon.ZadergkaTime(), 1);
  EXPECT_FALSE(balloon.TextSenter());
  EXPECT_FALSE(balloon.ForeDvaCveta());
  EXPECT_FALSE(balloon.Zadergka());
  EXPECT_FALSE(balloon.Active());
  EXPECT_TRUE(record.changed.empty()) << "creation is not a change";
}

TEST_F(BalloonTest, InnerPartsHoldFontBackgroundAndPicture) {
  const std::vector<fakes::FakeSurface*> parts = host.ChildrenOf(&face);
  ASSERT_EQ(parts.size(), 2u) << "the template PodsK(0) and the holder Zalivka";
  for (const fakes::FakeSurface* part : parts) EXPECT_FALSE(part->Visible());

  balloon.SetFont(ArialNine());
  balloon.SetBackColor(0x00123456);
  const drawing::PicturePtr picture = SomePicture(40, 30);
  balloon.SetPictureFona(picture);

  const fakes::FakeSurface& templ = *parts[0];
  const fakes::FakeSurface& holder = *parts[1];
  EXPECT_EQ(templ.GetFont(), ArialNine());
  EXPECT_EQ(&balloon.Font(), &templ.GetFont()) << "the getter hands out the template's own font";
  EXPECT_EQ(holder.BackColor(), 0x00123456u);
  EXPECT_EQ(holder.Picture(), picture);
  EXPECT_EQ(balloon.PictureFona(), picture) << "the same picture object";
  EXPECT_EQ(holder.Width(), 40) << "the holder takes its picture's size";
  EXPECT_EQ(holder.Height(), 30);

  ASSERT_EQ(host.Clock().TimerCount(), 1u);
  const fakes::FakeTimer& timer = *host.Clock().Timers()[0];
  EXPECT_EQ(timer.Interval(), 10);
  EXPECT_FALSE(timer.Enabled());
}

TEST_F(BalloonTest, ControlStaysTwentyFourPixelsSquare) {
  EXPECT_EQ(face.Width(), PodskazV::kFaceSize);
  EXPECT_EQ(face.Height(), PodskazV::kFaceSize);
  face.Move(10, 20, 100, 50);
  EXPECT_EQ(face.Width(), 24);
  EXPECT_EQ(face.Height(), 24);
  EXPECT_EQ(face.Left(), 10) << "only the size is kept";
  EXPECT_EQ(face.Top(), 20);
  ASSERT_NE(face.Picture(), nullptr);
  EXPECT_EQ(face.Picture()->Width(), 24);
  EXPECT_EQ(face.Picture()->Height(), 24);
}

TEST_F(BalloonTest, DelaySetterKeepsAtLeastOneTick) {
  balloon.SetZadergkaTime(0);
  EXPECT_EQ(balloon.ZadergkaTime(), 1);
  balloon.SetZadergkaTime(-5);
  EXPECT_EQ(balloon.ZadergkaTime(), 1);
  balloon.SetZadergkaTime(10);
  EXPECT_EQ(balloon.ZadergkaTime(), 10);
}

TEST_F(BalloonTest, DelayLoadsAsStored) {
  for (std::int32_t stored : {0, -5}) {
    drawing::PropertyBag bag;
    bag.Set("ZadergkaTime", stored);
    balloon.ReadProperties(bag);
    EXPECT_EQ(balloon.ZadergkaTime(), stored);
  }
}

TEST_F(BalloonTest, UnchangedNewControlWritesNothing) {
  host.SetAmbientFont(drawing::Font{});  // the ambient font equals the design font
  drawing::PropertyBag bag;
  balloon.WriteProperties(bag);
  EXPECT_EQ(bag.Size(), 0u);
}

TEST_F(BalloonTest, UnchangedNewControlWritesOnlyAFontUnlikeTheAmbientOne) {
  ASSERT_NE(host.AmbientFont(), drawing::Font{});
  drawing::PropertyBag bag;
  balloon.WriteProperties(bag);
  EXPECT_EQ(bag.WriteOrder(), (std::vector<std::string>{"Font"}));
}

TEST_F(BalloonTest, EverySetterNotifiesTheHostWithItsKey) {
  SetEverything(balloon, SomePicture(8, 8));
  // Setters notify in slot order, which differs from the saving order.
  const std::vector<std::string> expected = {
      "PoyavlenieS", "Font",       "BackColor",    "ProzrachostOkna", "ProzrachostFona", "PictureFona",
      "PsetPicture", "Shadow",     "Zakruglenie",  "SdvigOtKursora",  "MaxWidth",        "ForeColorTxtTop",
      "ForeColorTxtPod", "ScreenShotEnable", "Caption", "TextOtstup", "ZadergkaTime", "TextSenter",
      "ForeDvaCveta", "Zadergka",  "Active"};
  EXPECT_EQ(record.changed, expected);
  EXPECT_EQ(record.changed.size(), kBalloonKeys.size());
}

TEST_F(BalloonTest, WritesAndReadsBackEveryPropertyInOrder) {
  const drawing::PicturePtr picture = SomePicture(16, 12);
  SetEverything(balloon, picture);
  drawing::PropertyBag bag;
  balloon.WriteProperties(bag);
  EXPECT_EQ(bag.WriteOrder(), kBalloonKeys);

  fakes::FakeSurface otherFace;
  fakes::RecordingSite otherRecord{host};
  PodskazV other(otherFace, otherRecord.site);
  other.ReadProperties(bag);
  EXPECT_TRUE(otherRecord.changed.empty()) << "loading does not notify";
  EXPECT_EQ(other.PoyavlenieS(), 4);
  EXPECT_EQ(other.Font(), ArialNine());
  EXPECT_EQ(other.BackColor(), 0x00FFFFFFu);
  EXPECT_EQ(other.ProzrachostOkna(), 200);
  EXPECT_EQ(other.ProzrachostFona(), 240);
  EXPECT_EQ(other.PictureFona(), picture);
  EXPECT_EQ(other.PsetPicture(), 5);
  EXPECT_TRUE(other.Shadow());
  EXPECT_EQ(other.Zakruglenie(), 3);
  EXPECT_EQ(other.SdvigOtKursora(), 50);
  EXPECT_EQ(other.MaxWidth(), 750);
  EXPECT_EQ(other.ForeColorTxtTop(), 0x00808000u);
  EXPECT_EQ(other.ForeColorTxtPod(), 0x00C0C0C0u);
  EXPECT_TRUE(other.ScreenShotEnable());
  EXPECT_EQ(other.Caption(), "Глава 1");
  EXPECT_EQ(other.TextOtstup(), 10);
  EXPECT_EQ(other.ZadergkaTime(), 10);
  EXPECT_TRUE(other.TextSenter());
  EXPECT_TRUE(other.ForeDvaCveta());
  EXPECT_TRUE(other.Zadergka());
  EXPECT_TRUE(other.Active());
}

TEST_F(BalloonTest, MissingKeysLoadTheirDefaults) {
  SetEverything(balloon, SomePicture(8, 8));
  record.changed.clear();
  drawing::PropertyBag empty;
  balloon.ReadProperties(empty);
  EXPECT_EQ(balloon.Font(), host.AmbientFont()) << "a missing font is the host's ambient font";
  EXPECT_EQ(balloon.BackColor(), 0x00070707u);
  EXPECT_EQ(balloon.PictureFona(), nullptr);
  EXPECT_EQ(balloon.PoyavlenieS(), 0);
  EXPECT_EQ(balloon.SdvigOtKursora(), 5);
  EXPECT_EQ(balloon.MaxWidth(), 150);
  EXPECT_EQ(balloon.ZadergkaTime(), 1);
  EXPECT_EQ(balloon.Caption(), "");
  EXPECT_FALSE(balloon.Zadergka());
  EXPECT_FALSE(balloon.Active());
  EXPECT_TRUE(record.changed.empty());
}

TEST_F(BalloonTest, ReadsInTheDocumentedOrder) {
  // Two damaged neighbours: the error names the one read first.
  for (std::size_t i = 0; i + 1 < kBalloonKeys.size(); ++i) {
    drawing::PropertyBag bag;
    // A flag where the text belongs, a text anywhere else: the wrong kinds.
    const auto damaged = [](const std::string& key) {
      return key == "Caption" ? drawing::PropertyValue(true) : drawing::PropertyValue(std::string("damaged"));
    };
    bag.Set(kBalloonKeys[i + 1], damaged(kBalloonKeys[i + 1]));
    bag.Set(kBalloonKeys[i], damaged(kBalloonKeys[i]));
    try {
      balloon.ReadProperties(bag);
      ADD_FAILURE() << "a damaged value must reach the host";
    } catch (const drawing::PropertyTypeError& e) {
      EXPECT_NE(std::string(e.what()).find("\"" + kBalloonKeys[i] + "\""), std::string::npos)
          << kBalloonKeys[i] << " before " << kBalloonKeys[i + 1] << ": " << e.what();
    }
  }
}

TEST_F(BalloonTest, MinusWithoutABalloonChangesNothing) {
  balloon.SetCaption("Раздел");
  balloon.SetActive(true);
  record.changed.clear();
  balloon.Minus();
  EXPECT_EQ(balloon.Caption(), "Раздел");
  EXPECT_TRUE(balloon.Active());
  EXPECT_TRUE(record.changed.empty());
  EXPECT_FALSE(host.Clock().Timers()[0]->Enabled());
}

TEST(BalloonCreation, NeedsHostServices) {
  fakes::FakeSurface face;
  EXPECT_THROW(PodskazV(face, drawing::ControlSite{}), std::invalid_argument);
}

}  // namespace
