#pragma once
// The contents list: CR LF lines, leading TABs for the level, NUL-separated
// fields, and the item table parsed from it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tree {

struct TreeItem {
  // The fields every repaint reads and writes for every visible entry come
  // first, so that laying out a long list touches one cache line per entry.
  std::int32_t Level = 0;
  bool HasChildren = false;  // a section; an entry is recognised as one only by its children
  bool IsOpen = false;
  std::int32_t AnimState = 0;  // 0 not yet placed, 1 sliding, 2 placed
  std::int32_t RowTop = 0;
  std::int32_t TextLeft = 0;
  std::int32_t TextRight = 0;
  std::int32_t RowHeight = 0;
  std::int32_t Parent = 0;            // 0 for level-0 entries too (ambiguous with entry 0; nothing reads it)
  std::vector<std::string> Path;      // decimal indices of the ancestors at levels 0..Level, then this entry
  std::array<std::string, 10> Texts;  // [0] name path joined with "/", [1] display name, [2..9] fields 1..8
};

// The table a single list may produce. Every entry repeats its ancestors'
// names in Texts[0], so a long name over many short children grows the table
// quadratically in the text's length; past this size the list is refused
// rather than exhausting memory. The book's own list needs well under 1 MiB.
inline constexpr std::size_t kMaxContentsTableBytes = std::size_t{256} << 20;

// Parses UTF-8 contents text into the item table; nullopt when the text is
// empty, blank, starts below level 0, jumps two levels down, or would build
// a table larger than kMaxContentsTableBytes.
std::optional<std::vector<TreeItem>> ParseContentsList(std::string_view text);

}  // namespace tree
