#pragma once
// Windows-1251 is the single-byte code page of the book file and of the
// author's outline. Page bytes never pass through here: they go to the
// browser exactly as stored.
#include <string>
#include <string_view>

namespace reader {

// Every byte maps to one character; the one unassigned byte (0x98) becomes
// U+FFFD so that a damaged name still shows.
std::string Cp1251ToUtf8(std::string_view bytes);

// Characters the code page cannot hold become '?', and *lossless is cleared;
// malformed UTF-8 bytes count as such characters.
std::string Utf8ToCp1251(std::string_view utf8, bool* lossless = nullptr);

}  // namespace reader
