#pragma once
#include <string>

namespace drawing {

// A font property value. Face names are the stored ones ("Arial"); the
// platform maps them onto installed metric twins.
struct Font {
  std::string face = "Liberation Sans";
  double sizePoints = 8.25;
  int charset = 204;  // Cyrillic
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;

  bool operator==(const Font&) const = default;
};

}  // namespace drawing
