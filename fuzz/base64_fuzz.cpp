// The page codec on any input. As page text: a decoder that refuses no valid
// text and accepts nothing else gives back bytes whose encoding is the input
// less its line breaks (Base64 with zero leftover bits is unique). As page
// bytes: encoding then decoding gives them back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "reader/core/Base64.h"

namespace {

std::string WithoutBreaks(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != '\r' && c != '\n') out.push_back(c);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const std::string decoded = reader::Base64ToBytes(input);
  if (!decoded.empty() && WithoutBreaks(reader::BytesToBase64(decoded)) != WithoutBreaks(input)) std::abort();

  const std::string text = reader::BytesToBase64(input);
  if (reader::Base64ToBytes(text) != input) std::abort();
  for (std::size_t line = 0; line < text.size(); line += 66) {
    const std::size_t end = text.find("\r\n", line);
    if (end == std::string::npos || (end - line != 64 && end + 2 != text.size())) std::abort();
  }
  return 0;
}
