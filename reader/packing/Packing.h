#pragma once
// The author's packing tool: turns the outline Data/names.txt into the
// contents list and packs the page folder Lor2 into the page store. The main
// window's buttons and the bookpack command both call these functions, in the
// same order, so both write the same book byte for byte.
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "reader/core/PageStore.h"

namespace reader {

// Where the tool finds its inputs and writes its output, relative to the
// application folder.
std::filesystem::path OutlinePath(const std::filesystem::path& appFolder);     // Data/names.txt
std::filesystem::path PageFolderPath(const std::filesystem::path& appFolder);  // Lor2
std::filesystem::path BookPath(const std::filesystem::path& appFolder);        // Data.dat

// The contents builder. Input and output are Windows-1251 bytes; every byte
// the builder looks at (backtick, TAB, CR, LF) is ASCII, so it works on bytes.
// One output line per input line, joined with CR LF:
//   b TABs, [n "-bet "] title, NUL, second text, NUL, n
// where b is the line's backtick count and n the number of the last page
// entry so far (0 before the first). Lines the author got wrong are kept, so
// that books packed before stay the same: a line without a TAB stays exactly as read,
// backticks included, yet still uses up a page number when it has backticks;
// an empty line stays empty, so a final CR LF gives a last, empty line.
std::string BuildContents(std::string_view namesBytes);

// The outline's bytes. A missing file reads as empty and is not created
// (*found is cleared); an unreadable one throws IoError naming the file.
std::string ReadOutline(const std::filesystem::path& namesFile, bool* found = nullptr);

// Order of the page folder's file names: without regard to case for ASCII
// and Cyrillic letters (names are UTF-8; А-Я and Ё fold to а-я and ё), equal
// folded names ordered by their raw bytes so the order is total.
bool PageNameLess(std::string_view a, std::string_view b);

struct PageFailure {
  std::string file;    // file name inside the page folder
  std::string reason;  // what went wrong, naming the file
};

// What the page folder holds, as the page folder pass sees it. The book's
// folder is the one that holds the page folder.
struct PageFolderScan {
  bool found = true;
  // The page files in page order: regular files, and symbolic links whose
  // target is a regular file inside the book's folder. Hidden files (names
  // starting with a dot) are left out: editors and file managers leave them
  // beside the pages, and they must not take a page's slot.
  std::vector<std::string> pages;
  // Where each page's bytes are read: its real path, every link resolved.
  std::vector<std::filesystem::path> sources;
  // Links to anything else (a file outside the book's folder, a device, a
  // FIFO, a folder, nothing), and files whose real place is outside the
  // book's folder: never packed, and a pass that meets one saves nothing.
  std::vector<PageFailure> refused;
  // Entries that are no page file (FIFO, device, socket, folder): left out.
  std::vector<PageFailure> leftOut;
};

PageFolderScan ScanPageFolder(const std::filesystem::path& folder);

// The page files of the page folder in page order (ScanPageFolder's pages).
// A missing folder gives an empty list (*found cleared).
std::vector<std::string> ListPageFolder(const std::filesystem::path& folder, bool* found = nullptr);

// Thrown by the page folder pass when the page folder holds files it may
// not pack (PageFolderScan::refused); the store and the book are left as
// they were.
struct RefusedPageFiles : IoError {
  explicit RefusedPageFiles(std::vector<PageFailure> refusedFiles);
  std::vector<PageFailure> refused;
};

// Running out of memory while one page file is read or encoded names it.
struct PageOutOfMemory : std::bad_alloc {
  explicit PageOutOfMemory(std::string path)
      : file(std::move(path)), message("out of memory while reading the page file " + file) {}
  const char* what() const noexcept override { return message.c_str(); }
  std::string file;
  std::string message;
};

struct PackReport {
  bool folderFound = true;
  std::vector<std::string> files;      // every listed file, in page order
  int slotsStored = 0;                 // slots 1.. written with a page
  std::vector<PageFailure> failed;     // unreadable files; their slots kept what they had
  std::vector<std::string> ignored;    // files beyond the last slot
  std::vector<PageFailure> leftOut;    // entries that are no page file (ScanPageFolder)
  bool contentsReplaced = false;       // a page file went into slot 139
  std::filesystem::path keptBook;      // where the old book was kept because it did not read whole
};

// The page folder pass: file i (0-based, in ListPageFolder order) goes into
// slot i + 1 as BytesToBase64 of its bytes. Files beyond slot 139 are read
// but not stored. A file that cannot be read leaves its slot as it was, so
// the book keeps the page it had instead of another page's text. Slot 0, the
// slots past the last file, and slot 139 unless there are 139 or more files
// keep what they held. Nothing is written to disk. A page folder with
// refused files (ScanPageFolder) throws RefusedPageFiles before any slot is
// touched; running out of memory on a page throws PageOutOfMemory.
PackReport PackPageFolder(const std::filesystem::path& folder, PageStore& store);

// What the window's first button does: reads the outline of the application
// folder, builds the contents list and puts it into slot 139. Returns the
// list (Windows-1251) for the contents tree.
std::string RunContentsBuilder(const std::filesystem::path& appFolder, PageStore& store,
                               bool* outlineFound = nullptr);

// What the window's second button does: the page folder pass, then the save
// of the whole page store to Data.dat, replaced atomically (SaveBook: an old
// book that did not read whole is kept beside it first, report.keptBook). A
// failed or refused save throws IoError naming the file.
PackReport RunPageFolderPass(const std::filesystem::path& appFolder, PageStore& store);

}  // namespace reader
