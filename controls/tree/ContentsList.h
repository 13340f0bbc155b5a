#pragma once
// The contents list: CR LF lines, leading TABs for the level, NUL-separated
// fields, and the item table parsed from it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tree {

struct TreeItem {
  std::int32_t Parent = 0;
  std::vector<std::string> Path;      // decimal indices of the ancestors at levels 0..Level, then this entry
  std::int32_t Level = 0;
  std::array<std::string, 10> Texts;  // [0] name path joined with "/", [1] display name, [2..9] fields 1..8
  bool HasChildren = false;
  bool IsOpen = false;
  std::int32_t AnimState = 0;  // 0 not yet placed, 1 sliding, 2 placed
  std::int32_t RowTop = 0;
  std::int32_t TextLeft = 0;
  std::int32_t TextRight = 0;
  std::int32_t RowHeight = 0;
};

// Parses UTF-8 contents text into the item table; nullopt when the text is
// empty, blank, starts below level 0 or jumps two levels down.
std::optional<std::vector<TreeItem>> ParseContentsList(std::string_view text);

}  // namespace tree
