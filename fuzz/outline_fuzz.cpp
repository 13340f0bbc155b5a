// Any byte string is a possible outline (Data/names.txt is written by hand):
// the contents builder must turn it into a list without crashing, the
// contents tree must accept or refuse that list, and the list must survive
// the trip through the window's text and back to the book's code page.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "controls/tree/ContentsList.h"
#include "reader/core/Cp1251.h"
#include "reader/packing/Packing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view outline(reinterpret_cast<const char*>(data), size);
  const std::string contents = reader::BuildContents(outline);
  if (contents.empty() != outline.empty()) std::abort();
  if (reader::BuildContents(outline) != contents) std::abort();

  const std::string text = reader::Cp1251ToUtf8(contents);
  bool lossless = true;
  const std::string back = reader::Utf8ToCp1251(text, &lossless);
  // 0x98 is the code page's one hole; every other byte comes back.
  if (contents.find('\x98') == std::string::npos && (!lossless || back != contents)) std::abort();

  const auto items = tree::ParseContentsList(text);
  if (items && (items->empty() || (*items)[0].Level != 0)) std::abort();
  return 0;
}
