#pragma once
// The contents tree from the keyboard, free of any surface: which row a key
// moves the keyboard row to, which section it opens or closes, which row a
// typed prefix finds, and where the focus rectangle lies. The tree calls
// these and carries the results out through its own paths (a chosen row goes
// through the button release, a move through the scroll bar).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "controls/tree/ContentsList.h"
#include "controls/tree/TreeLayout.h"
#include "drawing/Surface.h"

namespace tree {

// What a key asks of the tree.
struct KeyAction {
  enum Kind { None, Move, Open, Close, Choose };
  Kind kind = None;
  std::int32_t entry = -1;  // the row moved to, opened, closed or chosen
  bool operator==(const KeyAction&) const = default;
};

// The keyboard row that holds now: row itself while it is a visible row,
// else its nearest visible ancestor (its section was closed), else the
// selected entry if visible, else the first visible row; -1 when no row is
// visible. visibleRows has the tree's placeholder in element 0.
std::int32_t EffectiveKeyboardRow(const std::vector<TreeItem>& items, const std::vector<std::int32_t>& visibleRows,
                                  std::int32_t row, std::int32_t selected);

// How many visible rows, from current on, lie whole within a view of
// viewHeight pixels that starts at current's top (going down) or ends at its
// bottom (going up); at least 1.
std::int32_t RowsPerPage(const std::vector<TreeItem>& items, const std::vector<std::int32_t>& visibleRows,
                         std::int32_t current, std::int32_t viewHeight, bool upward);

// Up and Down move by one visible row, Home and End to the first and last,
// Page Up and Page Down by rowsPerPage; Right opens a closed section or moves
// into an open one's first child, Left closes an open section or moves to
// the parent; Enter and Space choose. Every move stays on the visible rows.
KeyAction KeyActionFor(drawing::Key key, const std::vector<TreeItem>& items,
                       const std::vector<std::int32_t>& visibleRows, std::int32_t current, std::int32_t rowsPerPage);

// The part of a display name type-ahead compares: a leading page number as
// the contents builder writes it ("7-bet ") is left out.
std::string_view TypeAheadName(std::string_view name);
// Lower case for Latin and Cyrillic letters, everything else as it is.
std::string FoldCase(std::string_view utf8);

// What has been typed since the last pause.
class TypeAheadBuffer {
 public:
  // How long a pause ends a prefix.
  static constexpr int kPauseMs = 1000;
  void Add(std::string_view text) { typed_ += text; }
  void Clear() { typed_.clear(); }
  bool Empty() const { return typed_.empty(); }
  const std::string& Text() const { return typed_; }
  // One letter typed again and again ("ааа"): step through the rows that
  // begin with it rather than look for the whole text.
  bool OneLetterRepeated() const;

 private:
  std::string typed_;
};

// The next visible row whose name begins with prefix (case folded), looking
// from current on and wrapping round; current itself counts only when
// includeCurrent is set. -1 when no row matches.
std::int32_t TypeAheadMatch(const std::vector<TreeItem>& items, const std::vector<std::int32_t>& visibleRows,
                            std::int32_t current, std::string_view prefix, bool includeCurrent);

// The focus rectangle of a row in view coordinates: around the name where
// the row marker is (Kvadrat 1), else the row's full width left of the
// scroll bar. right is the first column outside it.
MarkerRect FocusRectFor(std::int32_t kvadrat, const TreeItem& item, std::int32_t scrollValue, std::int32_t halfIndent,
                        std::int32_t available);

}  // namespace tree
