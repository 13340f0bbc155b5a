#include "reader/core/PageStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <string>

namespace reader {
namespace {

constexpr std::uint32_t kLongSlotMark = 0xFFFF;

void AppendLe(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t ReadLe(std::string_view in, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
  return v;
}

}  // namespace

const std::string& PageStore::Slot(int index) const {
  if (index < 0 || index >= kSlotCount) throw std::out_of_range("page slot " + std::to_string(index));
  return slots_[static_cast<std::size_t>(index)];
}

void PageStore::SetSlot(int index, std::string bytes) {
  if (index < 0 || index >= kSlotCount) throw std::out_of_range("page slot " + std::to_string(index));
  slots_[static_cast<std::size_t>(index)] = std::move(bytes);
}

PageStore ParseBook(std::string_view file, BookReadReport* report) {
  PageStore store;
  BookReadReport local;
  std::size_t pos = 0;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (file.size() - pos < 2) {
      if (file.empty()) break;  // an empty book file is a valid empty book
      local.damaged = true;
      local.problem = "the file ends before slot " + std::to_string(slot);
      break;
    }
    std::uint64_t length = ReadLe(file, pos, 2);
    pos += 2;
    if (length == kLongSlotMark) {
      if (file.size() - pos < 4) {
        local.damaged = true;
        local.problem = "the file ends inside the length of slot " + std::to_string(slot);
        break;
      }
      length = ReadLe(file, pos, 4);
      pos += 4;
    }
    if (length > file.size() - pos) {
      local.damaged = true;
      local.problem = "slot " + std::to_string(slot) + " claims " + std::to_string(length) +
                      " bytes but only " + std::to_string(file.size() - pos) + " remain";
      break;
    }
    store.SetSlot(slot, std::string(file.substr(pos, static_cast<std::size_t>(length))));
    pos += static_cast<std::size_t>(length);
    local.slotsRead = slot + 1;
  }
  if (report) *report = local;
  return store;
}

std::string SerializeBook(const PageStore& store) {
  std::size_t total = 0;
  for (int i = 0; i < kSlotCount; ++i) total += store.Slot(i).size() + 6;
  std::string out;
  out.reserve(total);
  for (int i = 0; i < kSlotCount; ++i) {
    const std::string& slot = store.Slot(i);
    if (slot.size() > std::numeric_limits<std::uint32_t>::max())
      throw IoError("slot " + std::to_string(i) + " is larger than a book file can hold");
    if (slot.size() < kLongSlotMark) {
      AppendLe(out, static_cast<std::uint32_t>(slot.size()), 2);
    } else {
      AppendLe(out, kLongSlotMark, 2);
      AppendLe(out, static_cast<std::uint32_t>(slot.size()), 4);
    }
    out += slot;
  }
  return out;
}

PageStore LoadBook(const std::filesystem::path& path, BookReadReport* report) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec) && !ec) {
    if (report) *report = {};
    return {};
  }
  return ParseBook(ReadWholeFile(path), report);
}

void SaveBook(const std::filesystem::path& path, const PageStore& store, std::filesystem::path* kept) {
  if (kept) kept->clear();
  const std::string bytes = SerializeBook(store);
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    bool whole = false;
    try {
      BookReadReport report;
      ParseBook(ReadWholeFile(path), &report);
      whole = !report.damaged;
    } catch (const IoError&) {
      // Unreadable: nothing says it is whole.
    }
    if (!whole) {
      // The refusals of the replace come first: a book that may not be
      // replaced needs no copy.
      CheckReplaceable(path);
      std::filesystem::path copy = KeepBeside(path, kDamagedBookSuffix);
      if (kept) *kept = std::move(copy);
    }
  }
  ReplaceFile(path, bytes);
}

}  // namespace reader
