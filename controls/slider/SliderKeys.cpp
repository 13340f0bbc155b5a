#include "controls/slider/SliderKeys.h"

#include <climits>

#include "controls/slider/Hscroll.h"
#include "drawing/Arithmetic.h"
#include "drawing/Primitives.h"

namespace slider {

namespace {

// Sums in 64 bits: a step past a bound lands on the bound, and one that
// leaves the 32-bit range without passing a bound (a negative SmallChange)
// leaves the value where it is.
std::int32_t StepUp(std::int32_t value, long long by, std::int32_t max) {
  const long long next = static_cast<long long>(value) + by;
  if (next >= max) return max;
  if (next < INT32_MIN) return value;
  return static_cast<std::int32_t>(next);
}

std::int32_t StepDown(std::int32_t value, long long by, std::int32_t min) {
  const long long next = static_cast<long long>(value) - by;
  if (next <= min) return min;
  if (next > INT32_MAX) return value;
  return static_cast<std::int32_t>(next);
}

}  // namespace

std::optional<std::int32_t> ValueForKey(drawing::Key key, std::int32_t value, std::int32_t min, std::int32_t max,
                                        std::int32_t smallChange) {
  const long long page = static_cast<long long>(smallChange) * kPageSteps;
  switch (key) {
    case drawing::Key::Left:
    case drawing::Key::Down: return StepDown(value, smallChange, min);
    case drawing::Key::Right:
    case drawing::Key::Up: return StepUp(value, smallChange, max);
    case drawing::Key::PageDown: return StepDown(value, page, min);
    case drawing::Key::PageUp: return StepUp(value, page, max);
    case drawing::Key::Home: return min;
    case drawing::Key::End: return max;
    default: return std::nullopt;
  }
}

void Hscroll::WireKeyboard() {
  drawing::SurfaceEvents& ev = surface_->events;
  ev.keyDown = [this](const drawing::KeyPress& key) { return KeyDown(key); };
  ev.enterFocus = [this] { FocusMoved(true); };
  ev.exitFocus = [this] { FocusMoved(false); };
  ev.keyboardFocus = [this] {
    if (focusCues_) return;
    focusCues_ = true;
    if (ShowsFocus()) RepaintAll();
  };
}

void Hscroll::FocusMoved(bool focused) {
  if (focused_ == focused) return;
  const bool showed = ShowsFocus();
  focused_ = focused;
  if (showed != ShowsFocus()) RepaintAll();
}

bool Hscroll::KeyDown(const drawing::KeyPress& key) {
  const std::optional<std::int32_t> next = ValueForKey(key.key, value_, min_, max_, smallChange_);
  if (!next) return false;
  focusCues_ = true;
  SetValue(*next);
  return true;
}

void Hscroll::PaintThumbFocus() {
  if (!ShowsFocus()) return;
  const PixelRect thumb = Thumb();
  // Dark dots round the edge of the light thumb skin.
  track_->SetAutoRedraw(true);
  drawing::DrawDottedBox(track_->Pixels(), thumb.left, thumb.top, thumb.left + thumb.width - 1,
                         thumb.top + thumb.height - 1, drawing::ToPixel(kThumbFocusColour));
  track_->SetAutoRedraw(false);
  track_->Refresh();
}

}  // namespace slider
