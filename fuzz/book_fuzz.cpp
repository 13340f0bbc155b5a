// Any byte string is a possible book file (it is read from disk at start-up):
// parsing must never crash or allocate past the input, the report must agree
// with what was read, and what was read must survive a save and a reload.
// The input also fills one slot past 65,535 bytes, so the writer's escape
// for long slots, and every cut inside its header, are tried on every run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "reader/core/PageStore.h"

namespace {

void CheckLongSlot(const reader::PageStore& store, std::string_view input) {
  const int slot = static_cast<unsigned char>(input[0]) % reader::kSlotCount;
  const std::size_t length = 65535 + (input.size() > 1 ? static_cast<unsigned char>(input[1]) : 0);
  std::string bytes;
  bytes.reserve(length + input.size());
  while (bytes.size() < length) bytes.append(input);
  bytes.resize(length);
  reader::PageStore longStore = store;
  longStore.SetSlot(slot, std::move(bytes));

  const std::string file = reader::SerializeBook(longStore);
  reader::BookReadReport report;
  if (reader::ParseBook(file, &report) != longStore || report.damaged) std::abort();

  std::size_t header = 0;
  for (int i = 0; i < slot; ++i) header += (longStore.Slot(i).size() < 0xFFFF ? 2 : 6) + longStore.Slot(i).size();
  if (static_cast<unsigned char>(file[header]) != 0xFF || static_cast<unsigned char>(file[header + 1]) != 0xFF)
    std::abort();
  // (A cut at 0 is the empty file, which is a valid empty book.)
  for (std::size_t cut = header == 0 ? 1 : header; cut < header + 6; ++cut) {
    reader::BookReadReport cutReport;
    reader::ParseBook(std::string_view(file).substr(0, cut), &cutReport);
    if (!cutReport.damaged || cutReport.slotsRead != slot) std::abort();
  }
}

}  // namespace

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

  if (size > 0) CheckLongSlot(store, file);
  return 0;
}
