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

std::vector<std::string> ListPageFolder(const fs::path& folder, bool* found) {
  std::vector<std::string> names;
  std::error_code ec;
  const bool isFolder = fs::is_directory(folder, ec);
  if (found) *found = isFolder;
  if (!isFolder) return names;
  fs::directory_iterator it(folder, ec);
  if (ec) throw IoError(folder.string() + ": cannot be listed: " + ec.message());
  for (const fs::directory_iterator end; it != end;) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    // A broken link or an entry that vanished is no page file.
    if (!name.empty() && name.front() != '.' && it->is_regular_file(typeError)) names.push_back(name);
    it.increment(ec);
    if (ec) throw IoError(folder.string() + ": cannot be listed: " + ec.message());
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& x, const std::string& y) { return PageNameLess(x, y); });
  return names;
}

PackReport PackPageFolder(const fs::path& folder, PageStore& store) {
  PackReport report;
  report.files = ListPageFolder(folder, &report.folderFound);
  for (std::size_t i = 0; i < report.files.size(); ++i) {
    const std::string& name = report.files[i];
    const auto slot = static_cast<int>(i) + 1;
    std::string bytes;
    try {
      bytes = ReadWholeFile(folder / name);
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
