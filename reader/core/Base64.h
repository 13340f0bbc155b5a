#pragma once
// The page codec. A page slot holds the page file's bytes as standard Base64
// ("=" padding) broken into lines of 64 characters, each line, the last one
// included, ended by CR LF, with no header.
#include <string>
#include <string_view>

namespace reader {

// Line-broken Base64 of the bytes; an empty input gives an empty text.
std::string BytesToBase64(std::string_view bytes);

// Decodes the form above. CR and LF may stand between any characters; any
// other character outside the alphabet, misplaced or surplus padding, or
// non-zero bits left over in the last group make the whole result empty.
std::string Base64ToBytes(std::string_view text);

}  // namespace reader
