#include "reader/tools/SearchCommand.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "reader/core/PageStore.h"
#include "search/BookIndex.h"

namespace bookpack {
namespace {

constexpr int kHits = 0;
constexpr int kNone = 1;
constexpr int kFailure = 2;
constexpr std::size_t kDefaultLimit = 20;
constexpr std::size_t kMaxLimit = 1000;

int Usage(std::string_view message) {
  std::cerr << "bookpack: " << message << "\nTry 'bookpack --help'.\n";
  return kFailure;
}

}  // namespace

int SearchCommand(int argc, char** argv) {
  std::size_t limit = kDefaultLimit;
  std::string file;
  std::string query;
  bool operandsOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!operandsOnly && arg == "--") {
      operandsOnly = true;
    } else if (!operandsOnly && (arg == "--limit" || arg.starts_with("--limit="))) {
      std::string_view value;
      if (arg == "--limit") {
        if (i + 1 >= argc) return Usage("--limit needs a number");
        value = argv[++i];
      } else {
        value = arg.substr(8);
      }
      std::size_t n = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
      if (error != std::errc() || end != value.data() + value.size() || n == 0 || n > kMaxLimit)
        return Usage("--limit must be a number from 1 to " + std::to_string(kMaxLimit) + ", not '" +
                     std::string(value) + "'");
      limit = n;
    } else if (file.empty()) {
      file = arg;
    } else {
      if (!query.empty()) query += ' ';
      query += arg;
    }
  }
  if (file.empty()) return Usage("search needs a book file and a query");
  if (query.find_first_not_of(" \t") == std::string::npos) return Usage("search needs a query");

  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    std::cerr << file << ": no such file\n";
    return kFailure;
  }
  reader::BookReadReport report;
  const reader::PageStore store = reader::LoadBook(file, &report);
  if (report.damaged)
    std::cerr << file << ": damaged (" << report.problem << "); only the first " << report.slotsRead
              << " slots were searched\n";
  const search::BookIndex index(search::BookPages(store));
  search::SearchOptions options;
  options.limit = limit;
  const std::vector<search::Hit> hits = index.Search(query, options);
  if (hits.empty()) {
    std::cerr << "nothing found\n";
    return kNone;
  }
  std::string out;
  for (const search::Hit& hit : hits) {
    out += std::to_string(hit.slot) + '\t' + hit.name + '\t';
    for (const search::SnippetPart& part : hit.snippet) out += part.match ? '*' + part.text + '*' : part.text;
    out += '\n';
  }
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::cerr << "bookpack: standard output cannot be written\n";
    return kFailure;
  }
  return kHits;
}

}  // namespace bookpack
