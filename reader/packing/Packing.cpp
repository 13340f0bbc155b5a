#include "reader/packing/Packing.h"

#include <algorithm>
#include <cstdint>
#include <system_error>

#include "reader/core/Base64.h"

namespace reader {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLineBreak = "\r\n";

std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    if (at == std::string_view::npos) break;
    pieces.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::string BuildLine(std::string_view line, int& pageNumber) {
  // An empty line splits into no pieces at all and has nothing to number:
  // it stays empty, so the outline's blank lines keep their place.
  if (line.empty()) return {};
  const auto backticks = static_cast<std::size_t>(std::count(line.begin(), line.end(), '`'));
  std::string bare;
  bare.reserve(line.size());
  for (char c : line)
    if (c != '`') bare.push_back(c);
  const std::vector<std::string_view> pieces = SplitAt(bare, "\t");
  // The number is taken before the line is rebuilt, so a page line that
  // cannot be rebuilt still uses one up.
  if (backticks >= 1) ++pageNumber;
  if (pieces.size() < 2) return std::string(line);
  std::string out(backticks, '\t');
  if (backticks >= 1) out += std::to_string(pageNumber) + "-bet ";
  out += pieces[0];
  out.push_back('\0');
  out += pieces[1];
  out.push_back('\0');
  out += std::to_string(pageNumber);
  return out;
}

// Next code point of a UTF-8 name, with ASCII and Cyrillic capitals folded
// to small letters. A byte that does not start a well-formed sequence stands
// for itself, above every real code point, so malformed names still order.
std::uint32_t NextFolded(std::string_view s, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  std::uint32_t cp = 0;
  std::size_t extra = 0;
  if (lead < 0x80) {
    cp = lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    cp = lead & 0x1F;
    extra = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    cp = lead & 0x0F;
    extra = 2;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    cp = lead & 0x07;
    extra = 3;
  } else {
    ++i;
    return 0x110000u + lead;
  }
  if (i + extra >= s.size()) {
    ++i;
    return 0x110000u + lead;
  }
  for (std::size_t k = 1; k <= extra; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return 0x110000u + lead;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  i += extra + 1;
  if (cp >= 'A' && cp <= 'Z') return cp + 0x20;
  if (cp >= 0x0410 && cp <= 0x042F) return cp + 0x20;  // А..Я -> а..я
  if (cp >= 0x0400 && cp <= 0x040F) return cp + 0x50;  // Ѐ..Џ (Ё among them) -> ѐ..џ
  return cp;
}

// True when the path lies inside the folder; both are canonical.
bool Inside(const fs::path& path, const fs::path& folder) {
  auto part = path.begin();
  for (const fs::path& step : folder) {
    if (step.empty()) continue;  // a trailing separator
    if (part == path.end() || *part != step) return false;
    ++part;
  }
  return part != path.end();
}

// What stands at a name, for a message: "is a folder", "is a device", ...
std::string KindOf(const fs::file_status& status) {
  switch (status.type()) {
    case fs::file_type::directory: return "is a folder";
    case fs::file_type::fifo: return "is a named pipe (FIFO)";
    case fs::file_type::block:
    case fs::file_type::character: return "is a device";
    case fs::file_type::socket: return "is a socket";
    case fs::file_type::not_found: return "does not exist";
    default: return "is a special file";
  }
}

}  // namespace

fs::path OutlinePath(const fs::path& appFolder) { return appFolder / "Data" / "names.txt"; }
fs::path PageFolderPath(const fs::path& appFolder) { return appFolder / "Lor2"; }
fs::path BookPath(const fs::path& appFolder) { return appFolder / "Data.dat"; }

std::string BuildContents(std::string_view namesBytes) {
  // An empty file has no lines at all, not one empty line.
  if (namesBytes.empty()) return {};
  int pageNumber = 0;
  std::string out;
  out.reserve(namesBytes.size() + namesBytes.size() / 4);
  bool first = true;
  for (std::string_view line : SplitAt(namesBytes, kLineBreak)) {
    if (!first) out += kLineBreak;
    first = false;
    out += BuildLine(line, pageNumber);
  }
  return out;
}

std::string ReadOutline(const fs::path& namesFile, bool* found) {
  std::error_code ec;
  const bool exists = fs::exists(namesFile, ec);
  if (found) *found = exists;
  if (!exists && !ec) return {};
  return ReadWholeFile(namesFile);
}

bool PageNameLess(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const std::uint32_t ca = NextFolded(a, i);
    const std::uint32_t cb = NextFolded(b, j);
    if (ca != cb) return ca < cb;
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();
  return a < b;
}

PageFolderScan ScanPageFolder(const fs::path& folder) {
  PageFolderScan scan;
  std::error_code ec;
  scan.found = fs::is_directory(folder, ec);
  if (!scan.found) return scan;
  fs::path absolute = fs::absolute(folder, ec).lexically_normal();
  if (!absolute.has_filename()) absolute = absolute.parent_path();
  const fs::path bookFolder = fs::canonical(absolute.parent_path(), ec);
  if (ec) throw IoError(absolute.parent_path().string() + ": cannot be examined: " + ec.message());

  struct Page {
    std::string name;
    fs::path source;
  };
  std::vector<Page> pages;
  std::vector<PageFailure> refused;
  std::vector<PageFailure> leftOut;
  fs::directory_iterator it(folder, ec);
  if (ec) throw IoError(folder.string() + ": cannot be listed: " + ec.message());
  for (const fs::directory_iterator end; it != end;) {
    const std::string name = it->path().filename().string();
    const fs::path entry = folder / name;
    std::error_code entryError;
    const fs::file_status own = it->symlink_status(entryError);
    // Hidden names are no page files, nor is an entry that vanished.
    const bool skipped = name.empty() || name.front() == '.' || entryError;
    if (skipped) {
      // Nothing to pack or to report.
    } else if (fs::is_symlink(own)) {
      // Packing follows no link out of the book: a page folder unpacked
      // from someone else's archive could point at any file of the author's.
      std::string link = entry.string() + ": a symbolic link to " + fs::read_symlink(entry, entryError).string();
      const fs::path real = fs::canonical(entry, entryError);
      if (entryError) {
        refused.push_back({name, link + ", which does not exist; it was not packed"});
      } else {
        if (real != fs::read_symlink(entry, entryError)) link += " (" + real.string() + ")";
        const fs::file_status target = fs::status(real, entryError);
        if (!fs::is_regular_file(target))
          refused.push_back({name, link + ", which " + KindOf(target) + ", not a regular file; it was not packed"});
        else if (!Inside(real, bookFolder))
          refused.push_back({name, link + ", outside the book's folder " + bookFolder.string() + "; it was not packed"});
        else
          pages.push_back({name, real});
      }
    } else if (fs::is_regular_file(own)) {
      const fs::path real = fs::canonical(entry, entryError);
      if (entryError) {
        // Vanished since it was listed.
      } else if (!Inside(real, bookFolder)) {
        // The page folder itself leads out of the book.
        refused.push_back({name, entry.string() + ": lies in " + real.parent_path().string() +
                                     ", outside the book's folder " + bookFolder.string() + "; it was not packed"});
      } else {
        pages.push_back({name, entry});
      }
    } else {
      leftOut.push_back({name, entry.string() + ": " + KindOf(own) + ", not a regular file; it is no page and was left out"});
    }
    it.increment(ec);
    if (ec) throw IoError(folder.string() + ": cannot be listed: " + ec.message());
  }
  std::sort(pages.begin(), pages.end(), [](const Page& x, const Page& y) { return PageNameLess(x.name, y.name); });
  const auto byName = [](const PageFailure& x, const PageFailure& y) { return PageNameLess(x.file, y.file); };
  std::sort(refused.begin(), refused.end(), byName);
  std::sort(leftOut.begin(), leftOut.end(), byName);
  for (Page& page : pages) {
    scan.pages.push_back(std::move(page.name));
    scan.sources.push_back(std::move(page.source));
  }
  scan.refused = std::move(refused);
  scan.leftOut = std::move(leftOut);
  return scan;
}

std::vector<std::string> ListPageFolder(const fs::path& folder, bool* found) {
  PageFolderScan scan = ScanPageFolder(folder);
  if (found) *found = scan.found;
  return std::move(scan.pages);
}

namespace {

std::string RefusalText(const std::vector<PageFailure>& refused) {
  std::string text =
      "the page folder holds files that may not be packed (put the page file itself in place of each link, or "
      "remove it):";
  for (const PageFailure& failure : refused) text += "\n" + failure.reason;
  return text;
}

}  // namespace

RefusedPageFiles::RefusedPageFiles(std::vector<PageFailure> refusedFiles)
    : IoError(RefusalText(refusedFiles)), refused(std::move(refusedFiles)) {}

PackReport PackPageFolder(const fs::path& folder, PageStore& store) {
  PackReport report;
  PageFolderScan scan = ScanPageFolder(folder);
  report.folderFound = scan.found;
  report.leftOut = std::move(scan.leftOut);
  if (!scan.refused.empty()) throw RefusedPageFiles(std::move(scan.refused));
  report.files = scan.pages;
  for (std::size_t i = 0; i < report.files.size(); ++i) {
    const std::string& name = report.files[i];
    const auto slot = static_cast<int>(i) + 1;
    try {
      std::string bytes;
      try {
        // Not followed: the scan resolved every link it accepted, and a
        // link put in a page's place since then is refused.
        bytes = ReadWholeFile(scan.sources[i], false);
      } catch (const IoError& error) {
        report.failed.push_back({name, error.what()});
        if (slot > kLastSlot) report.ignored.push_back(name);
        continue;
      }
      if (slot > kLastSlot) {
        report.ignored.push_back(name);
        continue;
      }
      store.SetSlot(slot, BytesToBase64(bytes));
    } catch (const std::bad_alloc&) {
      throw PageOutOfMemory((folder / name).string());
    }
    ++report.slotsStored;
    if (slot == kContentsSlot) report.contentsReplaced = true;
  }
  return report;
}

std::string RunContentsBuilder(const fs::path& appFolder, PageStore& store, bool* outlineFound) {
  std::string contents = BuildContents(ReadOutline(OutlinePath(appFolder), outlineFound));
  store.SetSlot(kContentsSlot, contents);
  return contents;
}

PackReport RunPageFolderPass(const fs::path& appFolder, PageStore& store) {
  PackReport report = PackPageFolder(PageFolderPath(appFolder), store);
  SaveBook(BookPath(appFolder), store, &report.keptBook);
  return report;
}

}  // namespace reader
