// bookpack: the packing tool of the reader's window, for the command line.
// `build` makes the same library calls in the same order as the window's two
// buttons, so the book it writes is byte for byte the book the window writes.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/tree/ContentsList.h"
#include "reader/BookFolder.h"
#include "reader/core/Base64.h"
#include "reader/core/Cp1251.h"
#include "reader/core/PageStore.h"
#include "reader/packing/Packing.h"
#include "reader/tools/SearchCommand.h"

namespace {

namespace fs = std::filesystem;

constexpr int kOk = 0;
constexpr int kProblems = 1;
constexpr int kFailure = 2;

constexpr std::string_view kHelp =
    "Usage: bookpack COMMAND ARGS\n"
    "\n"
    "Packs and inspects the reader's book file Data.dat.\n"
    "\n"
    "Commands:\n"
    "  build DIR      build the contents list from DIR/Data/names.txt into slot 139,\n"
    "                 pack every file of DIR/Lor2 into slots 1, 2, ... and save\n"
    "                 DIR/Data.dat (starting from DIR/Data.dat when it exists)\n"
    "  list FILE      one line per slot: index, length in bytes, kind\n"
    "                 (empty, page, contents or other)\n"
    "  extract FILE N write page N's decoded bytes to standard output\n"
    "  contents FILE  show the contents list (slot 139) as an indented outline\n"
    "                 with each entry's page number in brackets\n"
    "  check DIR      compare DIR/Data/names.txt with DIR/Lor2 and report every\n"
    "                 problem found\n"
    "  search FILE [--limit N] QUERY...\n"
    "                 search the book's pages: one line per hit, best first, with\n"
    "                 page number, name and a snippet, TAB-separated, the matched\n"
    "                 words between asterisks; every word must occur, in any\n"
    "                 inflection, \"quoted words\" as a phrase; at most N hits\n"
    "                 (default 20); exit 0 with hits, 1 with none\n"
    "  --help         show this text\n"
    "  --version      show the program's name and version\n"
    "\n"
    "Exit status: 0 success, 1 problems found (build: the book was saved but\n"
    "some input was missing, unreadable or ignored; or a page link was refused\n"
    "and the book was not saved; search: nothing found), 2 usage or I/O error.\n";

// What the tool is doing, for the message when memory runs out: the file
// and the step, so the author knows which input is too large.
std::string gDoing = "starting";
void Doing(std::string what) { gDoing = std::move(what); }

int Usage(std::string_view message) {
  std::cerr << "bookpack: " << message << "\nTry 'bookpack --help'.\n";
  return kFailure;
}

std::string Quote(const fs::path& path) { return path.string(); }

// A book file that is asked for by name must exist: LoadBook alone would
// read a missing file as an empty book.
std::optional<reader::PageStore> LoadExistingBook(const fs::path& file, bool* damaged) {
  std::error_code ec;
  if (!fs::exists(file, ec)) {
    std::cerr << Quote(file) << ": no such file\n";
    return std::nullopt;
  }
  reader::BookReadReport report;
  Doing("reading the book file " + Quote(file));
  reader::PageStore store = reader::LoadBook(file, &report);
  if (report.damaged) {
    std::cerr << Quote(file) << ": damaged (" << report.problem << "); only the first "
              << report.slotsRead << " slots could be read\n";
  }
  if (damaged) *damaged = report.damaged;
  return store;
}

std::string_view SlotKind(const std::string& slot) {
  if (slot.empty()) return "empty";
  if (!reader::Base64ToBytes(slot).empty()) return "page";
  if (tree::ParseContentsList(reader::Cp1251ToUtf8(slot))) return "contents";
  return "other";
}

int Build(const fs::path& dir) {
  if (!fs::is_directory(dir)) {
    std::cerr << Quote(dir) << ": not a folder\n";
    return kFailure;
  }
  if (const std::string blocker = reader::BookSaveBlocker(dir); !blocker.empty()) {
    std::cerr << "bookpack: " << blocker << '\n';
    return kFailure;
  }
  bool problems = false;
  reader::BookReadReport loaded;
  Doing("reading the book file " + Quote(reader::BookPath(dir)));
  reader::PageStore store = reader::LoadBook(reader::BookPath(dir), &loaded);
  if (loaded.damaged) {
    std::cerr << Quote(reader::BookPath(dir)) << ": damaged (" << loaded.problem << "); the new book starts from "
              << "its first " << loaded.slotsRead << " slots, the rest start empty\n";
    problems = true;
  }

  bool outlineFound = true;
  Doing("building the contents from " + Quote(reader::OutlinePath(dir)));
  const std::string contents = reader::RunContentsBuilder(dir, store, &outlineFound);
  if (!outlineFound) {
    std::cerr << Quote(reader::OutlinePath(dir)) << ": missing; the contents list is empty\n";
    problems = true;
  }

  Doing("packing the page folder " + Quote(reader::PageFolderPath(dir)) + " into " + Quote(reader::BookPath(dir)));
  reader::PackReport report;
  try {
    report = reader::RunPageFolderPass(dir, store);
  } catch (const reader::RefusedPageFiles& refusal) {
    for (const reader::PageFailure& failure : refusal.refused) std::cerr << failure.reason << '\n';
    std::cerr << Quote(reader::BookPath(dir)) << ": not saved; put the page file itself in place of each link "
              << "above, or remove it\n";
    return kProblems;
  } catch (const reader::PageOutOfMemory& error) {
    Doing("reading the page file " + error.file);
    throw;
  }
  if (!report.keptBook.empty()) {
    std::cerr << Quote(reader::BookPath(dir)) << ": the old book did not read whole and was kept as "
              << Quote(report.keptBook) << "\n";
    problems = true;
  }
  if (!report.folderFound) {
    std::cerr << Quote(reader::PageFolderPath(dir)) << ": missing; no page was packed\n";
    problems = true;
  }
  for (const reader::PageFailure& failure : report.failed) {
    std::cerr << failure.reason << "; its slot keeps what it held\n";
    problems = true;
  }
  for (const reader::PageFailure& entry : report.leftOut) {
    std::cerr << entry.reason << '\n';
    problems = true;
  }
  for (const std::string& name : report.ignored) {
    std::cerr << Quote(reader::PageFolderPath(dir) / name) << ": ignored, the book holds only "
              << reader::kLastSlot << " pages\n";
    problems = true;
  }
  if (report.contentsReplaced) {
    std::cerr << Quote(reader::PageFolderPath(dir)) << ": the " << reader::kContentsSlot
              << "th page file replaced the contents list in slot " << reader::kContentsSlot << "\n";
    problems = true;
  }
  std::cout << Quote(reader::BookPath(dir)) << ": " << report.slotsStored << " pages, contents list of "
            << contents.size() << " bytes\n";
  return problems ? kProblems : kOk;
}

int List(const fs::path& file) {
  bool damaged = false;
  const auto store = LoadExistingBook(file, &damaged);
  if (!store) return kFailure;
  for (int i = 0; i < reader::kSlotCount; ++i) {
    const std::string& slot = store->Slot(i);
    std::printf("%3d %8zu %s\n", i, slot.size(), std::string(SlotKind(slot)).c_str());
  }
  return damaged ? kProblems : kOk;
}

std::optional<int> ParseSlotNumber(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > reader::kLastSlot) return std::nullopt;
  return value;
}

int Extract(const fs::path& file, std::string_view number) {
  const std::optional<int> slot = ParseSlotNumber(number);
  if (!slot) return Usage("page number must be 0 to 139, not '" + std::string(number) + "'");
  bool damaged = false;
  const auto store = LoadExistingBook(file, &damaged);
  if (!store) return kFailure;
  const std::string& text = store->Slot(*slot);
  if (text.empty()) {
    std::cerr << Quote(file) << ": slot " << *slot << " is empty\n";
    return kProblems;
  }
  Doing("decoding slot " + std::to_string(*slot) + " of " + Quote(file));
  const std::string bytes = reader::Base64ToBytes(text);
  if (bytes.empty()) {
    std::cerr << Quote(file) << ": slot " << *slot << " does not hold a page (not Base64)\n";
    return kProblems;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
    std::cerr << "bookpack: standard output cannot be written\n";
    return kFailure;
  }
  return damaged ? kProblems : kOk;
}

std::vector<std::string_view> SplitLines(std::string_view text);
bool IsBlank(std::string_view line);

// The tree's level rule alone: the first line at level 0 (a line's TABs are
// its level), no line more than one level below the one before it, blank
// lines at the end left out. A list that keeps it yet is refused was
// refused for its size.
bool LevelsWellFormed(std::string_view text) {
  std::vector<std::string_view> lines = SplitLines(text);
  while (!lines.empty() && IsBlank(lines.back())) lines.pop_back();
  if (lines.empty()) return false;
  std::size_t previous = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto tabs = static_cast<std::size_t>(std::count(lines[i].begin(), lines[i].end(), '\t'));
    if (tabs > (i == 0 ? 0 : previous + 1)) return false;
    previous = tabs;
  }
  return true;
}

int Contents(const fs::path& file) {
  bool damaged = false;
  const auto store = LoadExistingBook(file, &damaged);
  if (!store) return kFailure;
  const std::string& slot = store->Slot(reader::kContentsSlot);
  if (slot.empty()) {
    std::cerr << Quote(file) << ": slot 139 is empty; the book has no contents list\n";
    return kProblems;
  }
  if (!reader::Base64ToBytes(slot).empty()) {
    std::cerr << Quote(file) << ": slot 139 holds a page, not the contents list\n";
    return kProblems;
  }
  Doing("reading the contents list of " + Quote(file));
  const std::string text = reader::Cp1251ToUtf8(slot);
  const auto items = tree::ParseContentsList(text);
  if (!items) {
    if (LevelsWellFormed(text))
      std::cerr << Quote(file) << ": slot 139 holds a contents list too large to show (its table would pass "
                << (tree::kMaxContentsTableBytes >> 20) << " MiB)\n";
    else
      std::cerr << Quote(file) << ": slot 139 is not a valid contents list (it must start at level 0 "
                << "and go down one level at a time)\n";
    return kProblems;
  }
  std::string out;
  for (const tree::TreeItem& item : *items) {
    out.append(2 * static_cast<std::size_t>(item.Level), ' ');
    out += item.Texts[1];
    out += " [" + item.Texts[3] + "]";
    if (!item.Texts[2].empty()) out += " " + item.Texts[2];
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return damaged ? kProblems : kOk;
}

// --- check ---------------------------------------------------------------

struct Problems {
  int count = 0;
  void Report(const fs::path& file, std::size_t line, std::string_view message) {
    ++count;
    std::cout << Quote(file);
    if (line > 0) std::cout << ':' << line;
    std::cout << ": " << message << '\n';
  }
};

// Strict UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsUtf8WithNonAscii(std::string_view s) {
  bool nonAscii = false;
  for (std::size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    nonAscii = true;
    std::size_t extra = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if (k == 1 ? (c < low || c > high) : (c & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return nonAscii;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find("\r\n", start);
    if (at == std::string_view::npos) break;
    lines.push_back(text.substr(start, at - start));
    start = at + 2;
  }
  lines.push_back(text.substr(start));
  return lines;
}

bool IsBlank(std::string_view line) { return line.find_first_not_of(' ') == std::string_view::npos; }

struct OutlineSummary {
  bool usable = false;
  std::size_t pageEntries = 0;
  std::vector<std::string> pageTexts;  // second text of each page entry, in page order
};

OutlineSummary CheckOutline(const fs::path& file, Problems& problems) {
  OutlineSummary summary;
  bool found = true;
  std::string bytes;
  try {
    Doing("checking the outline " + Quote(file));
    bytes = reader::ReadOutline(file, &found);
  } catch (const reader::IoError& error) {
    ++problems.count;
    std::cout << error.what() << '\n';
    return summary;
  }
  if (!found) {
    problems.Report(file, 0, "missing; the contents list would be empty");
    return summary;
  }
  summary.usable = true;
  if (bytes.empty()) {
    problems.Report(file, 0, "empty; the contents list would be empty");
    return summary;
  }
  const bool utf8 = bytes.starts_with("\xEF\xBB\xBF") || IsUtf8WithNonAscii(bytes);
  if (utf8)
    problems.Report(file, 0, "saved as UTF-8; the outline must be Windows-1251, or its titles come out garbled");

  const std::vector<std::string_view> lines = SplitLines(bytes);
  // The tree drops blank lines at the end of the list, so only blank lines
  // before the last real entry become nameless entries.
  std::size_t lastReal = 0;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!IsBlank(lines[i])) lastReal = i + 1;

  int previousLevel = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::size_t number = i + 1;
    if (!utf8 && line.find('\x98') != std::string_view::npos)
      problems.Report(file, number, "byte 0x98 is not a Windows-1251 character");
    if (line.find('\n') != std::string_view::npos || line.find('\r') != std::string_view::npos)
      problems.Report(file, number, "a lone CR or LF; every line must end with CR LF");
    // The contents list separates its fields with NUL: one in the title or
    // the text moves the page number into another field, and the entry
    // opens the wrong page. Text after a second TAB is dropped, NULs too.
    if (const std::size_t tab = line.find('\t');
        line.substr(0, tab == std::string_view::npos ? tab : line.find('\t', tab + 1)).find('\0') !=
        std::string_view::npos)
      problems.Report(file, number, "a NUL byte in the title or the text; the entry's fields would shift and it "
                                    "would open the wrong page");
    const std::size_t backticks = static_cast<std::size_t>(std::count(line.begin(), line.end(), '`'));
    const std::size_t tabs = static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t'));
    if (backticks > 0) {
      ++summary.pageEntries;
      std::string second;
      if (tabs > 0) {
        const std::size_t tab = line.find('\t');
        const std::size_t end = line.find('\t', tab + 1);
        for (char c : line.substr(tab + 1, end == std::string_view::npos ? end : end - tab - 1))
          if (c != '`') second.push_back(c);
      }
      summary.pageTexts.push_back(second);
    }
    if (number > lastReal) continue;
    if (line.empty()) {
      problems.Report(file, number, "empty line; the contents would show an entry without a name");
      continue;
    }
    if (tabs == 0) {
      problems.Report(file, number, "no TAB; the line would stay as written, backticks included");
    } else if (tabs > 1) {
      problems.Report(file, number, "more than one TAB; the text after the second TAB would be lost");
    }
    // The level the tree will see: backticks become leading TABs, but a
    // line without a TAB is kept raw, with no TABs at all.
    const int level = tabs == 0 ? 0 : static_cast<int>(backticks);
    if (i == 0 && level != 0) {
      problems.Report(file, number, "the first line must be a heading (no backtick), or the tree stays empty");
    } else if (level > previousLevel + 1) {
      problems.Report(file, number, "two or more levels deeper than the line before; the tree would stay empty");
    }
    previousLevel = level;
  }
  return summary;
}

int Check(const fs::path& dir) {
  if (!fs::is_directory(dir)) {
    std::cerr << Quote(dir) << ": not a folder\n";
    return kFailure;
  }
  Problems problems;
  const OutlineSummary outline = CheckOutline(reader::OutlinePath(dir), problems);

  const fs::path pages = reader::PageFolderPath(dir);
  reader::PageFolderScan scan;
  try {
    scan = reader::ScanPageFolder(pages);
  } catch (const reader::IoError& error) {
    ++problems.count;
    std::cout << error.what() << '\n';
  }
  const bool folderFound = scan.found;
  const std::vector<std::string>& files = scan.pages;
  if (!folderFound) problems.Report(pages, 0, "missing; the book would have no pages");
  // Every entry build would not pack as it stands: refused links stop the
  // build, other entries are left out.
  for (const auto* failures : {&scan.refused, &scan.leftOut}) {
    for (const reader::PageFailure& failure : *failures) {
      ++problems.count;
      std::cout << failure.reason << '\n';
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    try {
      Doing("reading the page file " + Quote(pages / files[i]));
      (void)reader::ReadWholeFile(scan.sources[i], false);
    } catch (const reader::IoError& error) {
      ++problems.count;
      std::cout << error.what() << '\n';
    }
  }
  const auto limit = static_cast<std::size_t>(reader::kLastSlot);
  if (files.size() > limit) {
    problems.Report(pages, 0, std::to_string(files.size()) + " page files; only the first " +
                                  std::to_string(limit) + " fit in the book, the rest are ignored");
  }
  if (files.size() >= limit) {
    problems.Report(pages, 0, "the " + std::to_string(limit) + "th page file replaces the contents list in slot " +
                                  std::to_string(reader::kContentsSlot));
  }
  if (outline.usable && folderFound) {
    if (outline.pageEntries != files.size()) {
      problems.Report(pages, 0, std::to_string(files.size()) + " page files but " +
                                    std::to_string(outline.pageEntries) + " page entries in " +
                                    Quote(reader::OutlinePath(dir)));
    }
    if (outline.pageEntries > limit) {
      problems.Report(reader::OutlinePath(dir), 0,
                      std::to_string(outline.pageEntries) + " page entries; pages past " +
                          std::to_string(limit) + " cannot be shown");
    }
    // An entry whose second text names a page file must sit at that file's
    // place, or clicking it shows another page.
    for (std::size_t k = 0; k < outline.pageTexts.size(); ++k) {
      const std::string wanted = reader::Cp1251ToUtf8(outline.pageTexts[k]);
      const auto at = std::find(files.begin(), files.end(), wanted);
      if (at == files.end()) continue;
      const auto position = static_cast<std::size_t>(at - files.begin());
      if (position != k) {
        problems.Report(reader::OutlinePath(dir), 0,
                        "page entry " + std::to_string(k + 1) + " names " + wanted + ", which is page " +
                            std::to_string(position + 1) + " in the page folder");
      }
    }
  }
  if (problems.count > 0) return kProblems;
  std::cout << Quote(dir) << ": no problems found, " << files.size() << " pages\n";
  return kOk;
}

// --help and --version, answered before any command runs.
std::optional<int> AnswerOption(std::string_view option) {
  if (option == "--help" || option == "-h" || option == "help") {
    std::cout << kHelp;
    return kOk;
  }
  if (option == "--version") {
    std::cout << "bookpack " << READER_VERSION << '\n';
    return kOk;
  }
  return std::nullopt;
}

int Run(int argc, char** argv) {
  if (argc < 2) return Usage("missing command");
  const std::string_view command = argv[1];
  if (const auto answered = AnswerOption(command)) return *answered;
  const auto expect = [&](int operands) { return argc == 2 + operands; };
  if (command == "search") return bookpack::SearchCommand(argc - 1, argv + 1);
  if (command == "build" && expect(1)) return Build(argv[2]);
  if (command == "list" && expect(1)) return List(argv[2]);
  if (command == "extract" && expect(2)) return Extract(argv[2], argv[3]);
  if (command == "contents" && expect(1)) return Contents(argv[2]);
  if (command == "check" && expect(1)) return Check(argv[2]);
  if (command == "build" || command == "list" || command == "extract" || command == "contents" ||
      command == "check")
    return Usage("wrong number of arguments for '" + std::string(command) + "'");
  return Usage("unknown command '" + std::string(command) + "'");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const reader::IoError& error) {
    std::cerr << error.what() << '\n';
  } catch (const std::bad_alloc&) {
    std::cerr << "bookpack: out of memory while " << gDoing << '\n';
  } catch (const std::exception& error) {
    std::cerr << "bookpack: " << error.what() << '\n';
  }
  return kFailure;
}
