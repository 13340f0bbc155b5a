#pragma once
// The window's colour theme, applied to every page before it is shown: four
// CSS fragments the book's pages use are replaced by the swatch colours.
#include <cstdint>
#include <string>
#include <string_view>

#include "drawing/Colour.h"

namespace reader {

// "RRGGBB" in upper-case hexadecimal, or "err" when a component is outside 0..255.
std::string RGBtoHTML(long long red, long long green, long long blue);

// "#RRGGBB" for a plain colour (0x00BBGGRR). System colours must be resolved
// by the caller first; see the window's ColorToHtml.
std::string PlainColourToHtml(drawing::Colour colour);

// The colour texts ("#RRGGBB") the four substitutions write.
struct ThemeColours {
  std::string pageBackground;   // swatch 0 back colour
  std::string outerBackground;  // swatch 1 back colour
  std::string text;             // swatch 0 text colour
};

// Applies, in order and case-sensitively, every occurrence of:
//   "background-color:#fff5d2"          -> "background-color:" + pageBackground
//   "background: #83776e"               -> "background:" + outerBackground
//   "'Calibri'; color:#000000"          -> "'Calibri'; color:" + text
//   "'Times New Roman'; color:#000000"  -> "'Times New Roman'; color:" + text
std::string ApplyTheme(std::string_view page, const ThemeColours& colours);

// The page bytes to show for a slot's text: decoded, then themed. A slot
// that does not decode gives an empty page.
std::string PreparePage(std::string_view slotText, const ThemeColours& colours);

// The numeric value at the start of a text, as the page number of a
// contents entry is read: leading blanks skipped, an optional sign, digits
// with an optional fraction; 0 when the text starts with no number.
double LeadingNumber(std::string_view text);

}  // namespace reader
