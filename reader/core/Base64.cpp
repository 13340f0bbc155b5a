#include "reader/core/Base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace reader {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kLineChars = 64;
constexpr std::uint32_t kBad = 0x01000000;  // above any 24-bit group

// One table per position in a four-character group, each entry already
// shifted into place, so a group decodes with four lookups and three ORs and
// one compare catches a bad character anywhere in it.
struct DecodeTables {
  std::array<std::array<std::uint32_t, 256>, 4> shifted{};
  constexpr DecodeTables() {
    for (auto& t : shifted) t.fill(kBad);
    for (std::uint32_t i = 0; i < 64; ++i) {
      const auto c = static_cast<unsigned char>(kAlphabet[i]);
      shifted[0][c] = i << 18;
      shifted[1][c] = i << 12;
      shifted[2][c] = i << 6;
      shifted[3][c] = i;
    }
  }
};
constexpr DecodeTables kTables;

inline std::uint32_t Group(const unsigned char* p) {
  return kTables.shifted[0][p[0]] | kTables.shifted[1][p[1]] | kTables.shifted[2][p[2]] |
         kTables.shifted[3][p[3]];
}

inline void Store3(char* out, std::uint32_t g) {
  out[0] = static_cast<char>(g >> 16);
  out[1] = static_cast<char>(g >> 8);
  out[2] = static_cast<char>(g);
}

inline bool IsBreak(unsigned char c) { return c == '\r' || c == '\n'; }

// Decodes one whole 64-character line; false when any character is not in
// the alphabet (padding included), so the careful path takes over.
inline bool DecodeLine(const unsigned char* in, char* out) {
  std::uint32_t groups[16];
  std::uint32_t bad = 0;
  for (int k = 0; k < 16; ++k) {
    groups[k] = Group(in + 4 * k);
    bad |= groups[k];
  }
  if (bad & kBad) return false;
  for (int k = 0; k < 16; ++k) Store3(out + 3 * k, groups[k]);
  return true;
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
  std::string out(n / 4 * 3 + 3, '\0');
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
    // The bits a padded group leaves unused must be zero.
    if ((pad == 1 && (g & 0xFF)) || (pad == 2 && (g & 0xFFFF))) return {};
    Store3(o, g);
    o += 3 - pad;
    finished = pad > 0;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

}  // namespace reader
