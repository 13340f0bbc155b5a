#include "controls/slider/Hscroll.h"

#include <algorithm>

namespace slider {
namespace {
constexpr drawing::Colour kNewTrackColour = 0x000F0057;
constexpr drawing::Colour kThumbColour = 0x00A0A0A0;
}  // namespace

Hscroll::Hscroll(const drawing::ControlSite& site, drawing::Surface* parent)
    : site_(site), surface_(site.services->CreateSurface(parent)) {
  surface_->SetBackColor(kNewTrackColour);
  surface_->events.resized = [this] { Paint(); };
}

Hscroll::~Hscroll() = default;

void Hscroll::SetValue(std::int32_t value) {
  value_ = value;
  site_.PropertyChanged("Value");
  Clamp();
  Paint();
  if (Scroll) Scroll();
}

void Hscroll::SetMin(std::int32_t value) {
  min_ = value;
  site_.PropertyChanged("Min");
}

void Hscroll::SetMax(std::int32_t value) {
  max_ = value;
  site_.PropertyChanged("Max");
}

void Hscroll::SetSmallChange(std::int32_t value) {
  smallChange_ = value;
  site_.PropertyChanged("SmallChange");
}

void Hscroll::SetLargeChange(std::int32_t value) {
  largeChange_ = value;
  site_.PropertyChanged("LargeChange");
}

void Hscroll::ReadProperties(const drawing::PropertyBag& bag) {
  value_ = bag.Read<std::int32_t>("Value", 0);
  max_ = bag.Read<std::int32_t>("Max", 0);
  min_ = bag.Read<std::int32_t>("Min", 0);
  smallChange_ = bag.Read<std::int32_t>("SmallChange", 1);
  largeChange_ = bag.Read<std::int32_t>("LargeChange", 0);
  surface_->SetBackColor(
      static_cast<drawing::Colour>(bag.Read<std::int32_t>("BackColor", static_cast<std::int32_t>(kNewTrackColour))));
  Clamp();
  Paint();
}

void Hscroll::Clamp() {
  // Max first, then Min: when the bounds cross, Min wins.
  if (value_ > max_) value_ = max_;
  if (value_ < min_) value_ = min_;
}

void Hscroll::Paint() {
  surface_->SetAutoRedraw(true);
  surface_->Cls();
  const int width = surface_->ScaleWidth();
  const int height = surface_->ScaleHeight();
  const int thumb = std::max(1, largeChange_);
  if (max_ > min_ && width > thumb) {
    const double fraction = static_cast<double>(value_ - min_) / (static_cast<double>(max_) - min_);
    const double left = fraction * (width - thumb);
    surface_->FilledBox(left, 0, left + thumb - 1, height - 1, kThumbColour);
  }
  surface_->SetAutoRedraw(false);
  surface_->Refresh();
}

}  // namespace slider
