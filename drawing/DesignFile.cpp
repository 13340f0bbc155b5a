#include "drawing/DesignFile.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace drawing {
namespace {

class LineParser {
 public:
  LineParser(std::string_view text, int line) : text_(text), line_(line) {}

  [[noreturn]] void Fail(const std::string& what) const { throw DesignError(line_, what); }

  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  bool AtEnd() {
    SkipSpace();
    return pos_ >= text_.size() || text_[pos_] == '#';
  }
  bool Accept(char c) {
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  void Expect(char c) {
    if (!Accept(c)) Fail(std::string("expected '") + c + "'");
  }
  std::string Word() {
    SkipSpace();
    const std::size_t start = pos_;
    while (pos_ < text_.size() &&
           (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_' || text_[pos_] == '.'))
      ++pos_;
    if (start == pos_) Fail("expected a name");
    return std::string(text_.substr(start, pos_ - start));
  }
  std::string String() {
    SkipSpace();
    if (pos_ >= text_.size() || text_[pos_] != '"') Fail("expected a quoted text");
    ++pos_;
    std::string out;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      char c = text_[pos_++];
      if (c == '\\') {
        if (pos_ >= text_.size()) break;
        c = text_[pos_++];
        if (c == 'n') c = '\n';
        else if (c == 't') c = '\t';
        else if (c != '"' && c != '\\') Fail("unknown escape");
      }
      out.push_back(c);
    }
    if (pos_ >= text_.size()) Fail("unterminated text");
    ++pos_;
    return out;
  }
  long long Integer() {
    SkipSpace();
    bool negative = false;
    if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) negative = text_[pos_++] == '-';
    int base = 10;
    if (text_.substr(pos_, 2) == "0x" || text_.substr(pos_, 2) == "0X") {
      base = 16;
      pos_ += 2;
    }
    unsigned long long v = 0;
    auto [end, ec] = std::from_chars(text_.data() + pos_, text_.data() + text_.size(), v, base);
    if (ec != std::errc() || end == text_.data() + pos_) Fail("expected a number");
    pos_ = static_cast<std::size_t>(end - text_.data());
    if (v > 0xFFFFFFFFull) Fail("number out of range");
    return negative ? -static_cast<long long>(v) : static_cast<long long>(v);
  }
  double Decimal() {
    SkipSpace();
    double v = 0;
    auto [end, ec] = std::from_chars(text_.data() + pos_, text_.data() + text_.size(), v);
    if (ec != std::errc() || end == text_.data() + pos_) Fail("expected a number");
    pos_ = static_cast<std::size_t>(end - text_.data());
    return v;
  }
  bool PeekQuote() {
    SkipSpace();
    return pos_ < text_.size() && text_[pos_] == '"';
  }
  bool PeekNumber() {
    SkipSpace();
    return pos_ < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[pos_])) ||
                                   text_[pos_] == '-' || text_[pos_] == '+');
  }

 private:
  std::string_view text_;
  int line_;
  std::size_t pos_ = 0;
};

Font ParseFont(LineParser& p) {
  Font font;
  p.Expect('(');
  font.face = p.String();
  p.Expect(',');
  font.sizePoints = p.Decimal();
  p.Expect(',');
  font.weight = static_cast<int>(p.Integer());
  p.Expect(',');
  font.charset = static_cast<int>(p.Integer());
  while (p.Accept(',')) {
    const std::string flag = p.Word();
    if (flag == "italic") font.italic = true;
    else if (flag == "underline") font.underline = true;
    else if (flag == "strikeout") font.strikeout = true;
    else p.Fail("unknown font flag " + flag);
  }
  p.Expect(')');
  return font;
}

PropertyValue ParseValue(LineParser& p, const PictureLoader& loadPicture) {
  if (p.PeekQuote()) return p.String();
  if (p.PeekNumber()) {
    const long long v = p.Integer();
    // Colours are written as unsigned hexadecimal; they keep their bits.
    if (v < std::numeric_limits<std::int32_t>::min()) p.Fail("number out of range");
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  }
  const std::string word = p.Word();
  if (word == "true") return true;
  if (word == "false") return false;
  if (word == "font") return ParseFont(p);
  if (word == "picture") {
    p.Expect('(');
    const std::string name = p.String();
    p.Expect(')');
    PicturePtr picture = loadPicture ? loadPicture(name) : nullptr;
    if (!picture) p.Fail("picture \"" + name + "\" cannot be loaded");
    return picture;
  }
  p.Fail("unknown value " + word);
}

}  // namespace

Design Design::Parse(std::string_view text, const PictureLoader& loadPicture) {
  Design design;
  PropertyBag* current = nullptr;
  int lineNo = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++lineNo;
    start = end + 1;
    LineParser p(line, lineNo);
    if (p.AtEnd()) continue;
    if (p.Accept('[')) {
      const std::string name = p.Word();
      p.Expect(']');
      if (!p.AtEnd()) p.Fail("text after a section name");
      current = &design.MutableSection(name);
      continue;
    }
    if (!current) p.Fail("a property before any section");
    const std::string key = p.Word();
    p.Expect('=');
    PropertyValue value = ParseValue(p, loadPicture);
    if (!p.AtEnd()) p.Fail("text after the value of " + key);
    current->Set(key, std::move(value));
  }
  return design;
}

const PropertyBag& Design::Section(std::string_view name) const {
  static const PropertyBag empty;
  auto it = sections_.find(name);
  return it == sections_.end() ? empty : it->second;
}

PropertyBag& Design::MutableSection(std::string_view name) {
  auto it = sections_.find(name);
  if (it != sections_.end()) return it->second;
  names_.emplace_back(name);
  return sections_.emplace(std::string(name), PropertyBag{}).first->second;
}

}  // namespace drawing
