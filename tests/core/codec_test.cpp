// The page codec (Base64 in CR LF lines of 64) and the Windows-1251 text
// conversion of the book file.
#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>
#include <vector>

#include "reader/core/Base64.h"
#include "reader/core/Cp1251.h"

namespace {

using namespace std::string_literals;
using reader::Base64ToBytes;
using reader::BytesToBase64;

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(byte(rng));
  return out;
}

std::vector<std::string> SplitCrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string WithoutBreaks(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r' && c != '\n') out.push_back(c);
  return out;
}

// ---------------------------------------------------------------- Base64

TEST(Base64Encode, HundredBytesMakeThreeLinesOf64_64_8) {
  std::string page(100, '\0');
  for (int i = 0; i < 100; ++i) page[i] = static_cast<char>(i * 7 + 3);
  const std::string text = BytesToBase64(page);
  EXPECT_EQ(text.size(), 142u);
  const auto lines = SplitCrLfLines(text);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), 64u);
  EXPECT_EQ(lines[1].size(), 64u);
  EXPECT_EQ(lines[2].size(), 8u);
  EXPECT_EQ(lines[2].substr(6), "==");  // 100 = 33 * 3 + 1
  EXPECT_EQ(Base64ToBytes(text), page);
}

TEST(Base64Encode, StandardVectorsWithPaddingAndLineEnd) {
  // The test vectors of RFC 4648, each as one CR LF line.
  const std::pair<const char*, const char*> vectors[] = {
      {"f", "Zg=="},     {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, coded] : vectors) {
    EXPECT_EQ(BytesToBase64(plain), std::string(coded) + "\r\n") << plain;
    EXPECT_EQ(Base64ToBytes(std::string(coded) + "\r\n"), plain) << coded;
    EXPECT_EQ(Base64ToBytes(coded), plain) << coded << " without the line end";
  }
  EXPECT_EQ(BytesToBase64(""), "");
  EXPECT_EQ(Base64ToBytes(""), "");
  // The last of the 64 alphabet characters and the top bit patterns.
  EXPECT_EQ(BytesToBase64(std::string("\xFB\xFF\xBF", 3)), "+/+/\r\n");
  EXPECT_EQ(Base64ToBytes("+/+/\r\n"), std::string("\xFB\xFF\xBF", 3));
}

TEST(Base64Encode, RoundTripsEverySizeWithExactLineLayout) {
  std::mt19937 rng(1234);
  std::vector<std::size_t> sizes = {0, 1, 2, 3, 45, 46, 47, 48, 49, 50, 95, 96, 97, 144, 4095, 4096, 5000};
  std::uniform_int_distribution<std::size_t> any(0, 5000);
  for (int i = 0; i < 200; ++i) sizes.push_back(any(rng));
  for (std::size_t n : sizes) {
    SCOPED_TRACE("size " + std::to_string(n));
    const std::string bytes = RandomBytes(rng, n);
    const std::string text = BytesToBase64(bytes);
    const std::size_t chars = (n + 2) / 3 * 4;
    const std::size_t lineCount = (chars + 63) / 64;
    ASSERT_EQ(text.size(), chars + 2 * lineCount);
    const auto lines = SplitCrLfLines(text);
    ASSERT_EQ(lines.size(), lineCount);
    for (std::size_t l = 0; l < lines.size(); ++l)
      ASSERT_EQ(lines[l].size(), l + 1 < lines.size() ? 64u : chars - 64 * (lineCount - 1)) << "line " << l;
    ASSERT_EQ(Base64ToBytes(text), bytes);
  }
}

TEST(Base64Decode, LineBreaksAnywhereAreSkipped) {
  std::mt19937 rng(99);
  const std::string bytes = RandomBytes(rng, 3000);
  const std::string text = BytesToBase64(bytes);
  const std::string flat = WithoutBreaks(text);
  EXPECT_EQ(Base64ToBytes(flat), bytes) << "no breaks at all";
  // Lines of another length, LF only, CR only, doubled breaks.
  for (std::size_t width : {1u, 3u, 4u, 63u, 65u, 76u, 128u}) {
    for (const char* br : {"\r\n", "\n", "\r", "\r\n\r\n"}) {
      std::string rewrapped;
      for (std::size_t i = 0; i < flat.size(); i += width) rewrapped += flat.substr(i, width) + br;
      ASSERT_EQ(Base64ToBytes(rewrapped), bytes) << "width " << width;
    }
  }
  // Breaks at random places, also inside the padding and before the text.
  const std::string shortText = BytesToBase64("hello world");  // ends in "="
  const std::string shortFlat = WithoutBreaks(shortText);
  for (std::size_t at = 0; at <= shortFlat.size(); ++at) {
    for (const char* br : {"\r", "\n", "\r\n"}) {
      std::string t = shortFlat;
      t.insert(at, br);
      ASSERT_EQ(Base64ToBytes(t), "hello world") << "break at " << at;
    }
  }
  std::uniform_int_distribution<std::size_t> pos(0, flat.size());
  for (int round = 0; round < 50; ++round) {
    std::string t = flat;
    for (int k = 0; k < 40; ++k) t.insert(pos(rng) % (t.size() + 1), (k & 1) ? "\n" : "\r");
    ASSERT_EQ(Base64ToBytes(t), bytes) << "round " << round;
  }
}

TEST(Base64Decode, AnyForeignCharacterEmptiesTheWholeResult) {
  std::mt19937 rng(7);
  const std::string bytes = RandomBytes(rng, 1000);  // 1000 = 333 * 3 + 1: ends in "=="
  const std::string text = BytesToBase64(bytes);
  ASSERT_EQ(Base64ToBytes(text), bytes);
  const std::string foreign[] = {" ", "\t", std::string(1, '\0'), "-", "_", ".", "\x80", "\xFF", "\xC0", "\x1A"};
  // Positions in the first full line, in a middle line, in the last line and
  // right before the padding.
  const std::size_t places[] = {0, 5, 63, 66 * 7 + 10, text.size() - 9, text.size() - 5, text.size() - 4};
  for (const std::string& f : foreign) {
    for (std::size_t at : places) {
      std::string replaced = text;
      replaced.replace(at, 1, f);
      EXPECT_EQ(Base64ToBytes(replaced), "") << "replaced at " << at << " by byte " << int(f[0]);
      std::string inserted = text;
      inserted.insert(at, f);
      EXPECT_EQ(Base64ToBytes(inserted), "") << "inserted at " << at << " byte " << int(f[0]);
    }
  }
}

TEST(Base64Decode, PaddingIsStrict) {
  const char* bad[] = {
      "=",        "==",        "===",       "====",       "Z===",   "=g==",      "Z=g=",
      "Zg=a",     "Zm=v",      "Zm9v=",     "Zm9v====",   "Zg===",  "Zg==Zm9v", "Zg==\r\nZm9v\r\n",
      "Zg==\r\n=\r\n", "Zg==Zg==", "Zm8=A",   "Zm9vZg=",    "Zm9vZ=",
  };
  for (const char* t : bad) EXPECT_EQ(Base64ToBytes(t), "") << t;
  // A '=' in the middle of an otherwise valid full 64-character line.
  std::string line = WithoutBreaks(BytesToBase64(std::string(48, 'x')));
  ASSERT_EQ(line.size(), 64u);
  line[20] = '=';
  EXPECT_EQ(Base64ToBytes(line + "\r\n" + line + "\r\n"), "");
  EXPECT_EQ(Base64ToBytes(line + "\r\n"), "");
}

TEST(Base64Decode, LeftoverBitsMustBeZero) {
  // "Zg==" is 'f'; 'h' sets one of the four bits a 1-byte group leaves over.
  EXPECT_EQ(Base64ToBytes("Zg=="), "f");
  for (const char* t : {"Zh==", "Zv==", "Z/==", "Zm9=", "Zm/=", "Zm8vZh=="}) EXPECT_EQ(Base64ToBytes(t), "") << t;
  // Every third character for a 2-byte group: only those with the low two bits clear pass.
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t v = 0; v < 64; ++v) {
    const std::string group = std::string("Zm") + alphabet[v] + "=";
    EXPECT_EQ(Base64ToBytes(group).size(), (v & 3) == 0 ? 2u : 0u) << group;
  }
}

TEST(Base64Decode, TruncatedGroupsAreRefused) {
  std::mt19937 rng(5);
  const std::string text = BytesToBase64(RandomBytes(rng, 300));  // 400 characters, no padding
  const std::string flat = WithoutBreaks(text);
  for (std::size_t cut = 1; cut < flat.size(); ++cut) {
    const std::string prefix = flat.substr(0, cut);
    const std::string decoded = Base64ToBytes(prefix);
    if (cut % 4 == 0)
      EXPECT_EQ(decoded.size(), cut / 4 * 3) << "cut " << cut;
    else
      EXPECT_EQ(decoded, "") << "cut " << cut;
  }
}

TEST(Base64Decode, ContentsListTextIsNotAPage) {
  // Slot 139 may hold the contents list instead of a page: TAB-indented CR LF
  // lines of NUL-separated Windows-1251 fields.
  const std::string contents = "\xC3\xEB\xE0\xE2\xE0 1\0" "0\0" "1\r\n\t\xD2\xE5\xEC\xE0\0" "1\0" "2\r\n"s;
  EXPECT_EQ(Base64ToBytes(contents), "");
  // Even one made of alphabet letters only, when they do not form whole groups.
  EXPECT_EQ(Base64ToBytes("Chapter\r\nPage\r\n"), "");
}

// ---------------------------------------------------------------- Cp1251

// The C library's own Windows-1251 table, as an independent reference.
std::string IconvConvert(const char* to, const char* from, const std::string& in, bool* ok) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *ok = false;
    return {};
  }
  std::string out(in.size() * 4 + 4, '\0');
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  *ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

TEST(Cp1251, EveryByteRoundTripsExcept0x98) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE("byte " + std::to_string(b));
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = reader::Cp1251ToUtf8(byte);
    bool lossless = true;
    const std::string back = reader::Utf8ToCp1251(utf8, &lossless);
    if (b == 0x98) {
      EXPECT_EQ(utf8, "\xEF\xBF\xBD");  // U+FFFD
      EXPECT_EQ(back, "?");
      EXPECT_FALSE(lossless);
      continue;
    }
    bool known = false;
    const std::string reference = IconvConvert("UTF-8", "CP1251", byte, &known);
    ASSERT_TRUE(known);
    EXPECT_EQ(utf8, reference);
    EXPECT_EQ(back, byte);
    EXPECT_TRUE(lossless);
  }
}

TEST(Cp1251, CyrillicLettersAndSigns) {
  const std::string utf8 = "\xD0\x90\xD0\xAF\xD0\xB0\xD1\x8F\xD0\x81\xD1\x91\xE2\x84\x96";  // АЯаяЁё№
  const std::string cp = "\xC0\xDF\xE0\xFF\xA8\xB8\xB9";
  bool lossless = false;
  EXPECT_EQ(reader::Utf8ToCp1251(utf8, &lossless), cp);
  EXPECT_TRUE(lossless);
  EXPECT_EQ(reader::Cp1251ToUtf8(cp), utf8);
  // A whole name with ASCII, NUL and CR LF in between keeps its shape.
  const std::string name = "\xC3\xEB\xE0\xE2\xE0 12. \xB9\0" "3\r\n"s;
  EXPECT_EQ(reader::Utf8ToCp1251(reader::Cp1251ToUtf8(name), &lossless), name);
  EXPECT_TRUE(lossless);
}

TEST(Cp1251, UnrepresentableCharactersBecomeQuestionMarks) {
  bool lossless = true;
  // U+4E2D (three bytes) and U+1F600 (four bytes) each become one '?'.
  EXPECT_EQ(reader::Utf8ToCp1251("a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80" "c", &lossless), "a?b?c");
  EXPECT_FALSE(lossless);
  // The flag is set afresh by every call, not only cleared.
  EXPECT_EQ(reader::Utf8ToCp1251("plain", &lossless), "plain");
  EXPECT_TRUE(lossless);
  // A real '?' keeps the conversion lossless.
  EXPECT_EQ(reader::Utf8ToCp1251("why?", &lossless), "why?");
  EXPECT_TRUE(lossless);
  EXPECT_EQ(reader::Utf8ToCp1251("\xE2\x82\xAC"), "\x88");  // the euro sign does fit
}

TEST(Cp1251, MalformedUtf8CountsAsUnrepresentable) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x80", "?"},                   // stray continuation byte
      {"A\xD0", "A?"},                 // sequence cut at the end
      {"\xD0" "A", "?A"},              // lead byte without continuation; 'A' survives
      {"\xE2\x84" "B", "?B"},          // three-byte sequence cut short
      {"\xFF\xFE", "??"},              // bytes that never occur in UTF-8
      {"\xC0\x80", "?"},               // overlong NUL
      {"\xC1\x81", "?"},               // overlong 'A'
      {"\xE0\x80\xAF", "?"},           // overlong '/'
      {"\xF0\x80\x81\x81", "?"},       // overlong 'A' in four bytes
      {"\xED\xA0\x80", "?"},           // a UTF-16 surrogate
      {"\xF4\x90\x80\x80", "?"},       // beyond U+10FFFF
  };
  for (const auto& [in, out] : cases) {
    bool lossless = true;
    EXPECT_EQ(reader::Utf8ToCp1251(in, &lossless), out) << testing::PrintToString(in);
    EXPECT_FALSE(lossless) << testing::PrintToString(in);
  }
}

}  // namespace
