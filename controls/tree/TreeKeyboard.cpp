#include "controls/tree/TreeKeyboard.h"

#include <algorithm>

namespace tree {

namespace {

const TreeItem* ItemOf(const std::vector<TreeItem>& items, std::int32_t e) {
  if (e < 0 || static_cast<std::size_t>(e) >= items.size()) return nullptr;
  return &items[static_cast<std::size_t>(e)];
}

// Position of entry e among the visible rows (element 0 is the placeholder),
// or 0 when it is not one of them.
std::size_t PositionOf(const std::vector<std::int32_t>& visibleRows, std::int32_t e) {
  for (std::size_t k = 1; k < visibleRows.size(); ++k)
    if (visibleRows[k] == e) return k;
  return 0;
}

// The entry e hangs under: the nearest entry before it one level up.
std::int32_t ParentOf(const std::vector<TreeItem>& items, std::int32_t e) {
  const TreeItem* item = ItemOf(items, e);
  if (!item || item->Level <= 0) return -1;
  for (std::int32_t k = e - 1; k >= 0; --k)
    if (items[static_cast<std::size_t>(k)].Level == item->Level - 1) return k;
  return -1;
}

// One code point from UTF-8 at text[at], moving at past it; a broken byte
// reads as itself.
char32_t NextCodePoint(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
  if (length == 0 || at + length > text.size()) {
    ++at;
    return lead;
  }
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      ++at;
      return lead;
    }
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  at += length;
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::int32_t EffectiveKeyboardRow(const std::vector<TreeItem>& items, const std::vector<std::int32_t>& visibleRows,
                                  std::int32_t row, std::int32_t selected) {
  if (visibleRows.size() < 2) return -1;
  for (std::int32_t e = row; e >= 0; e = ParentOf(items, e))
    if (PositionOf(visibleRows, e) != 0) return e;
  if (selected >= 0 && PositionOf(visibleRows, selected) != 0) return selected;
  return visibleRows[1];
}

std::int32_t RowsPerPage(const std::vector<TreeItem>& items, const std::vector<std::int32_t>& visibleRows,
                         std::int32_t current, std::int32_t viewHeight, bool upward) {
  const TreeItem* from = ItemOf(items, current);
  const std::size_t start = PositionOf(visibleRows, current);
  if (!from || start == 0) return 1;
  const long long top = from->RowTop, bottom = top + from->RowHeight;
  const auto fits = [&](const TreeItem& item) {
    return upward ? item.RowTop >= bottom - viewHeight
                  : static_cast<long long>(item.RowTop) + item.RowHeight <= top + viewHeight;
  };
  std::int32_t fit = 0;
  for (std::size_t k = start; k >= 1 && k < visibleRows.size(); upward ? --k : ++k) {
    const TreeItem* item = ItemOf(items, visibleRows[k]);
    if (!item || !fits(*item)) break;
    ++fit;
  }
  return std::max(fit, 1);
}

KeyAction KeyActionFor(drawing::Key key, const std::vector<TreeItem>& items,
                       const std::vector<std::int32_t>& visibleRows, std::int32_t current, std::int32_t rowsPerPage) {
  const std::size_t at = PositionOf(visibleRows, current);
  const TreeItem* item = ItemOf(items, current);
  if (at == 0 || !item) return {};
  const long long last = static_cast<long long>(visibleRows.size()) - 1;
  const auto moveTo = [&](long long position) {
    return KeyAction{KeyAction::Move, visibleRows[static_cast<std::size_t>(std::clamp(position, 1LL, last))]};
  };
  const long long page = std::max(rowsPerPage, 1);
  const long long here = static_cast<long long>(at);
  switch (key) {
    case drawing::Key::Up: return moveTo(here - 1);
    case drawing::Key::Down: return moveTo(here + 1);
    case drawing::Key::Home: return moveTo(1);
    case drawing::Key::End: return moveTo(last);
    case drawing::Key::PageUp: return moveTo(here - page);
    case drawing::Key::PageDown: return moveTo(here + page);
    case drawing::Key::Right:
      if (!item->HasChildren) return {};
      if (!item->IsOpen) return {KeyAction::Open, current};
      // The first child follows its open section among the visible rows.
      if (here < last) {
        const std::int32_t next = visibleRows[at + 1];
        if (ParentOf(items, next) == current) return {KeyAction::Move, next};
      }
      return {};
    case drawing::Key::Left:
      if (item->HasChildren && item->IsOpen) return {KeyAction::Close, current};
      if (const std::int32_t parent = ParentOf(items, current); parent >= 0 && PositionOf(visibleRows, parent) != 0)
        return {KeyAction::Move, parent};
      return {};
    case drawing::Key::Enter:
    case drawing::Key::Space: return {KeyAction::Choose, current};
    default: return {};
  }
}

std::string_view TypeAheadName(std::string_view name) {
  // Digits, then "-bet", then the blanks before the name; spaces around the
  // dash are allowed, as the page list writes them.
  std::size_t at = 0;
  const auto skipBlanks = [&] {
    while (at < name.size() && name[at] == ' ') ++at;
  };
  skipBlanks();
  const std::size_t digits = at;
  while (at < name.size() && name[at] >= '0' && name[at] <= '9') ++at;
  if (at == digits) return name;
  skipBlanks();
  constexpr std::string_view kBet = "-bet";
  if (name.substr(at, kBet.size()) != kBet) return name;
  at += kBet.size();
  skipBlanks();
  return name.substr(at);
}

std::string FoldCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t c = NextCodePoint(utf8, at);
    if (c >= U'A' && c <= U'Z')
      c += 0x20;
    else if (c >= 0x0410 && c <= 0x042F)  // А..Я
      c += 0x20;
    else if (c >= 0x0400 && c <= 0x040F)  // Ѐ..Џ, Ё among them
      c += 0x50;
    AppendUtf8(out, c);
  }
  return out;
}

bool TypeAheadBuffer::OneLetterRepeated() const {
  std::size_t at = 0;
  std::size_t letters = 0;
  std::string_view first;
  while (at < typed_.size()) {
    const std::size_t start = at;
    NextCodePoint(typed_, at);
    const std::string_view letter(typed_.data() + start, at - start);
    if (letters++ == 0)
      first = letter;
    else if (letter != first)
      return false;
  }
  return letters > 1;
}

std::int32_t TypeAheadMatch(const std::vector<TreeItem>& items, const std::vector<std::int32_t>& visibleRows,
                            std::int32_t current, std::string_view prefix, bool includeCurrent) {
  const std::size_t count = visibleRows.size() > 0 ? visibleRows.size() - 1 : 0;
  if (count == 0 || prefix.empty()) return -1;
  const std::string wanted = FoldCase(prefix);
  std::size_t start = PositionOf(visibleRows, current);
  if (start == 0) start = 1;
  for (std::size_t n = includeCurrent ? 0 : 1; n <= count; ++n) {
    const std::size_t k = (start - 1 + n) % count + 1;
    const TreeItem* item = ItemOf(items, visibleRows[k]);
    if (!item) continue;
    if (FoldCase(TypeAheadName(item->Texts[1])).rfind(wanted, 0) == 0) return visibleRows[k];
  }
  return -1;
}

MarkerRect FocusRectFor(std::int32_t kvadrat, const TreeItem& item, std::int32_t scrollValue, std::int32_t halfIndent,
                        std::int32_t available) {
  return MarkerFor(kvadrat == 1 ? 1 : 0, item, scrollValue, halfIndent, available, {});
}

}  // namespace tree
