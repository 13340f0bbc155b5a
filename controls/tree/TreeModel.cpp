#include "controls/tree/TreeModel.h"

#include <cstddef>
#include <optional>
#include <utility>

namespace tree {

bool TreeModel::PoluchiSpisok(std::string_view text, bool openFirst) {
  selected_ = -1;
  std::optional<std::vector<TreeItem>> parsed = ParseContentsList(text);
  if (!parsed) {
    items_ = std::vector<TreeItem>{};
    return false;
  }
  items_ = std::move(*parsed);
  if (openFirst) items_.front().IsOpen = true;
  return true;
}

std::int32_t TreeModel::VibranO(bool allowSection) const {
  // A selection outside the table (none, or a stored Vibran from another
  // list) names no section, so it is passed through as it is.
  if (!allowSection && selected_ >= 0 && static_cast<std::size_t>(selected_) < items_.size() &&
      items_[static_cast<std::size_t>(selected_)].HasChildren)
    return -1;
  return selected_;
}

std::int32_t TreeModel::LastItemIndex() const {
  return static_cast<std::int32_t>(items_.size()) - 1;
}

}  // namespace tree
