#pragma once
// The pages the reader has seen, in order, with a cursor for Back and
// Forward. Only page numbers are kept: going back shows the page afresh,
// in today's colours and zoom.
#include <cstddef>
#include <optional>
#include <vector>

namespace reader {

class History {
 public:
  // Enough for a long day of reading; the oldest entries go first.
  static constexpr std::size_t kLimit = 1000;

  // A page was shown. The page already under the cursor is not recorded
  // again, so showing the page Back or Forward just reached keeps the
  // entries after it. Any other page drops the entries after the cursor
  // and becomes the last one.
  void Show(int page);
  // Moves the cursor one entry back (forward) and returns the page there;
  // nothing, and no move, at the first (last) entry or with no entries.
  std::optional<int> Back();
  std::optional<int> Forward();

  bool CanGoBack() const { return !pages_.empty() && at_ > 0; }
  bool CanGoForward() const { return !pages_.empty() && at_ + 1 < pages_.size(); }
  std::optional<int> Current() const;
  std::size_t Size() const { return pages_.size(); }

 private:
  std::vector<int> pages_;
  std::size_t at_ = 0;  // meaningful while pages_ is not empty
};

}  // namespace reader
