#pragma once
// Full-text search over the book's pages: an index kept in memory, built
// once from the pages' visible text and the names the contents give them.
// Words are case-folded, "ё" counts as "е", Russian and English words are
// matched by their stems, every word of a query must occur, a phrase in
// double quotes must occur as written, and while the reader is still typing
// the last word also matches as the start of a longer word. Names weigh more
// than body text, so a page whose name matches comes first.
//
// An index is used by one thread at a time; it may be built on one thread
// and handed to another. It lies in a folder of its own in the user's
// private temporary folder (reader::TempFolder), removed with the index.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace reader {
class PageStore;
}

namespace search {

struct IndexedPage {
  int slot = 0;
  std::string name;  // as the contents show it (UTF-8); may be empty
  std::string text;  // visible text (UTF-8)
};

// The pages of a book: slots 1 to 138, and 139 when it holds a page rather
// than the contents list. Each is named by the first page entry of the
// contents that shows it, or else by its own title. Slots that hold neither
// a name nor any text are left out. The pages are read on up to `threads`
// threads at once (0: one per processor core).
std::vector<IndexedPage> BookPages(const reader::PageStore& store, unsigned threads = 0);

struct SnippetPart {
  std::string text;
  bool match = false;
};

struct Hit {
  int slot = 0;
  std::string name;
  // One line of the page's text around the matches; the matched words are
  // the parts marked as such. An omission is shown as "…".
  std::vector<SnippetPart> snippet;
  // The first matched text of the snippet (adjacent matched words joined as
  // they stand), for finding it in the shown page; empty when the snippet
  // holds no match (a match in the name only).
  std::string firstMatch;
};

struct SearchOptions {
  bool typing = false;        // the last word is matched as a prefix too (one letter is not enough)
  std::size_t limit = 10;     // hits at most, best first
  std::size_t snippetBytes = 180;
};

// The terms a page is indexed under, in order, each with its weight in the
// page (wdf) and its positions. `asTheEngineDoes` has the engine's term
// generator make every term itself, the plain way the index's quicker one
// must match.
struct PageTerm {
  std::string term;
  unsigned wdf = 0;
  std::vector<unsigned> positions;
  bool operator==(const PageTerm&) const = default;
};
std::vector<PageTerm> TermsOfPage(const IndexedPage& page, bool asTheEngineDoes = false);

class BookIndex {
 public:
  explicit BookIndex(std::vector<IndexedPage> pages);
  ~BookIndex();
  BookIndex(BookIndex&&) noexcept;
  BookIndex& operator=(BookIndex&&) noexcept;

  // Best first. An empty query, one with no word in it, or one the engine
  // cannot read gives no hits; it never throws.
  std::vector<Hit> Search(std::string_view query, const SearchOptions& options = {}) const;

  // The matching pages' slots, best first, without snippets.
  std::vector<int> Match(std::string_view query, const SearchOptions& options = {}) const;

  std::size_t PageCount() const;
  // Bytes the index takes in its folder (0 when it is kept in memory).
  std::size_t StoredBytes() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace search
