#include "controls/tree/TreeLayout.h"

#include <algorithm>

#include "controls/tree/Tray.h"
#include "drawing/Arithmetic.h"

namespace tree {

std::int32_t TextLeftFor(std::int32_t level, std::int32_t indentStep) {
  const std::int32_t halfIndent = drawing::RoundHalfEven(indentStep / 2.0);
  return drawing::RoundHalfEven(indentStep / 2.0 + (static_cast<double>(level) + 1) * indentStep - halfIndent + 18);
}

RowStyle PickRowStyle(const TrayLook& look, const TreeItem& item, bool selected,
                      const std::function<drawing::Colour(drawing::Colour)>& resolve) {
  RowStyle style;
  style.textColour = selected ? look.TrCvetTextVb : look.TrCvetText;
  if (item.Level == 0) {
    style.font = &look.FontShapka;
    style.extraAbove = look.TrOtstMegRazdel;
    style.rowColour = selected ? look.TrCvetRazdelVb : look.TrCvetRazdel;
    return style;
  }
  style.font = selected ? &look.FontElementVibran : &look.FontElement;
  if (selected) {
    style.rowColour = look.TrCvetPodRazdelVb;
    return style;
  }
  const long long amount = (static_cast<long long>(item.Level) - 1) * look.ColorMenuCvRazn;
  // Past a full channel the shade is saturated anyway; keeping the amount
  // small keeps the arithmetic in range for any level.
  const int clamped = static_cast<int>(std::max(-256LL, std::min(256LL, amount)));
  switch (look.ColorMenuUroven) {
    case 1: style.rowColour = drawing::ShiftColour(resolve(look.TrCvetPodRazdel), true, clamped); break;
    case 2: style.rowColour = drawing::ShiftColour(resolve(look.TrCvetPodRazdel), false, clamped); break;
    default: style.rowColour = look.TrCvetPodRazdel; break;
  }
  return style;
}

namespace {
bool Bold(const drawing::Font& f) { return f.weight >= 700; }
}  // namespace

bool FontNeedsReplacing(const drawing::Font& current, const drawing::Font& wanted) {
  return Bold(current) != Bold(wanted) || current.sizePoints != wanted.sizePoints || current.italic != wanted.italic ||
         current.underline != wanted.underline;
}

std::string_view LeadingCharacters(std::string_view text, std::int64_t n) {
  if (n <= 0) return text.substr(0, 0);
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (n == 0) break;
      --n;
    }
  }
  return text.substr(0, i);
}

namespace {
std::int64_t CodePointCount(std::string_view text) {
  std::int64_t n = 0;
  for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}
}  // namespace

std::string FitItemText(std::string_view name, std::int32_t available, std::int32_t textRight,
                        std::int32_t textStart, const std::function<double(std::string_view)>& width) {
  if (available >= textRight) return std::string(name);
  const std::int32_t target =
      drawing::RoundHalfEven(static_cast<double>(available) - textStart - width(" ..."));
  std::int64_t n = CodePointCount(name) / 2;
  std::int64_t step = drawing::RoundHalfEven(static_cast<double>(n) / 2.0);
  double w = width(LeadingCharacters(name, n));
  for (int round = 0; round < 20; ++round) {
    if (w >= target) {
      n -= step;
      step /= 2;
      n += step;
    } else {
      n += step;
    }
    w = width(LeadingCharacters(name, n));
  }
  std::string fitted(LeadingCharacters(name, n));
  fitted += "...";
  return fitted;
}

MarkerRect MarkerFor(std::int32_t kvadrat, const TreeItem& item, std::int32_t scrollValue, std::int32_t halfIndent,
                     std::int32_t available, const MarkerRect& previous) {
  const std::int32_t top = drawing::CheckedSub(item.RowTop, scrollValue);
  if (kvadrat == 1) return {item.TextLeft, top, item.TextRight, item.RowHeight};
  if (kvadrat == 0) return {drawing::RoundHalfEven(halfIndent / 2.0), top, available, item.RowHeight};
  return previous;
}

std::int32_t HitTest(const std::vector<TreeItem>& items, const std::vector<std::int32_t>& visibleRows,
                     std::int32_t kvadratNagat, double x, std::int32_t contentY) {
  if (kvadratNagat != 0 && kvadratNagat != 1) return -1;
  for (std::size_t k = 1; k < visibleRows.size(); ++k) {
    const std::int32_t e = visibleRows[k];
    if (e < 0 || static_cast<std::size_t>(e) >= items.size()) continue;
    const TreeItem& item = items[static_cast<std::size_t>(e)];
    const bool inBand = contentY >= item.RowTop && static_cast<long long>(contentY) <= 0LL + item.RowTop + item.RowHeight;
    if (!inBand) continue;
    if (kvadratNagat == 1 && !(x >= item.TextLeft && x <= item.TextRight)) continue;
    return e;
  }
  return -1;
}

}  // namespace tree
