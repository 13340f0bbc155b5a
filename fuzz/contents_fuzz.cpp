// Any byte string is a possible contents list (it comes from the book data
// file); parsing must accept or refuse it without crashing, and an accepted
// table must hold together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "controls/tree/ContentsList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto items = tree::ParseContentsList(text);
  if (!items) return 0;
  if (items->empty() || (*items)[0].Level != 0) std::abort();
  for (std::size_t i = 0; i < items->size(); ++i) {
    const tree::TreeItem& item = (*items)[i];
    if (item.Path.size() != static_cast<std::size_t>(item.Level) + 1) std::abort();
    if (item.Path.back() != std::to_string(i)) std::abort();
    if (item.Level > 0 && item.Path[item.Path.size() - 2] != std::to_string(item.Parent)) std::abort();
    const bool deeperNext = i + 1 < items->size() && (*items)[i + 1].Level > item.Level;
    if (item.HasChildren != deeperNext) std::abort();
  }
  return 0;
}
