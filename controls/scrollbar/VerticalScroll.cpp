#include "controls/scrollbar/VerticalScroll.h"

#include <array>
#include <stdexcept>

#include "drawing/Arithmetic.h"

namespace scrollbar {

namespace {

struct PropertyEntry {
  std::string_view key;
  std::int32_t fallback;
};

// Every persisted property once: its key and its default, in the order of
// saving and loading (the order of VerticalScroll::Persisted). Colours are
// stored as their 32-bit pattern.
constexpr std::array<PropertyEntry, 7> kProperties{{
    {"BackColor", static_cast<std::int32_t>(drawing::kButtonFace)},
    {"BegunokColor", 0},
    {"BegunokVisota", 25},
    {"Max", 0},
    {"Min", 0},
    {"Value", 0},
    {"SHag", 25},
}};

constexpr const PropertyEntry& Entry(int index) { return kProperties[static_cast<std::size_t>(index)]; }

// The thumb arithmetic divides by Max and by the track length; both can be
// 0, which has no answer rather than an infinite one.
struct DivisionByZero : std::domain_error {
  DivisionByZero() : std::domain_error("division by zero") {}
};

double Divide(double a, double b) {
  if (b == 0) throw DivisionByZero();
  return a / b;
}

}  // namespace

VerticalScroll::VerticalScroll(drawing::Surface& surface, drawing::ControlSite site)
    : surface_(surface), site_(std::move(site)) {
  for (int i = 0; i < static_cast<int>(kProperties.size()); ++i) Load(static_cast<Persisted>(i), Entry(i).fallback);
  surface_.events.mouseDown = [this](int, int, double, double y) { OnMouseDown(y); };
  surface_.events.mouseMove = [this](int, int, double, double y) { OnMouseMove(y); };
  surface_.events.mouseUp = [this](int, int, double, double) { dragging_ = false; };
  surface_.events.resized = [this] { SetValue(value_, false); };
}

VerticalScroll::~VerticalScroll() {
  surface_.events.mouseDown = nullptr;
  surface_.events.mouseMove = nullptr;
  surface_.events.mouseUp = nullptr;
  surface_.events.resized = nullptr;
}

std::int32_t VerticalScroll::Stored(Persisted property) const {
  switch (property) {
    case Persisted::BackColor: return static_cast<std::int32_t>(surface_.BackColor());
    case Persisted::BegunokColor: return static_cast<std::int32_t>(thumbColour_);
    case Persisted::BegunokVisota: return thumbHeight_;
    case Persisted::Max: return max_;
    case Persisted::Min: return min_;
    case Persisted::Value: return value_;
    case Persisted::SHag: return step_;
  }
  return 0;
}

void VerticalScroll::Load(Persisted property, std::int32_t value) {
  switch (property) {
    case Persisted::BackColor: surface_.SetBackColor(static_cast<drawing::Colour>(value)); break;
    case Persisted::BegunokColor: thumbColour_ = static_cast<drawing::Colour>(value); break;
    case Persisted::BegunokVisota: thumbHeight_ = value; break;
    case Persisted::Max: max_ = value; break;
    case Persisted::Min: min_ = value; break;
    case Persisted::Value: value_ = value; break;
    case Persisted::SHag: step_ = value; break;
  }
}

void VerticalScroll::MarkChanged(Persisted property) { site_.PropertyChanged(Entry(static_cast<int>(property)).key); }

void VerticalScroll::RaiseShowOrHide() {
  if (max_ != 0) {
    if (ScrolShow) ScrolShow();
  } else if (ScrolHide) {
    ScrolHide();
  }
}

drawing::Colour VerticalScroll::BackColor() const { return surface_.BackColor(); }

void VerticalScroll::SetBackColor(drawing::Colour colour) {
  surface_.SetBackColor(colour);
  MarkChanged(Persisted::BackColor);
  PaintBar();
}

void VerticalScroll::SetBegunokColor(drawing::Colour colour) {
  thumbColour_ = colour;
  MarkChanged(Persisted::BegunokColor);
  PaintBar();
}

void VerticalScroll::SetBegunokVisota(std::int32_t height) {
  thumbHeight_ = height;
  MarkChanged(Persisted::BegunokVisota);
  PaintBar();
}

void VerticalScroll::SetMin(std::int32_t min) {
  min_ = min;
  MarkChanged(Persisted::Min);
}

void VerticalScroll::SetSHag(std::int32_t step) {
  step_ = step;
  MarkChanged(Persisted::SHag);
}

void VerticalScroll::SetMax(std::int32_t max) {
  max_ = max;
  MarkChanged(Persisted::Max);
  // A range shrunk below the position drags the position along, and the host
  // hears of that move.
  bool notify = false;
  if (max_ < value_) {
    if (max_ < 0) SetMax(0);
    notify = true;
  }
  RaiseShowOrHide();
  SetValue(value_, notify);
}

void VerticalScroll::SetValueProperty(std::int32_t value) {
  value_ = value;
  MarkChanged(Persisted::Value);
  if (max_ < value_) {
    if (max_ <= 0) SetMax(0);
    SetValueProperty(max_);
  }
  RaiseShowOrHide();
  SetValue(value_, false);
}

double VerticalScroll::TrackLength() const {
  return static_cast<double>(surface_.ScaleHeight()) - static_cast<double>(thumbHeight_) - 1.0;
}

void VerticalScroll::SetValue(std::int32_t value, bool notify) {
  std::int32_t pending = value;
  if (pending < 0)
    pending = 0;
  else if (pending > max_)
    pending = max_;

  const double track = TrackLength();
  try {
    std::int32_t top = drawing::RoundHalfEven(Divide(pending, Divide(max_, track)));
    if (top < 0)
      top = 0;
    else if (top > track)
      top = drawing::RoundHalfEven(track);
    thumbTop_ = top;
  } catch (const DivisionByZero&) {
    pending = 0;
  } catch (const drawing::OverflowError&) {
    pending = 0;
  }

  if (pending != value_) {
    SetValueProperty(pending);
    if (notify) {
      std::int32_t changed = value_;
      if (ScrolChange) ScrolChange(changed);
    }
  }
  PaintBar();
}

void VerticalScroll::MoveThumbTo(std::int32_t y) {
  const double track = TrackLength();
  std::int32_t top = y;
  if (top < 0)
    top = 0;
  else if (top > track)
    top = drawing::RoundHalfEven(track);
  thumbTop_ = top;

  std::int32_t pending = 0;
  try {
    pending = drawing::RoundHalfEven(Divide(max_, track) * thumbTop_);
  } catch (const DivisionByZero&) {
    pending = 0;
  } catch (const drawing::OverflowError&) {
    pending = 0;
  }

  if (pending != value_) {
    SetValueProperty(pending);
    std::int32_t changed = value_;
    if (ScrolChange) ScrolChange(changed);
  }
}

ThumbRect VerticalScroll::Thumb() const {
  ThumbRect thumb;
  thumb.left = 0;
  thumb.top = thumbTop_;
  thumb.right = surface_.ScaleWidth() - 1;
  thumb.bottom = drawing::CheckedAdd(thumbTop_, thumbHeight_);
  return thumb;
}

void VerticalScroll::OnMouseDown(double y) {
  dragging_ = true;
  const ThumbRect thumb = Thumb();
  // The edges belong to the track: a press on them recentres the thumb.
  if (thumb.top < y && y < thumb.bottom) {
    grabOffset_ = drawing::RoundHalfEven(y - thumbTop_);
    return;
  }
  thumbTop_ = drawing::RoundHalfEven(y - thumbHeight_ / 2.0);
  grabOffset_ = drawing::RoundHalfEven(y - thumbTop_);
  MoveThumbTo(drawing::RoundHalfEven(y - grabOffset_));
  PaintBar();
}

void VerticalScroll::OnMouseMove(double y) {
  if (!dragging_) return;
  MoveThumbTo(drawing::RoundHalfEven(y - grabOffset_));
  PaintBar();
}

void VerticalScroll::PaintBar() {
  // Each step on its own: a thumb that cannot be placed still leaves a
  // cleared bar, and the surface always ends with persistent drawing off.
  try {
    surface_.SetAutoRedraw(true);
  } catch (...) {
  }
  try {
    surface_.Cls();
  } catch (...) {
  }
  try {
    const ThumbRect thumb = Thumb();
    surface_.FilledBox(thumb.left, thumb.top, thumb.right, thumb.bottom, thumbColour_);
  } catch (...) {
  }
  try {
    surface_.SetAutoRedraw(false);
  } catch (...) {
  }
  surface_.Refresh();
}

void VerticalScroll::ReadProperties(const drawing::PropertyBag& bag) {
  for (int i = 0; i < static_cast<int>(kProperties.size()); ++i)
    Load(static_cast<Persisted>(i), bag.Read<std::int32_t>(Entry(i).key, Entry(i).fallback));
  PaintBar();
}

void VerticalScroll::WriteProperties(drawing::PropertyBag& bag) {
  for (int i = 0; i < static_cast<int>(kProperties.size()); ++i)
    bag.Write<std::int32_t>(Entry(i).key, Stored(static_cast<Persisted>(i)), Entry(i).fallback);
  PaintBar();
}

}  // namespace scrollbar
