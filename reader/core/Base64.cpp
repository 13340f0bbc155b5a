#include "reader/core/Base64.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace reader {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kLineChars = 64;
constexpr std::uint32_t kBad = 0xFF000000u;  // valid entries never touch the top byte

// One table per position in a four-character group, each entry holding that
// character's six bits already placed where they land in the three output
// bytes, in memory (little-endian) order. A group decodes with four lookups,
// three ORs and one unaligned 4-byte store; the top byte flags a character
// outside the alphabet anywhere in the group. Storing a 24-bit group byte by
// byte measured about 1 GiB/s of text on a 48 KiB page; this about 3.6 GiB/s.
struct DecodeTables {
  std::array<std::array<std::uint32_t, 256>, 4> placed{};
  constexpr DecodeTables() {
    for (auto& t : placed) t.fill(kBad);
    for (std::uint32_t i = 0; i < 64; ++i) {
      const auto c = static_cast<unsigned char>(kAlphabet[i]);
      placed[0][c] = i << 2;                                  // byte 0, bits 7..2
      placed[1][c] = (i >> 4) | ((i & 15) << 12);             // byte 0 bits 1..0, byte 1 bits 7..4
      placed[2][c] = ((i >> 2) << 8) | ((i & 3) << 22);       // byte 1 bits 3..0, byte 2 bits 7..6
      placed[3][c] = i << 16;                                 // byte 2, bits 5..0
    }
  }
};
constexpr DecodeTables kTables;
static_assert(std::endian::native == std::endian::little, "the tables hold bytes in little-endian order");

inline std::uint32_t Group(const unsigned char* p) {
  return kTables.placed[0][p[0]] | kTables.placed[1][p[1]] | kTables.placed[2][p[2]] | kTables.placed[3][p[3]];
}

// Writes the group's three bytes and one byte of junk after them, which the
// next group overwrites or the final resize cuts off.
inline void Store4(char* out, std::uint32_t g) { std::memcpy(out, &g, 4); }

inline bool IsBreak(unsigned char c) { return c == '\r' || c == '\n'; }

// Decodes one whole 64-character line; false when any character is not in
// the alphabet (padding included), so the careful path takes over.
inline bool DecodeLine(const unsigned char* in, char* out) {
  std::uint32_t bad = 0;
  for (int k = 0; k < 16; ++k) {
    const std::uint32_t g = Group(in + 4 * k);
    bad |= g;
    Store4(out + 3 * k, g);
  }
  return (bad & kBad) == 0;
}

}  // namespace

std::string BytesToBase64(std::string_view bytes) {
  if (bytes.empty()) return {};
  const std::size_t chars = (bytes.size() + 2) / 3 * 4;
  const std::size_t lines = (chars + kLineChars - 1) / kLineChars;
  std::string out(chars + 2 * lines, '\0');
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  char* o = out.data();
  std::size_t onLine = 0;
  auto emit = [&](char c) {
    *o++ = c;
    if (++onLine == kLineChars) {
      *o++ = '\r';
      *o++ = '\n';
      onLine = 0;
    }
  };
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t g = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
    emit(kAlphabet[g >> 18]);
    emit(kAlphabet[(g >> 12) & 63]);
    emit(kAlphabet[(g >> 6) & 63]);
    emit(kAlphabet[g & 63]);
  }
  if (const std::size_t rest = bytes.size() - i; rest > 0) {
    const std::uint32_t g = (in[i] << 16) | (rest == 2 ? in[i + 1] << 8 : 0);
    emit(kAlphabet[g >> 18]);
    emit(kAlphabet[(g >> 12) & 63]);
    emit(rest == 2 ? kAlphabet[(g >> 6) & 63] : '=');
    emit('=');
  }
  if (onLine != 0) {
    *o++ = '\r';
    *o++ = '\n';
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

std::string Base64ToBytes(std::string_view text) {
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  // One spare byte for the junk byte of the last 4-byte store.
  std::string out(n / 4 * 3 + 4, '\0');
  char* o = out.data();
  std::size_t pos = 0;
  bool finished = false;  // a padded group has been read
  while (pos < n) {
    if (!finished && pos + kLineChars + 2 <= n && in[pos + kLineChars] == '\r' &&
        in[pos + kLineChars + 1] == '\n' && DecodeLine(in + pos, o)) {
      pos += kLineChars + 2;
      o += 48;
      continue;
    }
    if (IsBreak(in[pos])) {
      ++pos;
      continue;
    }
    if (finished) return {};  // anything but line breaks after the padding
    // Gather one group of four significant characters.
    unsigned char quad[4];
    int have = 0;
    while (have < 4 && pos < n) {
      if (!IsBreak(in[pos])) quad[have++] = in[pos];
      ++pos;
    }
    if (have < 4) return {};
    int pad = 0;
    if (quad[3] == '=') pad = quad[2] == '=' ? 2 : 1;
    for (int k = 0; k < 4 - pad; ++k)
      if (quad[k] == '=') return {};
    if (pad) {
      quad[3] = 'A';
      if (pad == 2) quad[2] = 'A';
    }
    const std::uint32_t g = Group(quad);
    if (g & kBad) return {};
    // The bits a padded group leaves unused (in the bytes it does not
    // produce) must be zero.
    if ((pad == 1 && (g & 0x00FF0000u)) || (pad == 2 && (g & 0x00FFFF00u))) return {};
    Store4(o, g);
    o += 3 - pad;
    finished = pad > 0;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

}  // namespace reader
