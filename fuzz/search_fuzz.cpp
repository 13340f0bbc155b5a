// Any byte string is a possible page (it comes from the book data file) and
// a possible query (the reader types it). The input up to its first NUL is
// a page whose visible text is extracted; the rest is a query run against a
// small index, complete and while typing. Neither may crash or hang, the
// text holds no control character but line breaks, the quick reading of a
// page gives the plain reading's text, and every hit belongs to the index
// and carries a snippet.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "search/BookIndex.h"
#include "search/PageText.h"

namespace {

const search::BookIndex& Index() {
  static const search::BookIndex index({
      {1, "1-bet Глиняные таблички", "Глиняные таблички Месопотамии хранят клинопись. \"Кавычки\" & <угол>."},
      {2, "2-bet Reading", "Readers read reading books; ёж и еж."},
      {3, "", ""},
  });
  return index;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string_view page = input.substr(0, nul);
  const search::PageText text = search::ExtractPage(page);
  for (const std::string* part : {&text.title, &text.body})
    for (char c : *part)
      if (static_cast<unsigned char>(c) < 0x20 && c != '\n') std::abort();
  // The quick reading, where it vouches for itself, reads as the plain one
  // does: on the page as decoded, and on its bytes taken as UTF-8.
  const std::string decoded = search::DecodePage(page);
  for (const std::string_view html : {std::string_view(decoded), page}) {
    if (const auto quick = search::VisibleTextQuick(html)) {
      const search::PageText plain = search::VisibleTextPlain(html);
      if (quick->title != plain.title || quick->body != plain.body) std::abort();
    }
  }
  if (nul == std::string_view::npos) return 0;
  const std::string_view query = input.substr(nul + 1);
  for (bool typing : {false, true}) {
    for (const search::Hit& hit : Index().Search(query, {.typing = typing})) {
      if (hit.slot < 1 || hit.slot > 3 || hit.snippet.empty()) std::abort();
    }
  }
  return 0;
}
