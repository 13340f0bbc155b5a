// The colour theme applied to a page before it is shown, the colour texts it
// writes, and the page number read from a contents entry.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "reader/core/Base64.h"
#include "reader/core/PageTheme.h"

namespace {

using namespace std::string_literals;
using reader::ApplyTheme;
using reader::ThemeColours;

// The swatch colours of the window's design.
const ThemeColours kDesign = {reader::PlainColourToHtml(0x00E0E0E0), reader::PlainColourToHtml(0x00FFFFFF),
                              reader::PlainColourToHtml(0x00402604)};

TEST(PageThemeColourText, RGBtoHTML) {
  EXPECT_EQ(reader::RGBtoHTML(4, 38, 64), "042640");
  EXPECT_EQ(reader::RGBtoHTML(0, 0, 0), "000000");
  EXPECT_EQ(reader::RGBtoHTML(255, 255, 255), "FFFFFF");
  EXPECT_EQ(reader::RGBtoHTML(15, 16, 171), "0F10AB");
  for (long long bad : {-1LL, 256LL, 1000LL, -2147483648LL, 4294967296LL}) {
    EXPECT_EQ(reader::RGBtoHTML(bad, 0, 0), "err") << bad;
    EXPECT_EQ(reader::RGBtoHTML(0, bad, 0), "err") << bad;
    EXPECT_EQ(reader::RGBtoHTML(0, 0, bad), "err") << bad;
  }
}

TEST(PageThemeColourText, PlainColourIsRedGreenBlue) {
  EXPECT_EQ(kDesign.pageBackground, "#E0E0E0");
  EXPECT_EQ(kDesign.outerBackground, "#FFFFFF");
  EXPECT_EQ(kDesign.text, "#042640");  // 0x00BBGGRR: red is the low byte
  EXPECT_EQ(reader::PlainColourToHtml(0x000000FF), "#FF0000");
  EXPECT_EQ(reader::PlainColourToHtml(0x00FF0000), "#0000FF");
}

TEST(PageThemeSubstitution, EachFragmentEveryOccurrence) {
  const std::string page =
      "<body style=\"background-color:#fff5d2\"><div style=\"background: #83776e\">"
      "<p style=\"font-family:'Calibri'; color:#000000\">a</p>"
      "<p style=\"font-family:'Times New Roman'; color:#000000\">b</p>"
      "<i style=\"background-color:#fff5d2;x\">background-color:#fff5d2background: #83776e</i>"
      "'Calibri'; color:#000000'Times New Roman'; color:#000000";
  const std::string expected =
      "<body style=\"background-color:#E0E0E0\"><div style=\"background:#FFFFFF\">"
      "<p style=\"font-family:'Calibri'; color:#042640\">a</p>"
      "<p style=\"font-family:'Times New Roman'; color:#042640\">b</p>"
      "<i style=\"background-color:#E0E0E0;x\">background-color:#E0E0E0background:#FFFFFF</i>"
      "'Calibri'; color:#042640'Times New Roman'; color:#042640";
  EXPECT_EQ(ApplyTheme(page, kDesign), expected);
  // At the very start and the very end of the text.
  EXPECT_EQ(ApplyTheme("background: #83776e", kDesign), "background:#FFFFFF");
  EXPECT_EQ(ApplyTheme("x'Calibri'; color:#000000", kDesign), "x'Calibri'; color:#042640");
}

TEST(PageThemeSubstitution, ExactTextOnly) {
  const char* untouched[] = {
      "background-color:#FFF5D2",              // upper-case colour
      "background-color: #fff5d2",             // blank after the colon
      "Background-color:#fff5d2",              // capital B
      "background:#83776e",                    // no blank
      "background:  #83776e",                  // two blanks
      "background: #83776E",                   // upper-case E
      "'Calibri';color:#000000",               // no blank before color
      "\"Calibri\"; color:#000000",            // other quotes
      "'Times New Roman'; color: #000000",     // blank after the colon
      "background-color:#fff5d",               // cut short
  };
  for (const char* t : untouched) EXPECT_EQ(ApplyTheme(t, kDesign), t);
}

TEST(PageThemeSubstitution, AppliedInOrderWithoutRescanning) {
  // The first substitution's colour text contains the second fragment, which
  // the second substitution then replaces: the four run one after another.
  ThemeColours colours = kDesign;
  colours.pageBackground = "#111111;background: #83776e";
  EXPECT_EQ(ApplyTheme("background-color:#fff5d2", colours), "background-color:#111111;background:#FFFFFF");
  // A replacement that contains its own fragment is not searched again.
  colours = kDesign;
  colours.text = "#000000'Calibri'; color:#000000";
  EXPECT_EQ(ApplyTheme("'Calibri'; color:#000000.", colours), "'Calibri'; color:#000000'Calibri'; color:#000000.");
}

TEST(PageThemeSubstitution, PageWithoutFragmentsIsUnchangedByteForByte) {
  std::string page;
  for (int i = 0; i < 256; ++i) page.push_back(static_cast<char>(i));
  page += "\0\0background-color:#fff5\0d2 'Calibri'\0; color:#000000\xFF"s;
  EXPECT_EQ(ApplyTheme(page, kDesign), page);
  EXPECT_EQ(reader::PreparePage(reader::BytesToBase64(page), kDesign), page);
}

TEST(PageThemePrepare, DecodesThenThemes) {
  const std::string page = "<html style=\"background: #83776e\">\xC0\0\r\n</html>"s;
  EXPECT_EQ(reader::PreparePage(reader::BytesToBase64(page), kDesign),
            "<html style=\"background:#FFFFFF\">\xC0\0\r\n</html>"s);
  // A fragment split across two lines of the Base64 text is still found.
  const std::string padded = std::string(40, ' ') + "background-color:#fff5d2" + std::string(40, ' ');
  EXPECT_EQ(reader::PreparePage(reader::BytesToBase64(padded), kDesign),
            std::string(40, ' ') + "background-color:#E0E0E0" + std::string(40, ' '));
}

TEST(PageThemePrepare, SlotThatIsNotBase64GivesAnEmptyPage) {
  EXPECT_EQ(reader::PreparePage("", kDesign), "");
  EXPECT_EQ(reader::PreparePage("background: #83776e", kDesign), "");
  EXPECT_EQ(reader::PreparePage("Section\0" "0\0" "1\r\n\tPage\0" "1\0" "2\r\n"s, kDesign), "");
}

TEST(PageThemePageNumber, LeadingNumber) {
  EXPECT_EQ(reader::LeadingNumber("17"), 17.0);
  EXPECT_EQ(reader::LeadingNumber("  2.5x"), 2.5);
  EXPECT_EQ(reader::LeadingNumber("abc"), 0.0);
  EXPECT_EQ(reader::LeadingNumber("-3"), -3.0);
  EXPECT_EQ(reader::LeadingNumber(""), 0.0);
  EXPECT_EQ(reader::LeadingNumber("139 - bet"), 139.0);
  EXPECT_EQ(reader::LeadingNumber("\t8"), 8.0);
  EXPECT_EQ(reader::LeadingNumber(".5"), 0.5);
  EXPECT_EQ(reader::LeadingNumber("7."), 7.0);
  EXPECT_EQ(reader::LeadingNumber("."), 0.0);
  EXPECT_EQ(reader::LeadingNumber("-"), 0.0);
  EXPECT_EQ(reader::LeadingNumber("x12"), 0.0);
  EXPECT_EQ(reader::LeadingNumber("12\0" "5"s), 12.0);
}

}  // namespace
