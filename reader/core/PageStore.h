#pragma once
// The whole book in memory: 140 slots of bytes exactly as the book file holds
// them. Slots 1..139 carry pages as Base64 text; slot 139 also carries the
// contents list (Windows-1251 text), whichever was stored there last.
//
// Book file layout: the 140 slots back to back, each a 16-bit little-endian
// length and that many bytes. A slot of 65,535 bytes or more stores 0xFFFF
// and then its real length as 32-bit little-endian, so every shorter slot keeps
// the plain 16-bit layout that existing book files use.
#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "reader/core/FileIo.h"

namespace reader {

constexpr int kSlotCount = 140;
constexpr int kLastSlot = 139;
constexpr int kContentsSlot = 139;

class PageStore {
 public:
  // Throws std::out_of_range for an index outside 0..139.
  const std::string& Slot(int index) const;
  void SetSlot(int index, std::string bytes);
  bool operator==(const PageStore&) const = default;

 private:
  std::array<std::string, kSlotCount> slots_;
};

// What a read of a book file found. A damaged file still loads: the slots
// before the damage are read and the rest stay empty.
struct BookReadReport {
  int slotsRead = 0;     // complete slots, 0..140
  bool damaged = false;  // the file ended inside a length or a slot
  std::string problem;   // what was wrong, for a message
};

PageStore ParseBook(std::string_view file, BookReadReport* report = nullptr);
std::string SerializeBook(const PageStore& store);

// A missing file reads as an empty book (reported as not damaged); an
// unreadable one, or anything but a regular file, throws IoError naming it.
PageStore LoadBook(const std::filesystem::path& path, BookReadReport* report = nullptr);

// Replaces the file atomically (ReplaceFile): an interrupted or failed save
// leaves the old book whole. A write-protected book (CheckReplaceable: no
// write bit for anyone, root included, or none for this user), or one that
// is no regular file, is refused and left as it is. An
// old book that does not read whole (damaged, or unreadable) is first kept
// beside the new one as Data.dat.damaged (-2, -3, ... when taken; once only,
// when a copy with the same bytes is there already), since its slots past
// the damage exist nowhere else; *kept names that file and is left empty
// otherwise. Throws IoError naming the file.
void SaveBook(const std::filesystem::path& path, const PageStore& store, std::filesystem::path* kept = nullptr);

// Suffix of the name under which a damaged book is kept.
inline constexpr const char* kDamagedBookSuffix = ".damaged";

}  // namespace reader
