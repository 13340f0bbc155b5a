#include "search/BookIndex.h"

// Documents are moved, never copied, from the thread that makes them to
// the one that adds them: a copy would share their unlocked reference count.
#define XAPIAN_MOVE_SEMANTICS
#include <xapian.h>

#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "controls/tree/ContentsList.h"
#include "drawing/Arithmetic.h"
#include "reader/core/Base64.h"
#include "reader/core/Cp1251.h"
#include "reader/core/PageStore.h"
#include "reader/core/PageTheme.h"
#include "reader/core/TempFolder.h"
#include "search/PageText.h"
#include "search/Pipeline.h"

namespace search {
namespace {

// A name's words count this many times over, so that with the engine's
// saturating term weight a page whose name matches outranks one whose
// long text merely mentions the words.
constexpr Xapian::termcount kNameWeight = 6;
// Positions skipped between the name and the text: a phrase never runs
// from the end of one into the start of the other.
constexpr Xapian::termcount kFieldGap = 100;

// Snippet markers: control characters never survive text extraction, so
// they cannot occur in the text itself.
constexpr char kMatchStart[] = "\x01";
constexpr char kMatchEnd[] = "\x02";
constexpr char kOmitted[] = "\xE2\x80\xA6";  // …

// Russian words through the Russian stemmer, all others through the English
// one; "ё" is folded first so that both spellings share a stem. Words reach
// it already lower-cased.
class BilingualStem : public Xapian::StemImplementation {
 public:
  std::string operator()(const std::string& word) override { return Remembered(word); }

  // A book repeats its words: each is stemmed once and remembered, which
  // takes nearly half off building the index. The index is built on one
  // thread and then searched on another, never on both at once, so the
  // memory needs no lock. The stem stays valid until the next call.
  const std::string& Remembered(const std::string& word) {
    if (const auto known = stems_.find(word); known != stems_.end()) return known->second;
    if (stems_.size() >= kMostRemembered) stems_.clear();
    return stems_.emplace(word, Stem(word)).first->second;
  }
  std::string get_description() const override { return "Russian and English"; }

 private:
  // Enough for every distinct word of a large book, a few MiB at most.
  static constexpr std::size_t kMostRemembered = 200000;

  std::string Stem(const std::string& word) {
    std::string folded = word;
    FoldYo(folded);
    const bool cyrillic = std::any_of(folded.begin(), folded.end(), [](char c) {
      const auto b = static_cast<unsigned char>(c);
      return b == 0xD0 || b == 0xD1;
    });
    return cyrillic ? russian_(folded) : english_(folded);
  }

  std::unordered_map<std::string, std::string> stems_;
  Xapian::Stem russian_{"russian"};
  Xapian::Stem english_{"english"};
};

// Bytes that are not UTF-8 (a query typed in another code page, a cut-off
// character) would be read as Latin-1 letters and make a word no page has;
// they stand apart from the words instead.
std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2
                                   : lead >= 0xF0 && lead <= 0xF4 ? 3 : 4;
    bool valid = extra < 4 && i + extra < text.size() + (extra == 0 ? 1 : 0);
    for (std::size_t k = 1; valid && k <= extra; ++k) valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (valid && extra == 2) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      valid = !(lead == 0xE0 && second < 0xA0) && !(lead == 0xED && second > 0x9F);
    } else if (valid && extra == 3) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      valid = !(lead == 0xF0 && second < 0x90) && !(lead == 0xF4 && second > 0x8F);
    }
    if (!valid) {
      out.push_back(' ');
      ++i;
      continue;
    }
    out.append(text.substr(i, extra + 1));
    i += extra + 1;
  }
  return out;
}

std::string Folded(std::string_view text) {
  std::string out = Xapian::Unicode::tolower(ValidUtf8(text));
  FoldYo(out);
  return out;
}

// "7-bet Name", as the contents builder writes a page entry's name, without
// the number and "-bet ", which every name has and no reader searches for.
std::string_view NameWords(std::string_view name) {
  std::size_t i = 0;
  while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
  if (i > 0 && name.substr(i).starts_with("-bet ")) return name.substr(i + 5);
  return name;
}

std::string Unescape(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}, {"&apos;", '\''}};
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == '&') {
      for (const auto& [entity, c] : kEntities) {
        if (text.substr(i).starts_with(entity)) {
          out.push_back(c);
          i += entity.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out.push_back(text[i++]);
  }
  return out;
}

std::vector<SnippetPart> ParseSnippet(std::string_view marked) {
  std::vector<SnippetPart> parts;
  bool match = false;
  std::size_t start = 0;
  auto flush = [&](std::size_t end) {
    if (end > start) parts.push_back({Unescape(marked.substr(start, end - start)), match});
  };
  for (std::size_t i = 0; i < marked.size(); ++i) {
    if (marked[i] == kMatchStart[0] || marked[i] == kMatchEnd[0]) {
      flush(i);
      match = marked[i] == kMatchStart[0];
      start = i + 1;
    }
  }
  flush(marked.size());
  return parts;
}

std::string FirstMatch(const std::vector<SnippetPart>& parts) {
  std::string found;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!parts[i].match) continue;
    found = parts[i].text;
    // Words of a phrase come marked one by one with blanks between them.
    while (i + 2 < parts.size() && !parts[i + 1].match && parts[i + 2].match &&
           parts[i + 1].text.find_first_not_of(' ') == std::string::npos) {
      found += parts[i + 1].text + parts[i + 2].text;
      i += 2;
    }
    break;
  }
  return found;
}

void RemoveFolder(std::filesystem::path& folder) {
  if (folder.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  folder.clear();
}

// While typing, a last word of one letter is left out: it narrows nothing
// yet, and as a prefix it would stand for hundreds of words (the costliest
// query there is) only to be replaced at the next key.
void DropLoneLastLetter(std::string& text) {
  std::size_t end = text.size();
  std::size_t start = end;
  while (start > 0 && text[start - 1] != ' ' && text[start - 1] != '"') --start;
  std::size_t letters = 0;
  for (std::size_t i = start; i < end; ++i) letters += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
  if (letters == 1) text.erase(start);
}

// Ten steps of niceness rather than SCHED_IDLE: an idle-class thread may
// wait as long as anything else wants both cores (a compile, the web
// engine laying out a page), and a query typed meanwhile would go on
// showing that the book is being indexed. At nice 10 the scheduler gives
// the build about a tenth of a contended core (weight 110 against 1024),
// so the window's and the web engine's threads keep theirs and the build
// still ends within a second or so; on an idle machine it runs at full
// speed. Linux keeps niceness per thread, and this thread's id names this
// thread alone. Failing is harmless: the build runs as it would anyway.
void LowerThisThreadsPriority() {
  constexpr int kBackgroundNice = 10;
  const auto self = static_cast<id_t>(::gettid());
  errno = 0;
  const int now = ::getpriority(PRIO_PROCESS, self);
  if (errno == 0) ::setpriority(PRIO_PROCESS, self, std::min(now + kBackgroundNice, 19));
}

// Turning a page's HTML into text is half of what building the index costs,
// and pages are independent of each other: the slots are shared out among
// the processor's cores. Each slot's text lands in its own place, so the
// result is the same as reading them one after another.
std::vector<PageText> ExtractSlots(const reader::PageStore& store, int last, unsigned threads, bool background) {
  std::vector<PageText> texts(static_cast<std::size_t>(last) + 1);
  std::atomic<int> next{1};
  std::exception_ptr failure;
  std::mutex failureLock;
  auto work = [&] {
    try {
      for (int slot = next++; slot <= last; slot = next++)
        texts[static_cast<std::size_t>(slot)] = ExtractPage(reader::Base64ToBytes(store.Slot(slot)));
    } catch (...) {
      const std::lock_guard<std::mutex> hold(failureLock);
      if (!failure) failure = std::current_exception();
      next = last + 1;
    }
  };
  constexpr unsigned kMostWorkers = 4;
  const unsigned workers = std::clamp(threads != 0 ? threads : std::thread::hardware_concurrency(), 1u, kMostWorkers);
  {
    std::vector<std::jthread> helpers;
    try {
      for (unsigned i = 1; i < workers; ++i)
        helpers.emplace_back([&] {
          if (background) LowerThisThreadsPriority();
          work();
        });
    } catch (const std::system_error&) {
      // No thread to be had: the ones started, and this one, do it all.
    }
    work();
  }
  if (failure) std::rethrow_exception(failure);
  return texts;
}

std::vector<IndexedPage> ReadPages(const reader::PageStore& store, unsigned threads, bool background) {
  std::vector<std::string> names(reader::kSlotCount);
  const std::string& contentsSlot = store.Slot(reader::kContentsSlot);
  const bool lastIsPage = !reader::Base64ToBytes(contentsSlot).empty();
  if (!lastIsPage && !contentsSlot.empty()) {
    if (const auto items = tree::ParseContentsList(reader::Cp1251ToUtf8(contentsSlot))) {
      for (const tree::TreeItem& item : *items) {
        if (item.HasChildren) continue;
        // The page number as the window reads it when the entry is chosen.
        int slot = -1;
        try {
          slot = drawing::RoundHalfEven(reader::LeadingNumber(item.Texts[3]));
        } catch (const std::exception&) {
        }
        if (slot >= 1 && slot <= reader::kLastSlot && names[slot].empty()) names[slot] = item.Texts[1];
      }
    }
  }
  const int last = lastIsPage ? reader::kLastSlot : reader::kLastSlot - 1;
  std::vector<PageText> texts = ExtractSlots(store, last, threads, background);
  std::vector<IndexedPage> pages;
  for (int slot = 1; slot <= last; ++slot) {
    PageText& text = texts[static_cast<std::size_t>(slot)];
    std::string name = names[slot].empty() ? std::move(text.title) : std::move(names[slot]);
    if (name.empty() && text.body.empty()) continue;
    pages.push_back({slot, std::move(name), std::move(text.body)});
  }
  return pages;
}

}  // namespace

std::vector<IndexedPage> BookPages(const reader::PageStore& store, unsigned threads) {
  return ReadPages(store, threads, false);
}

// The engine's in-memory store keeps a word's positions in a way that costs
// the square of its occurrences in one page: a 5 MB page took minutes. Its
// disk format is linear, so the index lies in a folder of its own inside the
// user's private temporary folder, removed with the index; only when there
// is no such folder does it fall back to memory.
Xapian::WritableDatabase OpenStore(std::filesystem::path& folder) {
  try {
    std::string pattern = (reader::TempFolder() / "search-index.XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      folder = pattern;
      // Nothing is worth syncing to disk: the index dies with the process.
      return Xapian::WritableDatabase(pattern, Xapian::DB_CREATE_OR_OVERWRITE | Xapian::DB_BACKEND_GLASS |
                                                   Xapian::DB_NO_SYNC | Xapian::DB_NO_TERMLIST);
    }
  } catch (const reader::IoError&) {
  } catch (const Xapian::Error&) {
    RemoveFolder(folder);
  }
  return Xapian::WritableDatabase(std::string(), Xapian::DB_BACKEND_INMEMORY);
}

namespace {

// The engine's "stem some" strategy gives every word of a page its own term,
// with positions, and also its stem marked with "Z", without positions, at
// each occurrence: the second look-up per word costs nearly as much as the
// first. The quick way has the term generator make the words' terms only,
// then adds each distinct word's stem once with the weight of all its
// occurrences: the same terms with the same weights (the test proves it on
// the sample books), for a fraction of the look-ups.
class PageIndexer {
 public:
  explicit PageIndexer(bool asTheEngineDoes = false) : plain_(asTheEngineDoes) {
    generator_.set_stemmer(stem_);
    generator_.set_stemming_strategy(plain_ ? Xapian::TermGenerator::STEM_SOME : Xapian::TermGenerator::STEM_NONE);
  }

  const Xapian::Stem& Stem() const { return stem_; }

  Xapian::Document Index(const IndexedPage& page) {
    Xapian::Document doc;
    generator_.set_document(doc);
    std::string name(NameWords(page.name));
    FoldYo(name);
    generator_.index_text(name, kNameWeight);
    generator_.increase_termpos(kFieldGap);
    std::string body = page.text;
    FoldYo(body);
    generator_.index_text(body);
    if (!plain_) AddStems(doc);
    // The generator holds on to the document, and a document's parts are
    // counted without a lock: it lets go here, before the document may be
    // handed to another thread.
    generator_.set_document(Xapian::Document());
    return doc;
  }

 private:
  // As the engine decides: a word is stemmed when it starts with a letter.
  static bool StartsWithLetter(const std::string& word) {
    constexpr unsigned kLetters =
        (1u << Xapian::Unicode::LOWERCASE_LETTER) | (1u << Xapian::Unicode::TITLECASE_LETTER) |
        (1u << Xapian::Unicode::MODIFIER_LETTER) | (1u << Xapian::Unicode::OTHER_LETTER);
    return ((kLetters >> Xapian::Unicode::get_category(*Xapian::Utf8Iterator(word))) & 1u) != 0;
  }

  void AddStems(Xapian::Document& doc) {
    // Gathered first: the document's terms must not change while they are
    // being read.
    stemTerms_.clear();
    for (auto term = doc.termlist_begin(); term != doc.termlist_end(); ++term) {
      const std::string word = *term;
      if (!StartsWithLetter(word)) continue;
      const std::string& stem = stems_->Remembered(word);
      if (stem.empty()) continue;
      std::string& stemTerm = stemTerms_.emplace_back("Z", term.get_wdf()).first;
      stemTerm += stem;
    }
    for (const auto& [stemTerm, wdf] : stemTerms_) doc.add_term(stemTerm, wdf);
  }

  bool plain_;
  BilingualStem* stems_ = new BilingualStem;  // owned by stem_
  Xapian::Stem stem_{stems_};
  Xapian::TermGenerator generator_;
  std::vector<std::pair<std::string, Xapian::termcount>> stemTerms_;
};

}  // namespace

struct BookIndex::Impl {
  std::vector<IndexedPage> pages;
  std::filesystem::path folder;
  Xapian::WritableDatabase db = OpenStore(folder);
  PageIndexer indexer;
  const Xapian::Stem& stem = indexer.Stem();
  Xapian::QueryParser parser;

  // Adds the page's document as the index's next one; Ready once all are in.
  void Add(IndexedPage&& page, const Xapian::Document& doc);
  void Ready();

  ~Impl() {
    try {
      db.close();
    } catch (const Xapian::Error&) {
    }
    RemoveFolder(folder);
  }

  std::optional<Xapian::MSet> Run(std::string_view query, const SearchOptions& options) {
    std::string text = Folded(query);
    if (options.typing) DropLoneLastLetter(text);
    Xapian::Query parsed;
    unsigned flags = Xapian::QueryParser::FLAG_PHRASE;
    if (options.typing) flags |= Xapian::QueryParser::FLAG_PARTIAL;
    try {
      parsed = parser.parse_query(text, flags);
    } catch (const Xapian::QueryParserError&) {
      // What the parser cannot read as written it can read as plain words.
      try {
        parsed = parser.parse_query(text, 0);
      } catch (const Xapian::QueryParserError&) {
        return std::nullopt;
      }
    }
    if (parsed.empty()) return std::nullopt;
    Xapian::Enquire enquire(db);
    enquire.set_query(parsed);
    return enquire.get_mset(0, static_cast<Xapian::doccount>(std::min<std::size_t>(options.limit, pages.size())));
  }
};

namespace {

// A page's document: its terms, and its place in the index's list of pages
// as its data.
Xapian::Document DocumentOf(PageIndexer& indexer, IndexedPage& page, std::size_t place) {
  Xapian::Document doc = indexer.Index(page);
  doc.set_data(std::to_string(place));
  // Snippets are one line.
  std::replace(page.text.begin(), page.text.end(), '\n', ' ');
  return doc;
}

}  // namespace

void BookIndex::Impl::Add(IndexedPage&& page, const Xapian::Document& doc) {
  db.add_document(doc);
  pages.push_back(std::move(page));
}

void BookIndex::Impl::Ready() {
  db.commit();
  parser.set_stemmer(stem);
  parser.set_stemming_strategy(Xapian::QueryParser::STEM_SOME);
  parser.set_default_op(Xapian::Query::OP_AND);
  parser.set_database(db);
  // The word being typed stands for the most frequent words it starts.
  parser.set_max_expansion(40, Xapian::Query::WILDCARD_LIMIT_MOST_FREQUENT, Xapian::QueryParser::FLAG_PARTIAL);
}

BookIndex::BookIndex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

BookIndex::BookIndex(std::vector<IndexedPage> pages) : impl_(std::make_unique<Impl>()) {
  impl_->pages.reserve(pages.size());
  for (IndexedPage& page : pages) {
    const Xapian::Document doc = DocumentOf(impl_->indexer, page, impl_->pages.size());
    impl_->Add(std::move(page), doc);
  }
  impl_->Ready();
}

namespace {

// A page on its way from the thread that reads it to the one that adds it.
struct PreparedPage {
  IndexedPage page;
  Xapian::Document doc;
};

}  // namespace

BookIndex IndexBook(const reader::PageStore& store, const BuildOptions& options) {
  if (options.background) LowerThisThreadsPriority();
  if (!options.pipelined) return BookIndex(BookPages(store, 1));
  // Pages to text first, on both cores: each page on its own, so this
  // part shares out evenly, where the two stages after it do not (adding
  // and committing takes longer than making the documents).
  std::vector<IndexedPage> pages = ReadPages(store, 2, options.background);
  auto impl = std::make_unique<BookIndex::Impl>();
  // The engine writes what it has gathered at each commit: a third of the
  // whole build when done once, after the last page, with the other thread
  // idle. Done every few dozen pages it costs about the same in all, but
  // most of it falls while the other thread is still making documents, and
  // the last commit is short. A commit of that many pages takes about as
  // long as making half as many documents, so the queue holds that many to
  // keep that thread going meanwhile; more would only hold more documents
  // in memory at once.
  constexpr std::size_t kPagesPerCommit = 32;
  constexpr std::size_t kPagesAhead = 16;
  const bool pipelined = RunPipelined<PreparedPage>(
      kPagesAhead,
      [&](Handoff<PreparedPage>& handoff) {
        if (options.background) LowerThisThreadsPriority();
        // The engine's objects are not shared between threads: this thread
        // has a term generator and stemmer of its own.
        PageIndexer indexer;
        for (std::size_t place = 0; place < pages.size(); ++place) {
          Xapian::Document doc = DocumentOf(indexer, pages[place], place);
          if (!handoff.Push({std::move(pages[place]), std::move(doc)})) return;
        }
      },
      [&](PreparedPage&& prepared) {
        impl->Add(std::move(prepared.page), prepared.doc);
        if (impl->pages.size() % kPagesPerCommit == 0) impl->db.commit();
      });
  if (!pipelined) return BookIndex(std::move(pages));
  impl->Ready();
  return BookIndex(std::move(impl));
}

std::vector<PageTerm> TermsOfPage(const IndexedPage& page, bool asTheEngineDoes) {
  PageIndexer indexer(asTheEngineDoes);
  const Xapian::Document doc = indexer.Index(page);
  std::vector<PageTerm> terms;
  for (auto term = doc.termlist_begin(); term != doc.termlist_end(); ++term) {
    PageTerm& t = terms.emplace_back();
    t.term = *term;
    t.wdf = term.get_wdf();
    for (auto pos = term.positionlist_begin(); pos != term.positionlist_end(); ++pos) t.positions.push_back(*pos);
  }
  return terms;
}

BookIndex::~BookIndex() = default;
BookIndex::BookIndex(BookIndex&&) noexcept = default;
BookIndex& BookIndex::operator=(BookIndex&&) noexcept = default;

std::size_t BookIndex::PageCount() const { return impl_->pages.size(); }

std::vector<StoredPosting> BookIndex::StoredPostings() const {
  const Xapian::Database& db = impl_->db;
  std::vector<int> slotOf(db.get_lastdocid() + 1);
  for (Xapian::docid doc = 1; doc <= db.get_lastdocid(); ++doc)
    slotOf[doc] = impl_->pages[std::stoul(db.get_document(doc).get_data())].slot;
  std::vector<StoredPosting> postings;
  for (auto term = db.allterms_begin(); term != db.allterms_end(); ++term) {
    for (auto post = db.postlist_begin(*term); post != db.postlist_end(*term); ++post) {
      StoredPosting& p = postings.emplace_back();
      p.term = *term;
      p.doc = *post;
      p.slot = slotOf[*post];
      p.wdf = post.get_wdf();
      p.length = post.get_doclength();
      for (auto pos = post.positionlist_begin(); pos != post.positionlist_end(); ++pos) p.positions.push_back(*pos);
    }
  }
  return postings;
}

std::size_t BookIndex::StoredBytes() const {
  std::size_t bytes = 0;
  std::error_code ec;
  if (impl_->folder.empty()) return 0;
  for (const auto& entry : std::filesystem::directory_iterator(impl_->folder, ec))
    if (entry.is_regular_file(ec)) bytes += static_cast<std::size_t>(entry.file_size(ec));
  return bytes;
}

std::vector<int> BookIndex::Match(std::string_view query, const SearchOptions& options) const {
  std::vector<int> slots;
  try {
    const auto mset = impl_->Run(query, options);
    if (!mset) return slots;
    for (auto it = mset->begin(); it != mset->end(); ++it)
      slots.push_back(impl_->pages[std::stoul(it.get_document().get_data())].slot);
  } catch (const Xapian::Error&) {
    slots.clear();
  }
  return slots;
}

std::vector<Hit> BookIndex::Search(std::string_view query, const SearchOptions& options) const {
  std::vector<Hit> hits;
  try {
    const auto mset = impl_->Run(query, options);
    if (!mset) return hits;
    for (auto it = mset->begin(); it != mset->end(); ++it) {
      const IndexedPage& page = impl_->pages[std::stoul(it.get_document().get_data())];
      Hit hit;
      hit.slot = page.slot;
      hit.name = page.name;
      // The first good stretch of text, not the best of the whole page:
      // weighing every stretch against the index's statistics cost ten
      // times as much per hit, more than the query itself.
      hit.snippet = ParseSnippet(
          mset->snippet(page.text, options.snippetBytes, impl_->stem, 0, kMatchStart, kMatchEnd, kOmitted));
      hit.firstMatch = FirstMatch(hit.snippet);
      hits.push_back(std::move(hit));
    }
  } catch (const Xapian::Error&) {
    hits.clear();
  }
  return hits;
}

}  // namespace search
