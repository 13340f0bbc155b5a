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

// The visibility rule: an entry shows when every section above it is open.
// Walks the table in order and carries the two running levels; an open
// section inside a closed one reveals nothing.
class VisibilityWalk {
 public:
  bool Visible(const TreeItem& item);

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
