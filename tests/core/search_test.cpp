// The book search: what text a page yields, which pages a query finds, in
// what order, and what the snippets mark; judged on the two sample books.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "reader/core/Base64.h"
#include "reader/core/Cp1251.h"
#include "reader/packing/Packing.h"
#include "search/BookIndex.h"
#include "search/PageText.h"

#ifndef SAMPLE_BOOK_DIR
#error "SAMPLE_BOOK_DIR must name the sample book's folder"
#endif

namespace {

using search::BookIndex;
using search::IndexedPage;
using search::SearchOptions;

std::string Cp1251(const std::string& utf8) { return reader::Utf8ToCp1251(utf8); }

// --- text extraction ------------------------------------------------------

struct ExtractCase {
  const char* what;
  std::string bytes;
  std::string title;
  std::string body;
};

TEST(PageText, WhatTheReaderSees) {
  // Undeclared pages are Windows-1251, as the book's pages are.
  const std::string head = "<html><head><title>Т</title></head><body>";
  const auto page = [&](const std::string& body) { return Cp1251(head + body); };
  const ExtractCase cases[] = {
      {"Windows-1251 declared", Cp1251("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
                                       "<title>Глина</title><p>Глиняные таблички</p>"),
       "Глина", "Глиняные таблички"},
      {"nothing declared reads as Windows-1251", Cp1251("<p>Ёлка и ёж</p>"), "", "Ёлка и ёж"},
      {"UTF-8 declared", "<meta charset=\"utf-8\"><p>Юникод — это</p>", "", "Юникод — это"},
      {"UTF-8 byte order mark", "\xEF\xBB\xBF<p>Юникод</p>", "", "Юникод"},
      {"KOI8-R declared", "<meta charset=koi8-r><p>\xEB\xCF\xC4</p>", "", "Код"},
      {"an unknown set reads as Windows-1251", Cp1251("<meta charset=\"x-nonsense\"><p>Код</p>"), "", "Код"},
      {"script, style and head left out",
       page("<style>p{color:red}</style><p>видно</p><script>var hidden = 1;</script><noscript>нет</noscript>"),
       "Т", "видно"},
      {"character references decoded", page("<p>&laquo;A&amp;B&raquo; &#1105;&#x451; &lt;p&gt;</p>"), "Т",
       "«A&B» ёё <p>"},
      {"a word split by inline markup stays one word", page("<p>при<b>мер</b> и <a href=x>ссылка</a></p>"), "Т",
       "пример и ссылка"},
      {"blocks become lines, blanks collapse", page("<h1>Один</h1>\n\n<p>два\t  три</p><ul><li>4<li>5</ul>"), "Т",
       "Один\nдва три\n4\n5"},
      {"not valid HTML still gives its text", "<p>open <div><b>bold <table><td>cell</p></i>", "", "open\nbold\ncell"},
      {"control characters never reach the text", page("<p>a\x01" "b\x02" "c</p>"), "Т",
       "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c"},
      {"plain text is its own text", "just words", "", "just words"},
      {"nothing at all", "", "", ""},
  };
  for (const ExtractCase& c : cases) {
    const search::PageText text = search::ExtractPage(c.bytes);
    EXPECT_EQ(text.title, c.title) << c.what;
    EXPECT_EQ(text.body, c.body) << c.what;
  }
}

TEST(PageText, TheDeclaredCharsetIsFoundInAnyCase) {
  // Only meta tags are lower-cased to look for it, not the page.
  const std::pair<std::string, std::string> cases[] = {
      {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET=KOI8-R\">", "koi8-r"},
      {"<Meta Charset = 'Windows-1251' ><p>текст", "windows-1251"},
      {"<meta name=author content=x><p>a < b</p><MeTa charset=utf-8>", "utf-8"},
      {"<?XML version='1.0' ENCODING='ISO-8859-5'?><meta charset=utf-8>", "iso-8859-5"},
      {"<p>no < meta charset=koi8-r here, and a tag cut off: <meta", ""},
  };
  for (const auto& [page, charset] : cases) EXPECT_EQ(search::DeclaredCharset(page), charset) << page;
}

TEST(PageText, DeepNestingIsReadInLinearTime) {
  // Tens of thousands of open elements: the parser alone would take minutes.
  for (const char* tag : {"<div>", "<span>", "<b>", "<p><table>"}) {
    std::string page = "<script>skipped()</script>";
    for (int i = 0; i < 50000; ++i) page += tag;
    page += "глубоко &amp; <style>x{}</STYLE>далеко";
    EXPECT_EQ(search::ExtractPage(Cp1251(page)).body, "глубоко & далеко") << tag;
  }
}

// --- the sample books -------------------------------------------------------

// A book packed from its folder as the packing tool does, without saving it.
reader::PageStore PackedBook(const std::string& folder) {
  reader::PageStore store;
  store.SetSlot(reader::kContentsSlot, reader::BuildContents(reader::ReadOutline(reader::OutlinePath(folder))));
  reader::PackPageFolder(reader::PageFolderPath(folder), store);
  return store;
}

// The quick reading hands the parser each stretch of text as one stand-in
// character; wherever that could change what the parser builds, it must
// decline or still give the plain reading's text.
struct ReadingCase {
  const char* what;
  std::string html;
  bool vouches;  // the quick reading must vouch for this page
};

TEST(PageText, TheQuickReadingGivesThePlainText) {
  std::string manyStretches;
  for (int i = 0; i < 5000; ++i) manyStretches += "<i>слово" + std::to_string(i) + "</i> ";
  const auto afterLostStretch = [](const std::string& text) {
    return "<p title=\"x > длинное значение\" class=y>видимый текст</p><p title=\"z\">" + text + " и ещё</p>";
  };
  const ReadingCase cases[] = {
      {"blanks and a word in the head open the body", "<html><head> \r\n <title>Имя  страницы</title>\n Слово в голове"
       "</head><body>\n тело\r\nстраницы</body>", true},
      {"text after a table's cells is put before the table",
       "<table><tr><td>ячейка один</td></tr> приёмный текст <tr><td>вторая</td></tr></table>", true},
      {"formatting reopens across paragraphs", "<p><b>жирный текст<p>снова жирный</b> и после", true},
      {"the first line break of pre and textarea", "<pre>\n  отступ строки</pre><textarea>\nтекст <i>курсив</i></textarea>",
       true},
      {"a title holding markup", "<title>Имя <b>жирно</b> &amp; всё</title><p>тело страницы</p>", true},
      {"a control character the parser replaces", "<p>текст a\x01 bcde</p>", true},
      {"a C1 control the parser replaces", "<p>текст \xC2\x85 дальше</p>", true},
      {"more stretches than stand-ins", manyStretches, true},
      {"a stretch inside an attribute that ends early",
       "<p title=\"x > длинное значение\" class=y>видимый текст</p><p>после</p>", false},
      {"a script that ends later than its first close tag",
       "<p>до скрипта</p><script><!--<script></script>a --><script>b</script>видимый текст</script><p>после</p>",
       false},
      {"text a frameset drops", "<frameset> текст в наборе кадров <frame></frameset>", false},
      // A stretch lost in an attribute, and in the text a character that
      // looks like its stand-in.
      {"a character reference that looks like a stand-in", afterLostStretch("&#xE000;"), false},
      {"a decimal one", afterLostStretch("&#57344;"), false},
      {"a private-use character in the page", afterLostStretch("\xEE\x80\x80"), false},
      {"comments, short and long", "<!-->текст после<p>ещё <!-- <p>скрыто</p> > тоже --> видно</p>", false},
      {"CDATA in foreign content", "<svg><![CDATA[ a > b данные ]]></svg><p>после данных</p>", false},
      {"plaintext runs to the end", "<p>до того<plaintext>всё <b>тут</b> &amp; текст", false},
      {"bytes that are not UTF-8", "<p>\xFF\xFE текст после</p><p>\xD0 разрыв</p>", true},
      {"a three-byte character cut short", "<p>\xE2\x80 обрыв строки</p>", true},
      {"a surrogate", "<p>\xED\xA0\x80 суррогат</p>", true},
  };
  std::vector<ReadingCase> pages(std::begin(cases), std::end(cases));
  // Every page of the sample books, as the book's pages go.
  for (const std::string& folder : {std::string(SAMPLE_BOOK_DIR), std::string(SAMPLE_BOOK_DIR) + "/large"}) {
    const reader::PageStore store = PackedBook(folder);
    for (int slot = 1; slot < reader::kContentsSlot; ++slot)
      if (const std::string bytes = reader::Base64ToBytes(store.Slot(slot)); !bytes.empty())
        pages.push_back({"a page of the sample books", search::DecodePage(bytes), true});
  }
  ASSERT_GT(pages.size(), std::size(cases) + 150);
  for (const ReadingCase& c : pages) {
    const search::PageText plain = search::VisibleTextPlain(c.html);
    const std::optional<search::PageText> quick = search::VisibleTextQuick(c.html);
    if (c.vouches) {
      EXPECT_TRUE(quick.has_value()) << c.what;
    }
    if (!quick) continue;
    EXPECT_EQ(quick->title, plain.title) << c.what;
    EXPECT_EQ(quick->body, plain.body) << c.what;
  }
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  // Letters of both alphabets (UTF-8 Cyrillic is D0/D1 plus one byte).
  static const std::regex word("([A-Za-z0-9]|\xD0.|\xD1.)+");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), word); it != std::sregex_iterator(); ++it)
    words.push_back(it->str());
  return words;
}

std::string LowerFolded(const std::string& utf8) {
  std::string out;
  // Lower-cases Cyrillic and Latin capitals by code point arithmetic.
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 'A' && c <= 'Z') {
      out.push_back(static_cast<char>(c + 32));
    } else if (c == 0xD0 && i + 1 < utf8.size()) {
      const auto n = static_cast<unsigned char>(utf8[++i]);
      if (n >= 0x90 && n <= 0x9F) out += {'\xD0', static_cast<char>(n + 0x20)};       // А-П
      else if (n >= 0xA0 && n <= 0xAF) out += {'\xD1', static_cast<char>(n - 0x20)};  // Р-Я
      else if (n == 0x81) out += "\xD0\xB5";                                          // Ё -> е
      else out += {'\xD0', static_cast<char>(n)};
    } else if (c == 0xD1 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0x91) {
      out += "\xD0\xB5";  // ё -> е
      ++i;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

struct SampleBook {
  std::vector<IndexedPage> pages;
  BookIndex index;
  explicit SampleBook(const std::string& folder)
      : pages(search::BookPages(PackedBook(folder))), index(pages) {}
};

const SampleBook& Small() {
  static const SampleBook book(SAMPLE_BOOK_DIR);
  return book;
}
const SampleBook& Large() {
  static const SampleBook book(std::string(SAMPLE_BOOK_DIR) + "/large");
  return book;
}

bool Contains(const std::vector<int>& slots, int slot) {
  return std::find(slots.begin(), slots.end(), slot) != slots.end();
}

TEST(BookSearch, TwoWordsOfEveryPageNameFindItAmongTheFirstThree) {
  for (const SampleBook* book : {&Small(), &Large()}) {
    ASSERT_GE(book->pages.size(), 25u);
    // How many names each word occurs in: the two rarest words of a name
    // are the ones a reader would type to find that page.
    std::map<std::string, int> namesWith;
    std::vector<std::vector<std::string>> nameWords;
    for (const IndexedPage& page : book->pages) {
      std::vector<std::string> words = Words(LowerFolded(page.name));
      words.erase(words.begin());  // the page number the contents put in front
      words.erase(std::remove_if(words.begin(), words.end(), [](const std::string& w) { return w.size() < 6; }),
                  words.end());
      std::sort(words.begin(), words.end());
      words.erase(std::unique(words.begin(), words.end()), words.end());
      for (const std::string& w : words) ++namesWith[w];
      nameWords.push_back(words);
    }
    for (std::size_t p = 0; p < book->pages.size(); ++p) {
      std::vector<std::string> words = nameWords[p];
      ASSERT_GE(words.size(), 1u) << book->pages[p].name;
      // Rarest first, ties in alphabetical order (the words are sorted).
      std::sort(words.begin(), words.end(), [&](const std::string& a, const std::string& b) {
        return std::pair(namesWith[a], a) < std::pair(namesWith[b], b);
      });
      // A one-word name ("Латиница") is its own query.
      const std::string query = words.size() == 1 ? words[0] : words[0] + " " + words[1];
      // Pages that share one name ("Итоги и вопросы к обсуждению" closes
      // every section of the large book) cannot be told apart by it: each
      // of them must then come before any other page.
      const auto sameName = static_cast<std::size_t>(std::count_if(
          book->pages.begin(), book->pages.end(), [&](const IndexedPage& other) { return other.name.substr(other.name.find(' ')) == book->pages[p].name.substr(book->pages[p].name.find(' ')); }));
      const std::vector<int> found = book->index.Match(query, {.limit = std::max<std::size_t>(3, sameName)});
      EXPECT_TRUE(Contains(found, book->pages[p].slot))
          << "\"" << query << "\" does not find page " << book->pages[p].slot << " " << book->pages[p].name;
    }
  }
}

struct QueryCase {
  const char* query;
  bool typing;
  int findsSlot;  // 0: must find nothing
};

TEST(BookSearch, JudgedQueriesOnTheSampleBook) {
  // Pages of the small book: 4 clay tokens and tablets, 7 cuneiform,
  // 8 Egyptian hieroglyphs, 20 reforms of Russian spelling, 21 writing
  // materials ("камень, глина, папирус").
  const QueryCase cases[] = {
      {"глиной", false, 21},           // an inflected form finds the page of its base form
      {"табличкам", false, 4},
      {"Месопотамией", false, 4},
      {"клинописью", false, 7},
      {"иероглифами египетскими", false, 8},
      {"ОРФОГРАФИИ", false, 20},       // case does not matter
      {"учёные", false, 1},            // "ё" and "е" are the same letter
      {"ученые", false, 1},
      {"клинопись акка", true, 7},    // the word being typed matches as a prefix
      {"клинопись акка", false, 0},   // but not once the query is complete
      {"клинопись я", true, 7},       // a lone letter being typed does not narrow yet
      {"клинопись я", false, 0},
      {"синхрофазотрон", false, 0},    // a word on no page
      {"глина синхрофазотрон", false, 0},  // every word must occur
  };
  for (const QueryCase& c : cases) {
    const std::vector<int> found = Small().index.Match(c.query, {.typing = c.typing, .limit = 200});
    if (c.findsSlot == 0)
      EXPECT_TRUE(found.empty()) << c.query;
    else
      EXPECT_TRUE(Contains(found, c.findsSlot)) << c.query << " does not find page " << c.findsSlot;
  }
}

TEST(BookSearch, AQuotedPhraseFindsExactlyThePagesThatHoldIt) {
  for (const char* phrase : {"глиняные таблички", "египетские иероглифы", "письмо рисунками", "таблички глиняные"}) {
    std::vector<int> expected;
    for (const IndexedPage& page : Small().pages)
      if (LowerFolded(page.name + "\n" + page.text).find(LowerFolded(phrase)) != std::string::npos)
        expected.push_back(page.slot);
    std::vector<int> found = Small().index.Match(std::string("\"") + phrase + "\"", {.limit = 200});
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected) << phrase;
  }
  // Both words occur apart on more pages than the phrase does.
  EXPECT_GT(Small().index.Match("глиняные таблички", {.limit = 200}).size(),
            Small().index.Match("\"глиняные таблички\"", {.limit = 200}).size());
}

// The index adds each word's stem once per page with the weight of all its
// occurrences; the engine's own generator adds it at every occurrence. The
// terms, weights and positions must come out the same.
TEST(BookIndex, PageTermsAreTheOnesTheEngineMakes) {
  std::vector<IndexedPage> pages = {
      {1, "1-bet Глина и глиной", "Глина, глиной, глины: ГЛИНА. Глиняные таблички."},
      {2, "", "1990-х годах 2x 3.14 12,000 Ёлка ёлке елка"},
      {3, "3-bet Readers", "U.S.A. AT&T C++ C# don't Readers' reading read"},
      {4, "", std::string(80, 'a') + " " + std::string(40, 'a') + " длинное" + std::string(30, 'e')},
      {5, "", "ǅungla ʻokina 漢字 ½ ٣ ̀знак Глина-Clay _под_чёрк"},
  };
  for (const std::string& folder : {std::string(SAMPLE_BOOK_DIR), std::string(SAMPLE_BOOK_DIR) + "/large"})
    for (IndexedPage& page : search::BookPages(PackedBook(folder))) pages.push_back(std::move(page));
  for (const IndexedPage& page : pages) {
    const std::vector<search::PageTerm> quick = search::TermsOfPage(page);
    const std::vector<search::PageTerm> plain = search::TermsOfPage(page, true);
    ASSERT_FALSE(plain.empty()) << page.slot;
    EXPECT_TRUE(quick == plain) << page.slot << " " << page.name << ": " << quick.size() << " terms, engine "
                                << plain.size();
  }
}

// The window's build reads pages on one thread and adds them to the index on
// another. It must make the index the one-thread build makes: a document
// added out of order (another page behind a document number, ties ranked
// otherwise), a page the hand-over drops or passes twice, or a document still
// sharing the term generator's state with the next page would each show as a
// posting or a hit that differs. A race shows in some runs only: each book is
// built three times, the last at the window's lowered priority.
TEST(BookIndex, ThePipelinedBuildMakesTheOneThreadIndex) {
  reader::PageStore badPages;
  static const char kContents[] = "Раздел\0\0" "0\r\n\t1-bet Первая\0a\0" "1\r\n\t4-bet Четвёртая\0b\0" "4";
  badPages.SetSlot(reader::kContentsSlot, Cp1251(std::string(kContents, sizeof kContents - 1)));
  badPages.SetSlot(1, reader::BytesToBase64(Cp1251("<title>Свой</title><p><b>незакрытая <i>глина</p></table>&amp;")));
  badPages.SetSlot(2, "not base64 at all!");
  badPages.SetSlot(3, reader::BytesToBase64("<script>only()</script>"));
  badPages.SetSlot(7, reader::BytesToBase64("<meta charset=utf-8><p>\xFF\xFE 💡 глина \xD0</p>"));
  reader::PageStore lastIsPage = badPages;
  lastIsPage.SetSlot(reader::kContentsSlot, reader::BytesToBase64("<p>сто тридцать девятая глина</p>"));
  std::string big = "<p>";
  while (big.size() < 5u << 20) big += "слово другое глиняное ";
  badPages.SetSlot(5, reader::BytesToBase64(Cp1251(big + "последнееслово</p>")));
  const struct {
    const char* what;
    reader::PageStore store;
  } cases[] = {
      {"the small sample book", PackedBook(SAMPLE_BOOK_DIR)},
      {"the large sample book", PackedBook(std::string(SAMPLE_BOOK_DIR) + "/large")},
      {"bad pages", badPages},
      {"a 139th page", lastIsPage},
      {"no pages", reader::PageStore()},
  };
  for (const auto& c : cases) {
    std::vector<std::pair<std::string, bool>> queries = {
        {"глиной", false}, {"клинопись акка", true}, {"\"глиняные таблички\"", false}, {"ОРФОГРАФИИ учёные", false},
        {"глин", true},    {"последнееслово", false}, {"\"слово другое\"", false},     {"девятая", false},
        {"камень", false}, {"\"повседневную жизнь\"", false}};
    for (const IndexedPage& page : search::BookPages(c.store)) queries.push_back({page.name, false});
    const BookIndex plain = search::IndexBook(c.store, {.pipelined = false});
    const std::vector<search::StoredPosting> expected = plain.StoredPostings();
    for (int run = 0; run < 3; ++run) {
      std::optional<BookIndex> pipelined;
      std::thread([&] { pipelined.emplace(search::IndexBook(c.store, {.background = run == 2})); }).join();
      EXPECT_EQ(pipelined->PageCount(), plain.PageCount()) << c.what;
      const std::vector<search::StoredPosting> postings = pipelined->StoredPostings();
      const auto [got, want] = std::mismatch(postings.begin(), postings.end(), expected.begin(), expected.end());
      EXPECT_TRUE(got == postings.end() && want == expected.end())
          << c.what << ": " << postings.size() << " postings against " << expected.size() << ", first differing "
          << (got != postings.end() ? got->term : want->term);
      // The ranked pages every run; names and snippets (slow on a page of
      // 5 MB) once.
      for (const auto& [query, typing] : queries) {
        const SearchOptions options{.typing = typing, .limit = 200};
        EXPECT_EQ(pipelined->Match(query, options), plain.Match(query, options)) << c.what << ": " << query;
        if (run == 0) {
          EXPECT_TRUE(pipelined->Search(query, options) == plain.Search(query, options)) << c.what << ": " << query;
        }
      }
    }
    EXPECT_GE(expected.size(), plain.PageCount()) << c.what;
  }
}

// --- ranking, languages and snippets on pages made for the purpose --------

TEST(BookSearch, NamesOutrankTextAndEnglishIsStemmedToo) {
  const BookIndex index({
      {1, "1-bet Обзор", "Глина глина глина: о глине в каждом абзаце, глина повсюду. Readers read reading."},
      {2, "2-bet Глина", "Здесь о другом."},
      {3, "3-bet Прочее", "Она любила её и ещё раз её."},
  });
  const std::vector<int> clay = index.Match("глина");
  ASSERT_EQ(clay.size(), 2u);
  EXPECT_EQ(clay[0], 2) << "the page named after the word comes first";
  EXPECT_EQ(index.Match("readings"), std::vector<int>{1});
  EXPECT_EQ(index.Match("ее еще"), std::vector<int>{3});
  EXPECT_TRUE(index.Match("bet").empty()) << "the number the contents put before a name is not a word of it";
}

TEST(BookSearch, SnippetsMarkTheMatchedWordsOnOneLine) {
  const BookIndex index({{5, "5-bet Глава", "Начало.\nЗдесь есть <глиняные> & прочные таблички из глины.\nКонец."}});
  const std::vector<search::Hit> hits = index.Search("глина таблички");
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].slot, 5);
  EXPECT_EQ(hits[0].name, "5-bet Глава");
  std::string plain, marked;
  for (const search::SnippetPart& part : hits[0].snippet) {
    plain += part.text;
    if (part.match) marked += "[" + part.text + "]";
  }
  EXPECT_NE(plain.find("<глиняные> & прочные"), std::string::npos) << plain;
  EXPECT_EQ(plain.find('\n'), std::string::npos) << plain;
  EXPECT_EQ(marked, "[таблички][глины]");
  EXPECT_EQ(hits[0].firstMatch, "таблички");
  const std::vector<search::Hit> phrase = index.Search("\"прочные таблички\"");
  ASSERT_EQ(phrase.size(), 1u);
  EXPECT_EQ(phrase[0].firstMatch, "прочные таблички");
}

// --- bad input ----------------------------------------------------------------

TEST(BookSearch, BadQueriesGiveNothingOrTheirResults) {
  const std::string longWord(10000, 'a');
  std::string longQuery;
  while (longQuery.size() < 10000) longQuery += "глина ";
  struct Case {
    std::string query;
    bool findsSomething;
  } cases[] = {
      {"", false},
      {"   ", false},
      {longWord, false},
      {longQuery, true},                // ten thousand characters of one word still find its pages
      {"\"глиняные таблички", true},    // an unclosed quote runs to the end
      {"глиняные\" таблички", true},
      {"\"\"\"", false},
      {"!?.,;:-()[]{}*+/\\&|^~", false},  // only punctuation
      {"AND OR NOT", false},
      {"💡 漢字 ∑", false},             // characters outside Windows-1251
      {"\xFF\xFE\xC0\x80 глина", true},  // bytes that are not UTF-8 beside a real word
  };
  for (const Case& c : cases) {
    for (bool typing : {false, true}) {
      const auto hits = Small().index.Search(c.query, {.typing = typing});
      EXPECT_EQ(!hits.empty(), c.findsSomething) << c.query.substr(0, 40) << " typing " << typing;
    }
  }
}

TEST(BookPages, NamesAndSlotsAsTheContentsGiveThem) {
  reader::PageStore store;
  // The contents: a heading and two page entries; page 3 has no entry.
  static const char kContents[] = "Раздел\0\0" "0\r\n\t1-bet Первая\0a\0" "1\r\n\t2-bet Вторая\0b\0" "2";
  store.SetSlot(reader::kContentsSlot, Cp1251(std::string(kContents, sizeof kContents - 1)));
  store.SetSlot(1, reader::BytesToBase64(Cp1251("<title>Заголовок</title><p>Текст один</p>")));
  store.SetSlot(2, "not base64 at all!");  // decodes to nothing: the name alone is indexed
  store.SetSlot(3, reader::BytesToBase64(Cp1251("<title>Своё имя</title><p>Три</p>")));
  store.SetSlot(4, reader::BytesToBase64("<script>only()</script>"));  // nothing visible, no name: left out
  std::string big = "<p>";
  while (big.size() < 5u << 20) big += "слово другое глиняное ";
  store.SetSlot(5, reader::BytesToBase64(Cp1251(big + "последнееслово</p>")));
  const std::vector<IndexedPage> pages = search::BookPages(store);
  // Slots are read on several threads at once; each must come out as it
  // does read alone.
  for (const IndexedPage& page : pages)
    EXPECT_EQ(page.text, search::ExtractPage(reader::Base64ToBytes(store.Slot(page.slot))).body) << page.slot;
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_EQ(pages[0].slot, 1);
  EXPECT_EQ(pages[0].name, "1-bet Первая");
  EXPECT_EQ(pages[0].text, "Текст один");
  EXPECT_EQ(pages[1].slot, 2);
  EXPECT_EQ(pages[1].text, "");
  EXPECT_EQ(pages[2].name, "Своё имя");
  EXPECT_EQ(pages[3].slot, 5);
  const BookIndex index(pages);
  EXPECT_EQ(index.Match("вторая"), std::vector<int>{2});
  EXPECT_EQ(index.Match("последнееслово"), std::vector<int>{5});

  // A 139th page takes the contents' place and is searched like any other.
  store.SetSlot(reader::kContentsSlot, reader::BytesToBase64("<p>сто тридцать девятая</p>"));
  const std::vector<IndexedPage> withLast = search::BookPages(store);
  ASSERT_FALSE(withLast.empty());
  EXPECT_EQ(withLast.back().slot, 139);
  EXPECT_EQ(withLast[0].name, "Заголовок");
}

}  // namespace
