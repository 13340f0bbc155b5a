#include "search/PageText.h"

#include <gumbo.h>
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>
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
    for (std::size_t i = 0; i < size;) {
      if (IsBlank(text[i])) {
        if (pending_ == kNone) pending_ = kBlank;
        ++i;
        continue;
      }
      std::size_t end = i + 1;
      while (end < size && !IsBlank(text[end])) ++end;
      Flush();
      out_.append(text + i, end - i);
      i = end;
    }
  }
  void Break() { pending_ = kBreak; }
  std::string Take() { return std::move(out_); }

 private:
  static bool IsBlank(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b <= 0x20 || b == 0x7F;
  }
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

// --- stand-ins for stretches of text ---------------------------------------
//
// The parser spends nearly all its time on text, each character being a
// token of its own, while a stretch of plain text between two tags builds
// the same tree whatever its letters are. So the quick reading hands the
// parser each such stretch as one private-use character standing for it,
// and puts the stretch back where its stand-in lands in the text.
//
// Which tree a stretch builds does depend on where it lies: in a comment or
// an attribute value it is no text at all, and in a script the escaped
// forms ("<!--", "-->") change with its dashes. The stretches are picked
// without knowing that, so the reading is used only when every stand-in
// came out exactly once, in the text of an element other than a script:
// only then did the parser read the stand-ins, and so the stretches, as
// text. Otherwise the page is read again the plain way.

// Stand-ins are U+E000 to U+EFFF, three bytes each in UTF-8, all led by EE.
constexpr std::size_t kMostStandIns = 0x1000;
constexpr char kStandInLead = '\xEE';
constexpr std::size_t kStandInBytes = 3;

void AppendStandIn(std::string& out, std::size_t number) {
  out.push_back(kStandInLead);
  out.push_back(static_cast<char>(0x80 | (number >> 6)));
  out.push_back(static_cast<char>(0x80 | (number & 0x3F)));
}

// The number of the stand-in at `at` (which holds its lead byte), or
// kMostStandIns when the bytes there are no whole stand-in.
std::size_t StandInAt(std::string_view text, std::size_t at) {
  if (at + kStandInBytes > text.size()) return kMostStandIns;
  const auto b1 = static_cast<unsigned char>(text[at + 1]);
  const auto b2 = static_cast<unsigned char>(text[at + 2]);
  if ((b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) return kMostStandIns;
  return (static_cast<std::size_t>(b1 & 0x3F) << 6) | (b2 & 0x3F);
}

// The stretches, by stand-in number; they point into the page's own text.
using Stretches = std::vector<std::string_view>;

// Text of the tree, with the stretches back in place of their stand-ins.
void AddText(TextSink& sink, const char* text, const Stretches* stretches) {
  const std::string_view all(text);
  if (stretches == nullptr) {
    sink.Text(all.data(), all.size());
    return;
  }
  std::size_t from = 0;
  for (std::size_t at = all.find(kStandInLead); at != std::string_view::npos; at = all.find(kStandInLead, from)) {
    sink.Text(all.data() + from, at - from);
    const std::string_view stretch = (*stretches)[StandInAt(all, at)];
    sink.Text(stretch.data(), stretch.size());
    from = at + kStandInBytes;
  }
  sink.Text(all.data() + from, all.size() - from);
}

// Whether the parser passes every character of a stretch through as it
// stands: no character reference, no NUL or other control character, no
// byte outside well-formed UTF-8, none of the code points it replaces
// (C1 controls, noncharacters), no stand-in. Line ends may be CR LF, which
// the parser makes LF: the text collector reads both as a blank.
bool PassesAsItStands(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      if ((b < 0x20 && b != '\t' && b != '\n' && b != '\f' && b != '\r') || b == 0x7F || b == '&') return false;
      ++i;
      continue;
    }
    const auto next = [&](std::size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    const auto tail = [](unsigned c) { return (c & 0xC0) == 0x80; };
    if (b >= 0xC2 && b <= 0xDF) {
      // C2 80 to C2 9F are the C1 controls.
      if (!tail(next(1)) || (b == 0xC2 && next(1) < 0xA0)) return false;
      i += 2;
    } else if (b >= 0xE0 && b <= 0xEF && b != 0xEE) {
      const unsigned c1 = next(1), c2 = next(2);
      if (!tail(c1) || !tail(c2)) return false;
      if (b == 0xE0 && c1 < 0xA0) return false;  // overlong
      if (b == 0xED && c1 > 0x9F) return false;  // surrogates
      if (b == 0xEF && c1 == 0xB7 && c2 >= 0x90 && c2 <= 0xAF) return false;  // U+FDD0 to U+FDEF
      if (b == 0xEF && c1 == 0xBF && c2 >= 0xBE) return false;                 // U+FFFE, U+FFFF
      i += 3;
    } else {
      // Four-byte characters are rare enough to be read the plain way.
      return false;
    }
  }
  return true;
}

// Whether a character reference in the page (&#57344; &#xE000;) could make
// a character the parser would take for a stand-in.
bool NamesAStandIn(std::string_view html) {
  for (std::size_t at = html.find("&#"); at != std::string_view::npos; at = html.find("&#", at + 2)) {
    std::size_t i = at + 2;
    const bool hex = i < html.size() && (html[i] == 'x' || html[i] == 'X');
    if (hex) ++i;
    unsigned long value = 0;
    for (; i < html.size(); ++i) {
      const char c = html[i];
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0) break;
      // Past the last code point the parser makes U+FFFD of it.
      value = std::min<unsigned long>(value * (hex ? 16 : 10) + static_cast<unsigned long>(digit), 0x110000);
    }
    if (value >= 0xE000 && value < 0xE000 + kMostStandIns) return true;
  }
  return false;
}

// Where `name`'s close tag starts from `from` on, in any case; the end
// when there is none.
std::size_t CloseTag(std::string_view html, std::size_t from, std::string_view name) {
  for (std::size_t at = html.find("</", from); at != std::string_view::npos; at = html.find("</", at + 2)) {
    if (at + 2 + name.size() > html.size()) break;
    bool same = true;
    for (std::size_t k = 0; same && k < name.size(); ++k) same = LowerAscii(html[at + 2 + k]) == name[k];
    if (same) return at;
  }
  return html.size();
}

bool OpensScript(std::string_view tag) {
  if (tag.size() < 8) return false;
  for (std::size_t k = 0; k < 6; ++k)
    if (LowerAscii(tag[1 + k]) != "script"[k]) return false;
  const char after = tag[7];
  return IsSpace(after) || after == '>' || after == '/';
}

// The page with every stretch of plain text between two tags that is
// longer than a stand-in replaced by one, the blanks at either end kept as
// they are (before its first letter the parser may still be in the
// document's head, where blanks stay and a letter opens the body).
// Comments and scripts are copied as they are: a stand-in there would only
// send the page back to the plain reading.
std::string WithStandIns(std::string_view html, Stretches& stretches) {
  std::string out;
  out.reserve(html.size() / 2);
  const auto addStretch = [&](std::string_view text) {
    std::size_t start = 0, end = text.size();
    while (start < end && IsSpace(text[start])) ++start;
    while (end > start && IsSpace(text[end - 1])) --end;
    const std::string_view core = text.substr(start, end - start);
    if (core.size() <= kStandInBytes || stretches.size() >= kMostStandIns || !PassesAsItStands(core)) {
      out.append(text);
      return;
    }
    out.append(text.substr(0, start));
    AppendStandIn(out, stretches.size());
    stretches.push_back(core);
    out.append(text.substr(end));
  };
  std::size_t i = 0;
  while (i < html.size()) {
    const std::size_t open = std::min(html.find('<', i), html.size());
    addStretch(html.substr(i, open - i));
    if (open == html.size()) break;
    std::size_t end;
    if (html.substr(open).starts_with("<!--")) {
      const std::size_t close = html.find("-->", open + 4);
      end = close == std::string_view::npos ? html.size() : close + 3;
    } else {
      const std::size_t close = html.find('>', open);
      end = close == std::string_view::npos ? html.size() : close + 1;
      if (OpensScript(html.substr(open, end - open))) end = CloseTag(html, end, "script");
    }
    out.append(html.substr(open, end - open));
    i = end;
  }
  return out;
}

// Whether every stand-in of `count` came out exactly once, in a text node
// that is not a script's.
bool EveryStandInIsText(const GumboNode* root, std::size_t count) {
  std::vector<bool> seen(count, false);
  std::size_t found = 0;
  std::vector<const GumboNode*> stack{root};
  while (!stack.empty()) {
    const GumboNode* node = stack.back();
    stack.pop_back();
    switch (node->type) {
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_WHITESPACE:
      case GUMBO_NODE_CDATA: {
        const std::string_view text(node->v.text.text);
        std::size_t at = text.find(kStandInLead);
        if (at == std::string_view::npos) break;
        const GumboNode* parent = node->parent;
        if (node->type != GUMBO_NODE_TEXT ||
            (parent != nullptr && parent->type == GUMBO_NODE_ELEMENT && parent->v.element.tag == GUMBO_TAG_SCRIPT))
          return false;
        for (; at != std::string_view::npos; at = text.find(kStandInLead, at + kStandInBytes)) {
          const std::size_t number = StandInAt(text, at);
          if (number >= count || seen[number]) return false;
          seen[number] = true;
          ++found;
        }
        break;
      }
      case GUMBO_NODE_ELEMENT:
      case GUMBO_NODE_TEMPLATE:
      case GUMBO_NODE_DOCUMENT: {
        const GumboVector& children = node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children
                                                                        : node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) stack.push_back(static_cast<const GumboNode*>(children.data[i]));
        break;
      }
      case GUMBO_NODE_COMMENT:
        break;
    }
  }
  return found == count;
}

// Walks the tree with an explicit stack: a page may nest elements deeper
// than the call stack would allow.
void CollectText(const GumboNode* start, TextSink& sink, const Stretches* stretches) {
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
        AddText(sink, node->v.text.text, stretches);
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
  if (Lower(page.substr(0, 5)) == "<?xml") {
    const std::string lower = Lower(page);
    const std::size_t end = lower.find("?>");
    const std::size_t at = lower.find("encoding");
    if (at != std::string::npos && at < end) {
      if (std::string label = LabelAfter(lower, at + 8); !label.empty()) return label;
    }
  }
  // Only the meta tags are lower-cased, not the whole page.
  const auto metaAt = [&](std::size_t from) {
    for (std::size_t at = page.find('<', from); at != std::string_view::npos; at = page.find('<', at + 1))
      if (Lower(page.substr(at + 1, 4)) == "meta") return at;
    return std::string_view::npos;
  };
  for (std::size_t at = metaAt(0); at != std::string_view::npos; at = metaAt(at + 5)) {
    const std::size_t end = std::min(page.find('>', at), page.size());
    const std::string tag = Lower(page.substr(at, end - at));
    const std::size_t charset = tag.find("charset");
    if (charset == std::string::npos) continue;
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

namespace {

GumboOptions ParseOptions() {
  GumboOptions options = kGumboDefaultOptions;
  // Recording parse errors costs more than the parse itself on broken
  // pages, and nothing reads them.
  options.max_errors = 0;
  return options;
}

PageText TreeText(const GumboOutput& output, const Stretches* stretches) {
  PageText text;
  TextSink body;
  CollectText(output.document, body, stretches);
  text.body = body.Take();
  if (const GumboNode* title = FindTitle(output.root)) {
    TextSink sink;
    for (unsigned i = 0; i < title->v.element.children.length; ++i) {
      const auto* child = static_cast<const GumboNode*>(title->v.element.children.data[i]);
      if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
        AddText(sink, child->v.text.text, stretches);
    }
    text.title = sink.Take();
  }
  return text;
}

// Pages that nest too deep for the parser are read without their markup.
std::string_view Readable(std::string_view utf8Html, std::string& flat) {
  if (!NestsTooDeep(utf8Html)) return utf8Html;
  flat = WithoutMarkup(utf8Html);
  return flat;
}

std::optional<PageText> QuickText(std::string_view html) {
  if (html.find(kStandInLead) != std::string_view::npos || NamesAStandIn(html)) return std::nullopt;
  Stretches stretches;
  const std::string marked = WithStandIns(html, stretches);
  const GumboOptions options = ParseOptions();
  GumboOutput* output = gumbo_parse_with_options(&options, marked.data(), marked.size());
  if (output == nullptr) return std::nullopt;
  std::optional<PageText> text;
  if (EveryStandInIsText(output->document, stretches.size())) text = TreeText(*output, &stretches);
  gumbo_destroy_output(&options, output);
  return text;
}

PageText PlainText(std::string_view html) {
  const GumboOptions options = ParseOptions();
  GumboOutput* output = gumbo_parse_with_options(&options, html.data(), html.size());
  if (output == nullptr) return {};
  PageText text = TreeText(*output, nullptr);
  gumbo_destroy_output(&options, output);
  return text;
}

}  // namespace

PageText VisibleText(std::string_view utf8Html) {
  std::string flat;
  const std::string_view html = Readable(utf8Html, flat);
  if (std::optional<PageText> quick = QuickText(html)) return std::move(*quick);
  return PlainText(html);
}

PageText VisibleTextPlain(std::string_view utf8Html) {
  std::string flat;
  return PlainText(Readable(utf8Html, flat));
}

std::optional<PageText> VisibleTextQuick(std::string_view utf8Html) {
  std::string flat;
  return QuickText(Readable(utf8Html, flat));
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
