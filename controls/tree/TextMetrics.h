#pragma once
// Text measurements the tree needs on every repaint, remembered per entry
// and per font. A repaint runs every 10 ms while rows slide, and measuring
// a name (twenty times when it has to be shortened) costs far more than the
// drawing, so each entry keeps its width and its shortened name until the
// font, the available width or the list changes. With caching off every
// question is put to the surface again; both ways give the same answers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/Font.h"
#include "drawing/Surface.h"

namespace tree {

class TextMetrics {
 public:
  explicit TextMetrics(drawing::Surface& surface) : surface_(surface) {}

  void SetCaching(bool on);
  bool Caching() const { return caching_; }
  // A new item table: nothing measured for the old one applies.
  void ResetEntries();
  // Call after changing the surface's font.
  void FontSelected();

  // Height of "A" in the surface's current font.
  double HeightOfA();
  // Width of entry's display name in the surface's current font.
  double NameWidth(std::size_t entry, std::string_view name);
  // FitItemText for an entry, in the surface's current font.
  const std::string& Fit(std::size_t entry, std::string_view name, std::int32_t available, std::int32_t textRight,
                         std::int32_t textStart);

 private:
  struct FontEntry {
    drawing::Font font;
    double heightOfA = -1;
  };
  struct EntryCache {
    const char* nameData = nullptr;
    std::size_t nameSize = 0;
    int widthFont = -1;
    double width = 0;
    int fitFont = -1;
    std::int32_t available = 0, textRight = 0, textStart = 0;
    std::string fitted;
  };
  EntryCache& Entry(std::size_t entry, std::string_view name);
  double Measure(std::string_view text) const { return surface_.TextWidth(text); }

  drawing::Surface& surface_;
  bool caching_ = true;
  std::vector<FontEntry> fonts_;
  int currentFont_ = -1;
  std::vector<EntryCache> entries_;
  std::string plain_;
};

}  // namespace tree
