// The stored window design and the per-control property store it fills.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "drawing/DesignFile.h"
#include "drawing/PropertyBag.h"

namespace {

using drawing::Design;
using drawing::DesignError;
using drawing::Font;
using drawing::PicturePtr;
using drawing::PropertyBag;
using drawing::PropertyTypeError;

// Loads "a.png" and "b.png" as 1x1 and 2x2 pictures; anything else fails.
struct LoaderStub {
  std::vector<std::string> asked;
  drawing::PictureLoader Loader() {
    return [this](const std::string& name) -> PicturePtr {
      asked.push_back(name);
      if (name == "a.png") return std::make_shared<drawing::Picture>(1, 1);
      if (name == "b.png") return std::make_shared<drawing::Picture>(2, 2);
      return nullptr;
    };
  }
};

int ErrorLine(std::string_view text) {
  LoaderStub stub;
  try {
    Design::Parse(text, stub.Loader());
  } catch (const DesignError& e) {
    EXPECT_NE(std::string(e.what()).find("line " + std::to_string(e.line)), std::string::npos) << e.what();
    return e.line;
  }
  return 0;
}

// ---------------------------------------------------------------- parsing

TEST(DesignFileParse, EveryValueKind) {
  const std::string text =
      "# the main window\n"
      "\n"
      "[Form1]\n"
      "  Width = 9600   # twips\n"
      "\tBackColor=0x8000000F\n"
      "Offset = -12\n"
      "Plus = +7\n"
      "White = 0x00FFFFFF\n"
      "AllBits = 0xFFFFFFFF\n"
      "Shown = true\n"
      "Hidden = false\n"
      "[Label1]\n"
      "Caption = \"\xD0\xA1\xD0\xB1\xD0\xBE\xD1\x80 \\\"q\\\" a\\\\b\\tc\\nd # not a comment\"\n"
      "Empty = \"\"\n"
      "Font1 = font(\"Arial\", 9.75, 700, 204, italic, underline)\n"
      "Font2 = font( \"Times New Roman\" , 12 , 400 , 0 , strikeout )\n"
      "Skin = picture(\"b.png\")\n";
  LoaderStub stub;
  const Design design = Design::Parse(text, stub.Loader());
  EXPECT_EQ(design.SectionNames(), (std::vector<std::string>{"Form1", "Label1"}));

  const PropertyBag& form = design.Section("Form1");
  EXPECT_EQ(form.Read<std::int32_t>("Width", 0), 9600);
  EXPECT_EQ(form.Read<std::int32_t>("BackColor", 0), static_cast<std::int32_t>(0x8000000Fu));
  EXPECT_EQ(form.Read<std::int32_t>("Offset", 0), -12);
  EXPECT_EQ(form.Read<std::int32_t>("Plus", 0), 7);
  EXPECT_EQ(form.Read<std::int32_t>("White", 0), 0x00FFFFFF);
  EXPECT_EQ(form.Read<std::int32_t>("AllBits", 0), -1);
  EXPECT_TRUE(form.Read<bool>("Shown", false));
  EXPECT_FALSE(form.Read<bool>("Hidden", true));
  EXPECT_EQ(form.Size(), 8u);

  const PropertyBag& label = design.Section("label1");  // sections match without case
  EXPECT_EQ(label.Read<std::string>("Caption", ""), "\xD0\xA1\xD0\xB1\xD0\xBE\xD1\x80 \"q\" a\\b\tc\nd # not a comment");
  EXPECT_EQ(label.Read<std::string>("Empty", "x"), "");
  Font arial;
  arial.face = "Arial";
  arial.sizePoints = 9.75;
  arial.weight = 700;
  arial.charset = 204;
  arial.italic = true;
  arial.underline = true;
  EXPECT_EQ(label.Read<Font>("Font1", Font{}), arial);
  const Font times = label.Read<Font>("Font2", Font{});
  EXPECT_EQ(times.face, "Times New Roman");
  EXPECT_EQ(times.sizePoints, 12.0);
  EXPECT_EQ(times.weight, 400);
  EXPECT_EQ(times.charset, 0);
  EXPECT_TRUE(times.strikeout);
  EXPECT_FALSE(times.italic);
  const PicturePtr skin = label.Read<PicturePtr>("Skin", nullptr);
  ASSERT_TRUE(skin);
  EXPECT_EQ(skin->Width(), 2);
  EXPECT_EQ(stub.asked, std::vector<std::string>{"b.png"});

  EXPECT_EQ(design.Section("Missing").Size(), 0u);
}

TEST(DesignFileParse, CrLfLinesAndRepeatedSections) {
  const Design design = Design::Parse(
      "[A]\r\nX = 1\r\n\r\n# note\r\n[B]\r\nY = \"t\"\r\n[a]\r\nZ = 3\r\nX = 4", LoaderStub().Loader());
  EXPECT_EQ(design.SectionNames(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(design.Section("A").Read<std::int32_t>("X", 0), 4);
  EXPECT_EQ(design.Section("A").Read<std::int32_t>("Z", 0), 3);
  EXPECT_EQ(design.Section("B").Read<std::string>("Y", ""), "t");
}

TEST(DesignFileParse, ErrorsNameTheirLine) {
  EXPECT_EQ(ErrorLine("[A]\nX = 1\nY = maybe\n"), 3) << "unknown value";
  EXPECT_EQ(ErrorLine("[A]\r\n\r\nX 1\r\n"), 3) << "missing '='";
  EXPECT_EQ(ErrorLine("[A]\nX = \"open\n"), 2) << "unterminated text";
  EXPECT_EQ(ErrorLine("[A]\nX = \"ends in a backslash\\\"\n"), 2) << "escaped closing quote";
  EXPECT_EQ(ErrorLine("[A]\nX = \"bad \\q escape\"\n"), 2) << "unknown escape";
  EXPECT_EQ(ErrorLine("# c\n\n[A]\nP = picture(\"b.png\")\nQ = picture(\"gone.png\")\n"), 5) << "picture";
  EXPECT_EQ(ErrorLine("X = 1\n[A]\n"), 1) << "property before a section";
  EXPECT_EQ(ErrorLine("[A]\nX = 1 2\n"), 2) << "text after the value";
  EXPECT_EQ(ErrorLine("[A]\nX = truex\n"), 2) << "a word that only starts like true";
  EXPECT_EQ(ErrorLine("[A\n"), 1) << "unclosed section";
  EXPECT_EQ(ErrorLine("[A] x\n"), 1) << "text after a section";
  EXPECT_EQ(ErrorLine("[]\n"), 1) << "empty section name";
  EXPECT_EQ(ErrorLine("[A]\nX = 0x\n"), 2) << "hex prefix without digits";
  EXPECT_EQ(ErrorLine("[A]\nX = -\n"), 2) << "sign without digits";
  EXPECT_EQ(ErrorLine("[A]\nX = 0x100000000\n"), 2) << "more than 32 bits";
  EXPECT_EQ(ErrorLine("[A]\nX = -0x80000001\n"), 2) << "below the 32-bit range";
  EXPECT_EQ(ErrorLine("[A]\nX = 99999999999999999999999\n"), 2) << "beyond 64 bits";
  EXPECT_EQ(ErrorLine("[A]\nF = font(\"Arial\", 9, 400)\n"), 2) << "font without charset";
  EXPECT_EQ(ErrorLine("[A]\nF = font(\"Arial\", 9, 400, 204, bold)\n"), 2) << "unknown font flag";
  EXPECT_EQ(ErrorLine("[A]\nF = font(\"Arial\", 9, 400, 204\n"), 2) << "font not closed";
  EXPECT_EQ(ErrorLine("[A]\nX =\n"), 2) << "no value";
  EXPECT_EQ(ErrorLine("[A]\n= 5\n"), 2) << "no name";
}

TEST(DesignFileParse, PictureWithoutALoaderIsAnError) {
  EXPECT_THROW(Design::Parse("[A]\nP = picture(\"a.png\")\n", nullptr), DesignError);
  EXPECT_NO_THROW(Design::Parse("[A]\nX = 1\n", nullptr));
}

TEST(DesignFileParse, SmallestAndLargestNumbers) {
  const Design design =
      Design::Parse("[A]\nMin = -2147483648\nNegHex = -0x80000000\nMax = 2147483647\nZero = -0\n", nullptr);
  const PropertyBag& a = design.Section("A");
  EXPECT_EQ(a.Read<std::int32_t>("Min", 0), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(a.Read<std::int32_t>("NegHex", 0), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(a.Read<std::int32_t>("Max", 0), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(a.Read<std::int32_t>("Zero", 1), 0);
}

// ---------------------------------------------------------------- PropertyBag

TEST(PropertyBagStore, KeysMatchWithoutCase) {
  PropertyBag bag;
  bag.Write<std::int32_t>("TrCvetText", 5, 0);
  EXPECT_EQ(bag.Read<std::int32_t>("trcvettext", 0), 5);
  EXPECT_EQ(bag.Read<std::int32_t>("TRCVETTEXT", 0), 5);
  bag.Write<std::int32_t>("TRCVETTEXT", 6, 0);
  EXPECT_EQ(bag.Size(), 1u);
  EXPECT_EQ(bag.Read<std::int32_t>("TrCvetText", 0), 6);
  EXPECT_EQ(bag.WriteOrder(), std::vector<std::string>{"TrCvetText"});
  EXPECT_TRUE(bag.Contains("tRcVeTtExT"));
  EXPECT_FALSE(bag.Contains("TrCvetTex"));
}

TEST(PropertyBagStore, DefaultValuesAreNotStored) {
  PropertyBag bag;
  bag.Write<std::int32_t>("A", 1, 0);
  bag.Write<std::string>("B", "text", "");
  bag.Write<bool>("C", true, false);
  Font bold;
  bold.weight = 700;
  bag.Write<Font>("D", bold, Font{});
  EXPECT_EQ(bag.WriteOrder(), (std::vector<std::string>{"A", "B", "C", "D"}));
  // Writing the default erases what was stored.
  bag.Write<std::int32_t>("a", 0, 0);
  bag.Write<std::string>("B", "", "");
  bag.Write<bool>("C", false, false);
  bag.Write<Font>("D", Font{}, Font{});
  EXPECT_EQ(bag.Size(), 0u);
  EXPECT_TRUE(bag.WriteOrder().empty());
  // A missing key reads as the default it is asked with.
  EXPECT_EQ(bag.Read<std::int32_t>("A", 42), 42);
  EXPECT_EQ(bag.Read<std::string>("B", "dflt"), "dflt");
  EXPECT_EQ(bag.Read<Font>("D", bold), bold);
  // A value equal to the default is never stored in the first place.
  bag.Write<std::int32_t>("E", 7, 7);
  EXPECT_FALSE(bag.Contains("E"));
}

TEST(PropertyBagStore, PicturesAreComparedByIdentity) {
  PropertyBag bag;
  auto pic = std::make_shared<const drawing::Picture>(3, 3);
  bag.Write<PicturePtr>("Pic", pic, nullptr);
  EXPECT_EQ(bag.Read<PicturePtr>("Pic", nullptr), pic);
  bag.Write<PicturePtr>("Pic", nullptr, nullptr);
  EXPECT_FALSE(bag.Contains("Pic"));
}

TEST(PropertyBagStore, WrongKindThrows) {
  PropertyBag bag;
  bag.Set("Max", std::int32_t{10});
  bag.Set("Caption", std::string("x"));
  EXPECT_THROW(bag.Read<bool>("Max", false), PropertyTypeError);
  EXPECT_THROW(bag.Read<std::string>("max", ""), PropertyTypeError);
  EXPECT_THROW(bag.Read<std::int32_t>("Caption", 0), PropertyTypeError);
  EXPECT_THROW(bag.Read<Font>("Caption", Font{}), PropertyTypeError);
  try {
    bag.Read<PicturePtr>("CAPTION", nullptr);
    FAIL() << "no error";
  } catch (const PropertyTypeError& e) {
    EXPECT_NE(std::string(e.what()).find("CAPTION"), std::string::npos) << e.what();
  }
}

TEST(PropertyBagStore, EraseKeepsTheOrderOfTheRest) {
  PropertyBag bag;
  for (const char* k : {"One", "Two", "Three"}) bag.Set(k, true);
  bag.Erase("two");
  bag.Erase("absent");
  EXPECT_EQ(bag.WriteOrder(), (std::vector<std::string>{"One", "Three"}));
  bag.Set("TWO", false);
  EXPECT_EQ(bag.WriteOrder(), (std::vector<std::string>{"One", "Three", "TWO"}));
}

}  // namespace
