// Any byte string is a possible book file (it is read from disk at start-up):
// parsing must never crash or allocate past the input, the report must agree
// with what was read, and what was read must survive a save and a reload.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reader/core/PageStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  reader::BookReadReport report;
  const reader::PageStore store = reader::ParseBook(file, &report);

  if (report.slotsRead < 0 || report.slotsRead > reader::kSlotCount) std::abort();
  if (report.damaged == report.problem.empty()) std::abort();
  if (!report.damaged && size > 0 && report.slotsRead != reader::kSlotCount) std::abort();
  std::size_t held = 0;
  for (int i = 0; i < reader::kSlotCount; ++i) {
    if (i >= report.slotsRead && !store.Slot(i).empty()) std::abort();
    held += store.Slot(i).size();
  }
  if (held > size) std::abort();

  reader::BookReadReport again;
  if (reader::ParseBook(reader::SerializeBook(store), &again) != store || again.damaged) std::abort();
  return 0;
}
