#include "controls/tree/TextMetrics.h"

#include "controls/tree/TreeLayout.h"
#include "drawing/Arithmetic.h"

namespace tree {

namespace {
// Fonts a tree uses at once; more means its properties keep changing, and
// the remembered measurements start again rather than grow.
constexpr std::size_t kMaxFonts = 16;
}  // namespace

void TextMetrics::SetCaching(bool on) {
  caching_ = on;
  ResetEntries();
}

void TextMetrics::ResetEntries() {
  widths_.clear();
  fits_.clear();
}

void TextMetrics::Prepare(std::size_t entries) {
  if (widths_.size() == entries) return;
  widths_.assign(entries, WidthCache{});
  fits_.assign(entries, FitCache{});
}

void TextMetrics::FontSelected() {
  const drawing::Font& font = surface_.GetFont();
  for (std::size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i].font == font) {
      currentFont_ = static_cast<int>(i);
      return;
    }
  if (fonts_.size() >= kMaxFonts) {
    keyBase_ += static_cast<std::int32_t>(fonts_.size());
    fonts_.clear();
    ResetEntries();
  }
  fonts_.push_back({font});
  currentFont_ = static_cast<int>(fonts_.size()) - 1;
}

double TextMetrics::MeasureHeightOfA() {
  if (!caching_ || currentFont_ < 0) return surface_.TextHeight("A");
  FontEntry& f = fonts_[static_cast<std::size_t>(currentFont_)];
  if (f.heightOfA < 0) f.heightOfA = surface_.TextHeight("A");
  return f.heightOfA;
}

double TextMetrics::NameWidth(std::size_t entry, std::string_view fullName) {
  const std::string_view name = ShownPart(fullName);
  if (!caching_ || currentFont_ < 0 || entry >= widths_.size()) return Measure(name);
  WidthCache& w = widths_[entry];
  if (w.font != currentFont_) {
    w.width = Measure(name);
    w.font = currentFont_;
    w.rightKnown = false;
  }
  return w.width;
}

std::int32_t TextMetrics::MeasureNameRight(std::size_t entry, std::string_view name, std::int32_t offset) {
  const std::int32_t right = drawing::RoundHalfEven(NameWidth(entry, name) + offset);
  if (caching_ && currentFont_ >= 0 && entry < widths_.size()) {
    WidthCache& w = widths_[entry];
    w.rightKnown = true;
    w.rightOffset = offset;
    w.right = right;
  }
  return right;
}

const std::string& TextMetrics::Fit(std::size_t entry, std::string_view fullName, std::int32_t available,
                                    std::int32_t textRight, std::int32_t textStart) {
  const std::string_view name = ShownPart(fullName);
  const auto measure = [this](std::string_view text) { return Measure(text); };
  if (!caching_ || currentFont_ < 0 || entry >= fits_.size()) {
    plain_ = FitItemText(name, available, textRight, textStart, measure);
    return plain_;
  }
  FitCache& e = fits_[entry];
  if (e.font != currentFont_ || e.available != available || e.textRight != textRight || e.textStart != textStart) {
    e.fitted = FitItemText(name, available, textRight, textStart, measure);
    e.font = currentFont_;
    e.available = available;
    e.textRight = textRight;
    e.textStart = textStart;
  }
  return e.fitted;
}

}  // namespace tree
