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
  // Called at the start of a repaint with the table's size; a table of
  // another size is a new one.
  void Prepare(std::size_t entries);
  // Call after changing the surface's font.
  void FontSelected();

  // A number for the surface's current font that no other font is ever
  // given while this object lives; -1 when measurements are not remembered.
  // A row that keeps its edge with this key need not ask again.
  std::int32_t FontKey() const { return caching_ && currentFont_ >= 0 ? keyBase_ + currentFont_ : -1; }

  // Height of "A" in the surface's current font.
  double HeightOfA() {
    if (caching_ && currentFont_ >= 0) {
      const double h = fonts_[static_cast<std::size_t>(currentFont_)].heightOfA;
      if (h >= 0) return h;
    }
    return MeasureHeightOfA();
  }
  // Width of entry's display name in the surface's current font; of its
  // shown part (ShownPart) only, as everything below.
  double NameWidth(std::size_t entry, std::string_view name);
  // round(NameWidth + offset): the right edge of a name that starts offset
  // pixels in, remembered with the width.
  // The name is passed as the string itself: reading it is left until a
  // measurement is needed, so a remembered answer touches no text.
  std::int32_t NameRight(std::size_t entry, const std::string& name, std::int32_t offset) {
    if (caching_ && currentFont_ >= 0 && entry < widths_.size()) {
      const WidthCache& w = widths_[entry];
      if (w.font == currentFont_ && w.rightOffset == offset && w.rightKnown) return w.right;
    }
    return MeasureNameRight(entry, name, offset);
  }
  // FitItemText for an entry, in the surface's current font.
  const std::string& Fit(std::size_t entry, std::string_view name, std::int32_t available, std::int32_t textRight,
                         std::int32_t textStart);

 private:
  struct FontEntry {
    drawing::Font font;
    double heightOfA = -1;
  };
  // Widths are read for every visible entry on every repaint, so they are
  // kept apart from the shortened names, which only rows in view need.
  struct WidthCache {
    double width = 0;
    int font = -1;
    bool rightKnown = false;
    std::int32_t rightOffset = 0;
    std::int32_t right = 0;
  };
  double MeasureHeightOfA();
  std::int32_t MeasureNameRight(std::size_t entry, std::string_view name, std::int32_t offset);
  struct FitCache {
    int font = -1;
    std::int32_t available = 0, textRight = 0, textStart = 0;
    std::string fitted;
  };
  double Measure(std::string_view text) const { return surface_.TextWidth(text); }

  drawing::Surface& surface_;
  bool caching_ = true;
  std::vector<FontEntry> fonts_;
  int currentFont_ = -1;
  std::int32_t keyBase_ = 0;
  std::vector<WidthCache> widths_;
  std::vector<FitCache> fits_;
  std::string plain_;
};

}  // namespace tree
