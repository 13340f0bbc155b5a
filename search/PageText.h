#pragma once
// What a reader sees of a page, as plain UTF-8 text: the page's bytes
// decoded as it declares (Windows-1251 when it declares nothing, as the
// reader's browser shows it), parsed as HTML5, with script, style and the
// document head left out and character references decoded.
#include <optional>
#include <string>
#include <string_view>

namespace search {

// The character set a page names for itself: a byte order mark, an XML
// declaration's encoding, or a meta element's charset, lower-cased; empty
// when it names none.
std::string DeclaredCharset(std::string_view page);

// The page's bytes as UTF-8 text. Bytes that do not belong to the declared
// set become U+FFFD; a set this system cannot convert is read as
// Windows-1251, the book's own code page.
std::string DecodePage(std::string_view page);

struct PageText {
  std::string title;  // the document's title, whitespace collapsed
  std::string body;   // visible text: one line per block, blanks collapsed
};

// The visible text of an HTML document given as UTF-8. Never fails: text
// that is not HTML at all comes back as the text it holds.
//
// The parser reads text a character at a time, which is most of what this
// costs. So the page is read the quick way where that can be vouched for:
// each stretch of plain text between two tags goes to the parser as one
// stand-in character and is put back in the text afterwards. Where it
// cannot (a stand-in the parser did not read as text), the page is read
// the plain way. Both ways give the same text.
PageText VisibleText(std::string_view utf8Html);

// The plain way: the parser reads every character.
PageText VisibleTextPlain(std::string_view utf8Html);
// The quick way; nothing where it cannot vouch for its result.
std::optional<PageText> VisibleTextQuick(std::string_view utf8Html);

// DecodePage, then VisibleText.
PageText ExtractPage(std::string_view page);

// Same-length fold of "ё" to "е" (and "Ё" to "Е"): both are two bytes in
// UTF-8, so a position in the folded text is the same position in the
// page's own text, where snippets and matches are cut from.
void FoldYo(std::string& utf8);

}  // namespace search
