#include "controls/tree/ContentsList.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace tree {
namespace {

constexpr std::size_t kFieldCount = 9;

// Only CR LF ends a line; a lone CR or LF belongs to the line's text.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t crlf = text.find("\r\n", start);
    if (crlf == std::string_view::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, crlf - start));
    start = crlf + 2;
  }
}

// Only the space counts as blank; a TAB-only line is content.
bool IsBlank(std::string_view line) {
  return line.find_first_not_of(' ') == std::string_view::npos;
}

struct Line {
  std::size_t tabs = 0;
  std::int32_t level = 0;
  std::string_view data;  // the piece after the last TAB
  std::array<std::string_view, kFieldCount> fields{};
};

// The pieces before the last TAB only count towards the level; in
// well-formed text they are empty because the TABs lead the line.
Line SplitLine(std::string_view line) {
  Line shape;
  shape.tabs = static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t'));
  const std::size_t lastTab = line.rfind('\t');
  shape.data = lastTab == std::string_view::npos ? line : line.substr(lastTab + 1);
  // Missing fields stay empty; anything after the ninth field is dropped.
  std::size_t start = 0;
  for (std::size_t f = 0; f < kFieldCount; ++f) {
    const std::size_t nul = shape.data.find('\0', start);
    if (nul == std::string_view::npos) {
      shape.fields[f] = shape.data.substr(start);
      break;
    }
    shape.fields[f] = shape.data.substr(start, nul - start);
    start = nul + 1;
  }
  return shape;
}

std::string JoinNames(const std::vector<std::string_view>& names) {
  std::size_t size = names.empty() ? 0 : names.size() - 1;
  for (std::string_view n : names) size += n.size();
  std::string joined;
  joined.reserve(size);
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (k != 0) joined += '/';
    joined += names[k];
  }
  return joined;
}

}  // namespace

std::optional<std::vector<TreeItem>> ParseContentsList(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::vector<std::string_view> lines = SplitLines(text);
  while (!lines.empty() && IsBlank(lines.back())) lines.pop_back();
  if (lines.empty()) return std::nullopt;
  // Indices are 32-bit; a list with more lines than that cannot be indexed.
  if (lines.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    return std::nullopt;

  // First pass: check the level structure and add up the table's size, so a
  // refused list is refused before anything large is allocated.
  std::vector<Line> shapes;
  shapes.reserve(lines.size());
  std::vector<std::size_t> namePathBytes;  // length of the joined name path per level
  std::size_t tableBytes = 0;
  const std::size_t limit = kMaxContentsTableBytes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line shape = SplitLine(lines[i]);
    // A line may go at most one level deeper than the one before it, and the
    // first line (with nothing before it) must be level 0.
    const std::size_t allowedDepth = i == 0 ? 0 : static_cast<std::size_t>(shapes.back().level) + 1;
    if (shape.tabs > allowedDepth) return std::nullopt;
    const auto level = static_cast<std::size_t>(shape.tabs);
    namePathBytes.resize(level + 1);
    namePathBytes[level] = (level == 0 ? 0 : namePathBytes[level - 1] + 1) + shape.fields[0].size();
    tableBytes += sizeof(TreeItem) + (level + 1) * sizeof(std::string) + namePathBytes[level] +
                  shape.data.size();
    if (tableBytes > limit) return std::nullopt;
    shapes.push_back(shape);
    shapes.back().level = static_cast<std::int32_t>(level);
  }

  std::vector<TreeItem> items(shapes.size());
  std::int32_t previousLevel = 0;
  std::int32_t parent = 0;
  // The running paths hold, at each level up to the previous line's, the most
  // recent entry at that level: exactly the entry a backward scan for the
  // nearest shallower line would find, so rising needs no scan.
  std::vector<std::string> indexPath;
  std::vector<std::int32_t> lastIndexAtLevel;
  std::vector<std::string_view> namePath;

  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const Line& shape = shapes[i];
    const std::int32_t level = shape.level;
    if (level == 0) {
      parent = 0;
    } else if (level > previousLevel) {
      parent = static_cast<std::int32_t>(i - 1);
      items[i - 1].HasChildren = true;
    } else if (level < previousLevel) {
      parent = lastIndexAtLevel[static_cast<std::size_t>(level) - 1];
    }
    // At an equal level the parent carries over from the line before.
    previousLevel = level;

    const auto depth = static_cast<std::size_t>(level) + 1;
    indexPath.resize(depth);
    indexPath[depth - 1] = std::to_string(i);
    lastIndexAtLevel.resize(depth);
    lastIndexAtLevel[depth - 1] = static_cast<std::int32_t>(i);
    namePath.resize(depth);
    namePath[depth - 1] = shape.fields[0];

    TreeItem& item = items[i];
    item.Path = indexPath;
    item.Level = level;
    item.IsOpen = false;
    item.Parent = parent;
    item.Texts[0] = JoinNames(namePath);
    for (std::size_t f = 0; f < kFieldCount; ++f) item.Texts[f + 1] = std::string(shape.fields[f]);
  }
  return items;
}

}  // namespace tree
