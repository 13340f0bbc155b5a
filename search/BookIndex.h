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
  bool operator==(const SnippetPart&) const = default;
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
  bool operator==(const Hit&) const = default;
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

// One term of one document as the index holds it, for telling two builds
// of an index apart.
struct StoredPosting {
  std::string term;
  unsigned doc = 0;  // the engine's number for the document
  int slot = 0;      // the page the document stands for
  unsigned wdf = 0;
  unsigned length = 0;  // the document's
  std::vector<unsigned> positions;
  bool operator==(const StoredPosting&) const = default;
};

class BookIndex;

struct BuildOptions {
  // Pages to text on two threads, then their documents made on one thread
  // while the calling one adds them to the index: the same index as the
  // one-thread build, in about two thirds of its time. Without a thread to
  // be had it is built on one.
  bool pipelined = true;
  // The build's threads, the calling one included (for good: call it on a
  // thread of its own), give way to the rest of the system.
  bool background = false;
};

// The book's index straight from its page store: BookIndex(BookPages(store, 1)).
BookIndex IndexBook(const reader::PageStore& store, const BuildOptions& options = {});

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
  // Every term with each document it is in, terms in the engine's order.
  std::vector<StoredPosting> StoredPostings() const;
  // Bytes the index takes in its folder (0 when it is kept in memory).
  std::size_t StoredBytes() const;

 private:
  friend BookIndex IndexBook(const reader::PageStore&, const BuildOptions&);
  struct Impl;
  explicit BookIndex(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace search
