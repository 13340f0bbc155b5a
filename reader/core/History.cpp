#include "reader/core/History.h"

namespace reader {

void History::Show(int page) {
  if (!pages_.empty()) {
    if (pages_[at_] == page) return;
    pages_.resize(at_ + 1);
  }
  pages_.push_back(page);
  if (pages_.size() > kLimit) pages_.erase(pages_.begin(), pages_.begin() + (pages_.size() - kLimit));
  at_ = pages_.size() - 1;
}

std::optional<int> History::Back() {
  if (!CanGoBack()) return std::nullopt;
  return pages_[--at_];
}

std::optional<int> History::Forward() {
  if (!CanGoForward()) return std::nullopt;
  return pages_[++at_];
}

std::optional<int> History::Current() const {
  if (pages_.empty()) return std::nullopt;
  return pages_[at_];
}

}  // namespace reader
