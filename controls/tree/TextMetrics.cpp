#include "controls/tree/TextMetrics.h"

#include "controls/tree/TreeLayout.h"

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

void TextMetrics::ResetEntries() { entries_.clear(); }

void TextMetrics::FontSelected() {
  const drawing::Font& font = surface_.GetFont();
  for (std::size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i].font == font) {
      currentFont_ = static_cast<int>(i);
      return;
    }
  if (fonts_.size() >= kMaxFonts) {
    fonts_.clear();
    entries_.clear();
  }
  fonts_.push_back({font});
  currentFont_ = static_cast<int>(fonts_.size()) - 1;
}

double TextMetrics::HeightOfA() {
  if (!caching_ || currentFont_ < 0) return surface_.TextHeight("A");
  FontEntry& f = fonts_[static_cast<std::size_t>(currentFont_)];
  if (f.heightOfA < 0) f.heightOfA = surface_.TextHeight("A");
  return f.heightOfA;
}

TextMetrics::EntryCache& TextMetrics::Entry(std::size_t entry, std::string_view name) {
  if (entry >= entries_.size()) entries_.resize(entry + 1);
  EntryCache& e = entries_[entry];
  // The same entry index over another text (a table replaced behind our
  // back) starts afresh.
  if (e.nameData != name.data() || e.nameSize != name.size()) {
    e = EntryCache{};
    e.nameData = name.data();
    e.nameSize = name.size();
  }
  return e;
}

double TextMetrics::NameWidth(std::size_t entry, std::string_view name) {
  if (!caching_ || currentFont_ < 0) return Measure(name);
  EntryCache& e = Entry(entry, name);
  if (e.widthFont != currentFont_) {
    e.width = Measure(name);
    e.widthFont = currentFont_;
  }
  return e.width;
}

const std::string& TextMetrics::Fit(std::size_t entry, std::string_view name, std::int32_t available,
                                    std::int32_t textRight, std::int32_t textStart) {
  const auto measure = [this](std::string_view text) { return Measure(text); };
  if (!caching_ || currentFont_ < 0) {
    plain_ = FitItemText(name, available, textRight, textStart, measure);
    return plain_;
  }
  EntryCache& e = Entry(entry, name);
  if (e.fitFont != currentFont_ || e.available != available || e.textRight != textRight || e.textStart != textStart) {
    e.fitted = FitItemText(name, available, textRight, textStart, measure);
    e.fitFont = currentFont_;
    e.available = available;
    e.textRight = textRight;
    e.textStart = textStart;
  }
  return e.fitted;
}

}  // namespace tree
