// Writes the seed corpus of every fuzz target: small inputs made here from
// the book's own formats (well-formed, cut short, and bent at the places the
// readers check), so a fuzzer starts from the interesting shapes.
//   fuzz_seeds DIR  ->  DIR/base64_fuzz/..., DIR/book_fuzz/..., ...
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "reader/core/Base64.h"
#include "reader/core/Cp1251.h"
#include "reader/core/PageStore.h"
#include "reader/packing/Packing.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// Bytes 0..n-1 of a fixed, byte-rich pattern.
std::string Pattern(std::size_t n, unsigned step = 37) {
  std::string out(n, '\0');
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>((i * step + 11) & 0xFF);
  return out;
}

// An outline in Windows-1251: a section with Cyrillic titles, page entries
// at two depths, a heading between pages and a final CR LF.
const std::string kOutline =
    "\xD0\xE0\xE7\xE4\xE5\xEB 1\t\r\n"
    "`\xCF\xE5\xF0\xE2\xE0\xFF\ta.html\r\n"
    "``\xC2\xF2\xEE\xF0\xE0\xFF\tb.html\r\n"
    "\xD0\xE0\xE7\xE4\xE5\xEB 2\tnote\r\n"
    "`\xD2\xF0\xE5\xF2\xFC\xFF\tc.html\r\n";

std::vector<std::pair<std::string, std::string>> OutlineSeeds() {
  return {
      {"outline", kOutline},
      {"empty", ""},
      {"no_tab", "`title without tab\r\nHeading\tx\r\n"},
      {"two_tabs", "Heading\ta\tb\r\n`Page\tc\td"},
      {"blank_lines", "\r\n\r\nA\t\r\n\r\n`B\t\r\n"},
      {"lone_breaks", "A\tx\n`B\ty\r`C\tz"},
      {"backtick_joins_break", "A\t\r`\n`B\tx\r\n"},
      {"hole_byte", "\x98\tx\r\n`\x98\t\x98"},
      {"deep", "A\t\r\n`B\t\r\n``C\t\r\n```D\t\r\n`E\t"},
  };
}

std::vector<std::pair<std::string, std::string>> ContentsSeeds() {
  std::vector<std::pair<std::string, std::string>> seeds;
  for (const auto& [name, outline] : OutlineSeeds()) seeds.emplace_back(name, reader::Cp1251ToUtf8(reader::BuildContents(outline)));
  seeds.emplace_back("jump_two_levels", "A\0x\0" "0\r\n\t\tB\0y\0" "1"s);
  seeds.emplace_back("starts_deep", "\tA\0x\0" "1"s);
  seeds.emplace_back("many_fields", "A\0" "1\0" "2\0" "3\0" "4\0" "5\0" "6\0" "7\0" "8\0" "9\0" "10\r\n\tB"s);
  seeds.emplace_back("blank_only", "   \r\n  ");
  return seeds;
}

std::vector<std::pair<std::string, std::string>> Base64Seeds() {
  return {
      {"empty", ""},
      {"man", reader::BytesToBase64("Man")},
      {"page_100", reader::BytesToBase64(Pattern(100))},
      {"page_300", reader::BytesToBase64(Pattern(300, 101))},
      {"one_pad", reader::BytesToBase64("ab")},
      {"two_pads", reader::BytesToBase64("a")},
      {"no_breaks", "TWFuTWFu"},
      {"bad_char", "TW*u\r\n"},
      {"bad_padding", "TW=u\r\n"},
      {"leftover_bits", "TWF=\r\n"},
      {"surplus_padding", "TQ===\r\n"},
      {"breaks_inside", "T\rW\nF\r\nu"},
      {"html_page", reader::BytesToBase64("<html><body style=\"background-color:#fff5d2\">\xCF\xF0\xE8</body></html>")},
  };
}

std::vector<std::pair<std::string, std::string>> BookSeeds() {
  reader::PageStore book;
  book.SetSlot(0, "slot zero");
  book.SetSlot(1, reader::BytesToBase64("<p>one</p>"));
  book.SetSlot(2, reader::BytesToBase64(Pattern(120)));
  book.SetSlot(139, reader::BuildContents(kOutline));
  const std::string whole = reader::SerializeBook(book);
  return {
      {"empty", ""},
      {"empty_book", reader::SerializeBook(reader::PageStore{})},
      {"small_book", whole},
      {"tail_after_last_slot", whole + "tail"},
      {"cut_in_length", whole.substr(0, 1)},
      {"cut_in_slot", whole.substr(0, 20)},
      {"cut_before_contents", whole.substr(0, whole.size() - book.Slot(139).size() - 2)},
      {"length_past_end", "\x02\x00" "ok" "\x05\x00" "AB"s},
      {"escape_cut", "\x00\x00" "\xFF\xFF\x10"s},
      {"escape_short_slot", "\xFF\xFF\x03\x00\x00\x00" "abc"s + std::string(2 * 139, '\0')},
      {"escape_huge_claim", "\xFF\xFF\xF0\xFF\xFF\xFF" "short"s},
  };
}

// A page, a NUL, a query.
std::vector<std::pair<std::string, std::string>> SearchSeeds() {
  return {
      {"page_only", "<html><head><title>T</title><style>p{}</style></head><body><p>\xC3\xEB\xE8\xED\xE0</p></body>"},
      {"page_and_query", "<meta charset=utf-8><p>\xD0\xB3\xD0\xBB\xD0\xB8\xD0\xBD\xD0\xB0 &amp; x</p>"s + '\0' +
                             "\xD0\xB3\xD0\xBB\xD0\xB8\xD0\xBD\xD0\xBE\xD0\xB9"},
      {"phrase", "<p>x</p>"s + '\0' + "\"\xD0\xB3\xD0\xBB\xD0\xB8\xD0\xBD\xD1\x8F\xD0\xBD\xD1\x8B\xD0\xB5 t"},
      {"broken_markup", "<div><b><table><td>cell</p></i><!-- open"s + '\0' + "read \"\" AND ("},
      {"deep", std::string(3000, '<') + "div>" + '\0' + "*"},
  };
}

bool WriteSeeds(const fs::path& folder, const std::vector<std::pair<std::string, std::string>>& seeds) {
  fs::create_directories(folder);
  for (const auto& [name, bytes] : seeds) {
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "%s: cannot be written\n", (folder / name).c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
    return 2;
  }
  const fs::path dir = argv[1];
  const bool ok = WriteSeeds(dir / "base64_fuzz", Base64Seeds()) && WriteSeeds(dir / "book_fuzz", BookSeeds()) &&
                  WriteSeeds(dir / "contents_fuzz", ContentsSeeds()) && WriteSeeds(dir / "outline_fuzz", OutlineSeeds()) &&
                  WriteSeeds(dir / "search_fuzz", SearchSeeds());
  return ok ? 0 : 1;
}
