#pragma once
// The tree's geometry and row rules, free of any surface: which entries a
// repaint shows, where a row's text starts, which font and colours a row
// takes, how a long name is shortened, and which row a pointer is over.
// Painting and the hit test both call these, so what a reader sees and what
// a click picks can never disagree.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/tree/ContentsList.h"
#include "drawing/Colour.h"
#include "drawing/Font.h"

namespace tree {

struct TrayLook;

// The fields of an entry a repaint reads and writes for every visible row,
// kept in a compact table of their own so that laying out a long list walks
// 40 bytes per entry instead of whole records; the item table receives a
// row's values only when they change.
struct RowLayout {
  std::int32_t Level = 0;
  bool HasChildren = false;
  bool IsOpen = false;
  std::int32_t AnimState = 0;
  std::int32_t RowTop = 0;
  std::int32_t TextLeft = 0;
  std::int32_t TextRight = 0;
  std::int32_t RowHeight = 0;
  // TextRight holds for this font key and name offset (-1: not known).
  std::int32_t rightFont = -1;
  std::int32_t rightOffset = 0;
  // Which look font (0 FontShapka, 1 FontElement, 2 FontElementVibran) the
  // surface held when the row was laid out.
  std::int8_t surfaceFont = 0;
  bool operator==(const RowLayout&) const = default;
};
inline RowLayout LayoutOf(const TreeItem& item) {
  return {item.Level, item.HasChildren, item.IsOpen, item.AnimState, item.RowTop, item.TextLeft, item.TextRight,
          item.RowHeight, -1, 0, 0};
}
inline void StoreLayout(const RowLayout& row, TreeItem& item) {
  item.AnimState = row.AnimState;
  item.RowTop = row.RowTop;
  item.TextLeft = row.TextLeft;
  item.TextRight = row.TextRight;
  item.RowHeight = row.RowHeight;
}

// The visibility rule: an entry shows when every section above it is open.
// Walks the table in order and carries the two running levels; an open
// section inside a closed one reveals nothing.
class VisibilityWalk {
 public:
  // Inline: a repaint asks this for every entry of the table.
  template <typename Row>
  bool Visible(const Row& item) {
    bool visible = item.Level == 0;
    if (item.Level < openLevel_) openLevel_ = item.Level;
    if (item.HasChildren && item.IsOpen) {
      // Level + 1 in 64 bits: the deepest entry cannot wrap the count.
      const long long open = static_cast<long long>(item.Level) + 1;
      openLevel_ = open - previousOpenLevel_ > 1 ? previousOpenLevel_ : static_cast<std::int32_t>(open);
    }
    if (openLevel_ >= item.Level) visible = true;
    previousOpenLevel_ = openLevel_;
    return visible;
  }

 private:
  std::int32_t openLevel_ = 0;
  std::int32_t previousOpenLevel_ = 0;
};

// Left edge of a row's text area at this level (indent step TrOtstSleva).
std::int32_t TextLeftFor(std::int32_t level, std::int32_t indentStep);

// The font, colours and extra space one row takes. Colours may be system
// colours; the caller resolves them before any arithmetic.
struct RowStyle {
  const drawing::Font* font = nullptr;
  drawing::Colour rowColour = 0;
  drawing::Colour textColour = 0;
  std::int32_t extraAbove = 0;  // added to the y cursor before the row
};
// resolve turns a colour value into a plain colour (system colours through
// the palette) before level shading shifts it.
RowStyle PickRowStyle(const TrayLook& look, const TreeItem& item, bool selected,
                      const std::function<drawing::Colour(drawing::Colour)>& resolve);

// The font part of PickRowStyle alone, for rows that are laid out but not
// drawn.
inline const drawing::Font& RowFont(const drawing::Font& shapka, const drawing::Font& element,
                                    const drawing::Font& elementSelected, std::int32_t level, bool selected) {
  if (level == 0) return shapka;
  return selected ? elementSelected : element;
}

// Whether a surface showing current has to take wanted: only bold, size,
// italic and underline count, so a face or character set that differs alone
// keeps the surface's face.
bool FontNeedsReplacing(const drawing::Font& current, const drawing::Font& wanted);

// The name a row prints when the space left of the scroll bar (available)
// is narrower than the row (textRight): the longest prefix the 20-step
// search finds, followed by "...". width measures text in the surface's
// current font. textStart is the row's TextLeft plus the extra indent.
std::string FitItemText(std::string_view name, std::int32_t available, std::int32_t textRight,
                        std::int32_t textStart, const std::function<double(std::string_view)>& width);
// The first n code points of a UTF-8 text (the whole text when n is larger).
std::string_view LeadingCharacters(std::string_view text, std::int64_t n);

// No row shows more of a name than this many code points: a row is at most
// a screen wide, and no readable glyph is under 2 pixels. Names are
// measured, shortened and printed from this part only, so a name of
// megabytes costs a repaint no more than one that just overflows the row.
inline constexpr std::int64_t kShownCharacters = 4096;
inline std::string_view ShownPart(std::string_view name) { return LeadingCharacters(name, kShownCharacters); }

// The rectangle a row's decoration uses, in view coordinates.
struct MarkerRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t height = 0;
};
// kvadrat 1: around the name; 0: the full width left of the scroll bar; any
// other value keeps previous.
MarkerRect MarkerFor(std::int32_t kvadrat, const TreeItem& item, std::int32_t scrollValue, std::int32_t halfIndent,
                     std::int32_t available, const MarkerRect& previous);

// The entry under content point (x, contentY) among the visible rows
// (element 0 of visibleRows is a placeholder), or -1. kvadratNagat 0 takes
// the whole row band, 1 the name only, anything else hits nothing.
std::int32_t HitTest(const std::vector<TreeItem>& items, const std::vector<std::int32_t>& visibleRows,
                     std::int32_t kvadratNagat, double x, std::int32_t contentY);

}  // namespace tree
