#include "search/PageText.h"

#include <gumbo.h>
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "reader/core/Cp1251.h"

namespace search {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
  return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The label after "charset" or "encoding" in an attribute text: blanks, an
// equals sign, an optional quote, then up to a quote, blank, ';' or '>'.
std::string LabelAfter(std::string_view text, std::size_t at) {
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at >= text.size() || text[at] != '=') return {};
  ++at;
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at < text.size() && (text[at] == '"' || text[at] == '\'')) ++at;
  const std::size_t start = at;
  while (at < text.size() && !IsSpace(text[at]) && text[at] != '"' && text[at] != '\'' && text[at] != ';' &&
         text[at] != '>')
    ++at;
  return std::string(text.substr(start, at - start));
}

const char* const kUtf8Labels[] = {"utf-8", "utf8", "unicode-1-1-utf-8"};
const char* const kCp1251Labels[] = {"windows-1251", "cp1251", "x-cp1251"};

template <std::size_t N>
bool OneOf(const std::string& label, const char* const (&labels)[N]) {
  return std::any_of(std::begin(labels), std::end(labels), [&](const char* l) { return label == l; });
}

void AppendReplacement(std::string& out) { out += "\xEF\xBF\xBD"; }

// Through the C library's converter, for the sets other than the book's two.
bool ConvertWithIconv(std::string_view page, const std::string& label, std::string& out) {
  iconv_t cd = ::iconv_open("UTF-8", label.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  char* in = const_cast<char*>(page.data());
  std::size_t inLeft = page.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const std::size_t r = ::iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // A byte the set does not define, or a sequence cut off at the end.
      AppendReplacement(out);
      ++in;
      --inLeft;
    }
  }
  ::iconv_close(cd);
  return true;
}

// Elements whose content the reader never sees as text.
bool IsHidden(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_SELECT:
      return true;
    default:
      return false;
  }
}

// Elements that flow within a line: a word split by one of them
// ("при<b>мер</b>") is still one word. Every other element starts a block.
bool IsInline(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_A:
    case GUMBO_TAG_ABBR:
    case GUMBO_TAG_B:
    case GUMBO_TAG_BDI:
    case GUMBO_TAG_BDO:
    case GUMBO_TAG_BIG:
    case GUMBO_TAG_CITE:
    case GUMBO_TAG_CODE:
    case GUMBO_TAG_DATA:
    case GUMBO_TAG_DFN:
    case GUMBO_TAG_EM:
    case GUMBO_TAG_FONT:
    case GUMBO_TAG_I:
    case GUMBO_TAG_KBD:
    case GUMBO_TAG_MARK:
    case GUMBO_TAG_Q:
    case GUMBO_TAG_S:
    case GUMBO_TAG_SAMP:
    case GUMBO_TAG_SMALL:
    case GUMBO_TAG_SPAN:
    case GUMBO_TAG_STRIKE:
    case GUMBO_TAG_STRONG:
    case GUMBO_TAG_SUB:
    case GUMBO_TAG_SUP:
    case GUMBO_TAG_TIME:
    case GUMBO_TAG_TT:
    case GUMBO_TAG_U:
    case GUMBO_TAG_VAR:
    case GUMBO_TAG_WBR:
    case GUMBO_TAG_NOBR:
      return true;
    default:
      return false;
  }
}

// Collects text with blanks collapsed: any run of white space becomes one
// blank, or one line break when a block boundary fell inside it. Control
// characters count as white space, so they never reach the index or a
// snippet.
class TextSink {
 public:
  void Text(const char* text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c <= 0x20 || c == 0x7F) {
        if (pending_ == kNone) pending_ = kBlank;
        continue;
      }
      Flush();
      out_.push_back(static_cast<char>(c));
    }
  }
  void Break() { pending_ = kBreak; }
  std::string Take() { return std::move(out_); }

 private:
  enum Pending { kNone, kBlank, kBreak };
  void Flush() {
    if (pending_ != kNone && !out_.empty()) out_.push_back(pending_ == kBreak ? '\n' : ' ');
    pending_ = kNone;
  }
  std::string out_;
  Pending pending_ = kNone;
};

const GumboNode* FindTitle(const GumboNode* root) {
  if (root->type != GUMBO_NODE_ELEMENT) return nullptr;
  for (unsigned i = 0; i < root->v.element.children.length; ++i) {
    const auto* head = static_cast<const GumboNode*>(root->v.element.children.data[i]);
    if (head->type != GUMBO_NODE_ELEMENT || head->v.element.tag != GUMBO_TAG_HEAD) continue;
    for (unsigned k = 0; k < head->v.element.children.length; ++k) {
      const auto* child = static_cast<const GumboNode*>(head->v.element.children.data[k]);
      if (child->type == GUMBO_NODE_ELEMENT && child->v.element.tag == GUMBO_TAG_TITLE) return child;
    }
  }
  return nullptr;
}

// Walks the tree with an explicit stack: a page may nest elements deeper
// than the call stack would allow.
void CollectText(const GumboNode* start, TextSink& sink) {
  struct Frame {
    const GumboNode* node;
    bool closing;
  };
  std::vector<Frame> stack{{start, false}};
  while (!stack.empty()) {
    const Frame frame = stack.back();
    stack.pop_back();
    const GumboNode* node = frame.node;
    switch (node->type) {
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_WHITESPACE:
      case GUMBO_NODE_CDATA:
        sink.Text(node->v.text.text, std::strlen(node->v.text.text));
        break;
      case GUMBO_NODE_ELEMENT:
      case GUMBO_NODE_TEMPLATE:
      case GUMBO_NODE_DOCUMENT: {
        const bool element = node->type != GUMBO_NODE_DOCUMENT;
        const GumboTag tag = element ? node->v.element.tag : GUMBO_TAG_UNKNOWN;
        if (element && node != start && IsHidden(tag)) break;
        const bool block = element && !IsInline(tag);
        if (block) sink.Break();
        if (frame.closing) break;
        if (block) stack.push_back({node, true});
        const GumboVector& children = node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children
                                                                        : node->v.element.children;
        for (unsigned i = children.length; i-- > 0;)
          stack.push_back({static_cast<const GumboNode*>(children.data[i]), false});
        break;
      }
      case GUMBO_NODE_COMMENT:
        break;
    }
  }
}

// Elements that never have content, so their start tags open nothing.
bool IsVoid(std::string_view name) {
  static constexpr std::string_view kVoid[] = {"area", "base", "br", "col", "embed", "hr", "img", "input",
                                               "link", "meta", "param", "source", "track", "wbr"};
  return std::find(std::begin(kVoid), std::end(kVoid), name) != std::end(kVoid);
}

// Read at a '<': the lower-case tag name and whether it closes; empty when
// the '<' opens no tag.
std::string_view TagNameAt(std::string_view html, std::size_t at, bool* closing, std::string& buffer) {
  std::size_t i = at + 1;
  *closing = i < html.size() && html[i] == '/';
  if (*closing) ++i;
  const std::size_t start = i;
  while (i < html.size() && (std::isalnum(static_cast<unsigned char>(html[i])) != 0)) ++i;
  if (i == start || std::isalpha(static_cast<unsigned char>(html[start])) == 0) return {};
  buffer = Lower(html.substr(start, i - start));
  return buffer;
}

// The parser's work grows with the square of the depth of open elements
// (each new element looks down the whole stack), so a page that opens
// thousands of elements without closing them would take minutes. Real pages
// stay far below this; deeper ones are read without their markup.
constexpr int kMaxOpenElements = 1000;

bool NestsTooDeep(std::string_view html) {
  int depth = 0;
  std::string buffer;
  for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at + 1)) {
    bool closing = false;
    const std::string_view name = TagNameAt(html, at, &closing, buffer);
    if (name.empty()) continue;
    if (closing) {
      depth = std::max(0, depth - 1);
      continue;
    }
    const std::size_t end = html.find('>', at);
    const bool selfClosing = end != std::string_view::npos && end > at && html[end - 1] == '/';
    if (!IsVoid(name) && !selfClosing && ++depth > kMaxOpenElements) return true;
  }
  return false;
}

// The page without its markup, in one pass: tags become blanks (so block
// boundaries still part words), comments and the content of script and style
// go. Character references are left for the parser, which then sees text only.
std::string WithoutMarkup(std::string_view html) {
  std::string out;
  out.reserve(html.size());
  std::string buffer;
  std::size_t i = 0;
  while (i < html.size()) {
    if (html[i] != '<') {
      out.push_back(html[i++]);
      continue;
    }
    if (html.substr(i).starts_with("<!--")) {
      const std::size_t end = html.find("-->", i + 4);
      i = end == std::string_view::npos ? html.size() : end + 3;
      continue;
    }
    bool closing = false;
    const std::string_view name = TagNameAt(html, i, &closing, buffer);
    if (name.empty() && !(i + 1 < html.size() && (html[i + 1] == '!' || html[i + 1] == '?'))) {
      out += "&lt;";
      ++i;
      continue;
    }
    const std::size_t end = html.find('>', i);
    i = end == std::string_view::npos ? html.size() : end + 1;
    out.push_back(' ');
    if (!closing && (name == "script" || name == "style")) {
      const std::string close = "</" + std::string(name);
      std::size_t at = i;
      // The close tag in any case.
      while (at < html.size() && Lower(html.substr(at, close.size())) != close) at = html.find('<', at + 1);
      i = std::min(at, html.size());
    }
  }
  return out;
}

}  // namespace

std::string DeclaredCharset(std::string_view page) {
  if (page.starts_with("\xEF\xBB\xBF")) return "utf-8";
  if (page.starts_with("\xFE\xFF")) return "utf-16be";
  if (page.starts_with("\xFF\xFE")) return "utf-16le";
  const std::string lower = Lower(page);
  if (lower.starts_with("<?xml")) {
    const std::size_t end = lower.find("?>");
    const std::size_t at = lower.find("encoding");
    if (at != std::string::npos && at < end) {
      if (std::string label = LabelAfter(lower, at + 8); !label.empty()) return label;
    }
  }
  for (std::size_t at = lower.find("<meta"); at != std::string::npos; at = lower.find("<meta", at + 5)) {
    const std::size_t end = std::min(lower.find('>', at), lower.size());
    const std::string_view tag = std::string_view(lower).substr(at, end - at);
    const std::size_t charset = tag.find("charset");
    if (charset == std::string_view::npos) continue;
    if (std::string label = LabelAfter(tag, charset + 7); !label.empty()) return label;
  }
  return {};
}

std::string DecodePage(std::string_view page) {
  const std::string label = DeclaredCharset(page);
  if (label.empty() || OneOf(label, kCp1251Labels)) return reader::Cp1251ToUtf8(page);
  if (OneOf(label, kUtf8Labels)) {
    if (page.starts_with("\xEF\xBB\xBF")) page.remove_prefix(3);
    // The parser replaces malformed sequences itself.
    return std::string(page);
  }
  std::string out;
  if (ConvertWithIconv(page, label, out)) return out;
  return reader::Cp1251ToUtf8(page);
}

PageText VisibleText(std::string_view utf8Html) {
  std::string flat;
  if (NestsTooDeep(utf8Html)) {
    flat = WithoutMarkup(utf8Html);
    utf8Html = flat;
  }
  GumboOptions options = kGumboDefaultOptions;
  // Recording parse errors costs more than the parse itself on broken
  // pages, and nothing reads them.
  options.max_errors = 0;
  GumboOutput* output = gumbo_parse_with_options(&options, utf8Html.data(), utf8Html.size());
  PageText text;
  if (output == nullptr) return text;
  TextSink body;
  CollectText(output->document, body);
  text.body = body.Take();
  if (const GumboNode* title = FindTitle(output->root)) {
    TextSink sink;
    for (unsigned i = 0; i < title->v.element.children.length; ++i) {
      const auto* child = static_cast<const GumboNode*>(title->v.element.children.data[i]);
      if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
        sink.Text(child->v.text.text, std::strlen(child->v.text.text));
    }
    text.title = sink.Take();
  }
  gumbo_destroy_output(&options, output);
  return text;
}

PageText ExtractPage(std::string_view page) { return VisibleText(DecodePage(page)); }

// D0 and D1 are lead bytes and never continue another character, so a
// plain scan cannot cut a character in two.
void FoldYo(std::string& utf8) {
  for (std::size_t i = 0; i + 1 < utf8.size(); ++i) {
    if (utf8[i] == '\xD1' && utf8[i + 1] == '\x91') {  // ё -> е
      utf8[i] = '\xD0';
      utf8[i + 1] = '\xB5';
      ++i;
    } else if (utf8[i] == '\xD0' && utf8[i + 1] == '\x81') {  // Ё -> Е
      utf8[i + 1] = '\x95';
      ++i;
    }
  }
}

}  // namespace search
