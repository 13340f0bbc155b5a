#include "reader/core/PageTheme.h"

#include <array>
#include <cctype>
#include <cstdlib>

#include "reader/core/Base64.h"

namespace reader {
namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t hit = text.find(from); hit != std::string::npos; hit = text.find(from, start)) {
    if (out.empty()) out.reserve(text.size());
    out.append(text, start, hit - start);
    out.append(to);
    start = hit + from.size();
  }
  if (start == 0) return;  // nothing found: leave the bytes alone
  out.append(text, start, std::string::npos);
  text = std::move(out);
}

}  // namespace

std::string RGBtoHTML(long long red, long long green, long long blue) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (long long v : {red, green, blue}) {
    if (v < 0 || v > 255) return "err";
    out.push_back(kHex[v >> 4]);
    out.push_back(kHex[v & 15]);
  }
  return out;
}

std::string PlainColourToHtml(drawing::Colour colour) {
  return "#" + RGBtoHTML(drawing::RedOf(colour), drawing::GreenOf(colour), drawing::BlueOf(colour));
}

std::string ApplyTheme(std::string_view page, const ThemeColours& colours) {
  std::string text(page);
  ReplaceAll(text, "background-color:#fff5d2", "background-color:" + colours.pageBackground);
  ReplaceAll(text, "background: #83776e", "background:" + colours.outerBackground);
  ReplaceAll(text, "'Calibri'; color:#000000", "'Calibri'; color:" + colours.text);
  ReplaceAll(text, "'Times New Roman'; color:#000000", "'Times New Roman'; color:" + colours.text);
  return text;
}

std::string PreparePage(std::string_view slotText, const ThemeColours& colours) {
  return ApplyTheme(Base64ToBytes(slotText), colours);
}

double LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::string number;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) number.push_back(text[i++]);
  bool digits = false;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    number.push_back(text[i++]);
    digits = true;
  }
  if (i < text.size() && text[i] == '.') {
    number.push_back(text[i++]);
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      number.push_back(text[i++]);
      digits = true;
    }
  }
  if (!digits) return 0.0;
  return std::strtod(number.c_str(), nullptr);
}

}  // namespace reader
