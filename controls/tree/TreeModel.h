#pragma once
// The contents tree's model side: the item table and the selection, with the
// host-facing operations that need no drawing. Painting and interaction read
// and write the same table through Items().
#include <cstdint>
#include <string_view>
#include <vector>

#include "controls/tree/ContentsList.h"

namespace tree {

class TreeModel {
 public:
  // Replaces the item table with the parsed list and clears the selection;
  // with openFirst (the TrVipodaPerviy property) entry 0 starts expanded.
  // Returns false when the text cannot be parsed: the table is then empty,
  // and the control shows only its background. The text is not kept (it is
  // not the Spisok property). The hovered entry is not the model's and is
  // left alone.
  bool PoluchiSpisok(std::string_view text, bool openFirst);

  // The selected index (Vibran), except -1 when allowSection is false and
  // the selection is a section, so a host can ask for "the selected page"
  // in one call.
  std::int32_t VibranO(bool allowSection) const;

  // Highest index of the item table, -1 when it is empty.
  std::int32_t LastItemIndex() const;

  // Part of the control's public surface; it has never done anything.
  void PrimiTRy() {}

  std::int32_t Vibran() const { return selected_; }
  // Stores only: notifying the host and repainting are the control's job.
  void SetVibran(std::int32_t index) { selected_ = index; }

  std::vector<TreeItem>& Items() { return items_; }
  const std::vector<TreeItem>& Items() const { return items_; }

 private:
  std::vector<TreeItem> items_;
  std::int32_t selected_ = -1;
};

}  // namespace tree
