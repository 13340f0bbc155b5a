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

namespace reader {

constexpr int kSlotCount = 140;
constexpr int kLastSlot = 139;
constexpr int kContentsSlot = 139;

struct IoError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

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

// A missing file reads as an empty book (reported as not damaged);
// an unreadable one throws IoError naming the file.
PageStore LoadBook(const std::filesystem::path& path, BookReadReport* report = nullptr);

// Replaces the file atomically: a temporary file in the same folder is
// written, flushed to disk and renamed over the old one, so an interrupted
// or failed save leaves the old book whole. Throws IoError naming the file.
void SaveBook(const std::filesystem::path& path, const PageStore& store);

// Whole-file helpers shared by the loaders and the packing tool.
std::string ReadWholeFile(const std::filesystem::path& path);
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace reader
