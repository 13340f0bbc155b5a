#include "controls/balloon/LayoutBalloon.h"

#include <stdexcept>

#include "drawing/Arithmetic.h"

namespace balloon {

namespace {

// The painter indents the first line by three spaces' width; every line is
// measured with them so that any line could carry the indent.
constexpr std::string_view kIndent = "   ";

using drawing::CheckedAdd;
using drawing::CheckedMul;
using drawing::CheckedSub;
using drawing::RoundHalfEven;

// Every single space separates two words, so a run of k spaces leaves k - 1
// empty words: the caption's own spacing survives into the lines.
std::vector<std::string_view> SplitAtSpaces(std::string_view text) {
  std::vector<std::string_view> words;
  if (text.empty()) return words;
  std::size_t start = 0;
  while (true) {
    const std::size_t space = text.find(' ', start);
    if (space == std::string_view::npos) {
      words.push_back(text.substr(start));
      return words;
    }
    words.push_back(text.substr(start, space - start));
    start = space + 1;
  }
}

std::string Joined(std::string_view a, std::string_view b, std::string_view c) {
  std::string out;
  out.reserve(a.size() + b.size() + c.size());
  out.append(a).append(b).append(c);
  return out;
}

}  // namespace

std::string_view TrimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

WrappedCaption WrapCaption(std::string_view caption, std::int32_t maxWidth, std::int32_t margin,
                           const TextMeasure& measure) {
  const std::int32_t margins = CheckedMul(2, margin);
  const std::int32_t limit = CheckedSub(maxWidth, margins);
  WrappedCaption out;
  out.lines.emplace_back();
  std::int32_t widest = 0;
  // The widest line counts with its indent and margins. Appending a word
  // never narrows a line, so a line is measured once, when it is complete:
  // half the measuring of a long caption, with the same result.
  bool lineGrown = false;
  const auto measureLine = [&] {
    if (!lineGrown) return;
    const double lineWidth = measure.width(Joined(TrimSpaces(out.lines.back()), kIndent, {})) + margins;
    if (lineWidth > widest) widest = RoundHalfEven(lineWidth);
  };
  for (std::string_view word : SplitAtSpaces(TrimSpaces(caption))) {
    if (measure.width(TrimSpaces(Joined(out.lines.back(), kIndent, word))) > limit) {
      measureLine();
      // The index of the next line must stay a 32-bit value.
      CheckedAdd(static_cast<std::int32_t>(out.lines.size()), 1);
      out.lines.emplace_back();
      lineGrown = false;
    }
    std::string& line = out.lines.back();
    if (line.empty())
      line.assign(word);
    else
      line.append(" ").append(word);
    lineGrown = true;
  }
  measureLine();
  const auto lineCount = static_cast<double>(out.lines.size());
  out.height = RoundHalfEven(measure.lineHeight * lineCount + margins);
  out.width = out.lines.size() == 1
                  ? RoundHalfEven(measure.width(Joined(TrimSpaces(out.lines[0]), kIndent, {})) + margins)
                  : maxWidth;
  if (out.width > widest) out.width = widest;
  if (out.width > kLargestBalloonSide || out.height > kLargestBalloonSide)
    throw std::length_error("the balloon would be larger than a window can be");
  return out;
}

drawing::ScreenPoint PlaceBalloon(std::int32_t mode, std::int32_t width, std::int32_t height, std::int32_t offset,
                                  drawing::ScreenPoint cursor, const drawing::ScreenRect& workArea) {
  const std::int32_t cx = cursor.x, cy = cursor.y;
  // Left of and right of the cursor, above and below it, centred on it.
  const auto leftOf = [&] { return CheckedSub(CheckedSub(cx, width), offset); };
  const auto rightOf = [&] { return CheckedAdd(cx, offset); };
  const auto above = [&] { return CheckedSub(CheckedSub(cy, height), offset); };
  const auto below = [&] { return CheckedAdd(cy, offset); };
  const auto centredX = [&] { return RoundHalfEven(cx - width / 2.0); };
  const auto centredY = [&] { return RoundHalfEven(cy - height / 2.0); };
  const auto yForSide = [&](int row) { return row == 0 ? centredY() : row == 1 ? CheckedSub(cy, height) : cy; };

  std::int32_t x = 0, y = 0;
  switch (mode) {
    case 0:
      x = centredX();
      y = centredY();
      break;
    case 1: case 2: case 3:
      x = leftOf();
      y = yForSide(mode - 1);
      if (x < workArea.left) x = rightOf();
      break;
    case 4: case 5: case 6:
      x = rightOf();
      y = yForSide(mode - 4);
      if (CheckedAdd(x, width) > workArea.right) x = leftOf();
      break;
    case 7:
      x = centredX();
      y = above();
      if (y < workArea.top) y = below();
      break;
    case 8:
      x = centredX();
      y = below();
      if (CheckedAdd(y, height) > workArea.bottom) y = above();
      break;
    default:
      break;  // the clamping below puts it at the work area's top-left
  }
  // Left before right and top before bottom: a balloon larger than the work
  // area ends flush with its right and bottom edges.
  if (x < workArea.left) x = workArea.left;
  if (CheckedAdd(x, width) > workArea.right) x = CheckedSub(workArea.right, width);
  if (y < workArea.top) y = workArea.top;
  if (CheckedAdd(y, height) > workArea.bottom) y = CheckedSub(workArea.bottom, height);
  return {x, y};
}

}  // namespace balloon
