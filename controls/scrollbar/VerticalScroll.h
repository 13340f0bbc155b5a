#pragma once
// VerticalScroll: a flat owner-drawn vertical scroll bar with one coloured
// thumb and no arrow buttons. Its position Value runs from 0 to Max; the
// thumb is drawn into the surface's retained image after every change.
#include <cstdint>
#include <functional>
#include <string_view>

#include "drawing/HostServices.h"
#include "drawing/PropertyBag.h"
#include "drawing/Surface.h"
#include "drawing/WheelTargets.h"

namespace scrollbar {

// The thumb in surface pixels, both corners inside it: it spans the bar's
// width and BegunokVisota + 1 rows.
struct ThumbRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

class VerticalScroll : public drawing::WheelTarget {
 public:
  // The bar draws on surface and takes its input from it; both surface and
  // site.services must outlive the bar. Properties start at their defaults.
  VerticalScroll(drawing::Surface& surface, drawing::ControlSite site);
  ~VerticalScroll() override;
  VerticalScroll(const VerticalScroll&) = delete;
  VerticalScroll& operator=(const VerticalScroll&) = delete;

  // Events, raised synchronously in this order of declaration. ScrolChange
  // gets a copy of the new Value; changing it changes nothing.
  std::function<void(std::int32_t& value)> ScrolChange;
  std::function<void()> ScrolHide;
  std::function<void()> ScrolShow;

  // Colour setters and BegunokVisota store, mark the property changed and
  // repaint; Min and SHag store and mark only.
  drawing::Colour BackColor() const;
  void SetBackColor(drawing::Colour colour);
  drawing::Colour BegunokColor() const { return thumbColour_; }
  void SetBegunokColor(drawing::Colour colour);
  std::int32_t BegunokVisota() const { return thumbHeight_; }
  void SetBegunokVisota(std::int32_t height);
  std::int32_t Max() const { return max_; }
  void SetMax(std::int32_t max);
  std::int32_t Min() const { return min_; }
  void SetMin(std::int32_t min);
  std::int32_t Value() const override { return value_; }
  // The Value property's setter (named apart from the SetValue operation).
  void SetValueProperty(std::int32_t value);
  std::int32_t SHag() const override { return step_; }
  void SetSHag(std::int32_t step);
  drawing::WindowHandle hWnd() const override { return surface_.hWnd(); }
  drawing::WindowHandle hdc() const { return surface_.hdc(); }

  // Clamps to 0..Max, places the thumb, applies the value (raising
  // ScrolChange when it changed and notify is set) and repaints. The wheel
  // handlers call it with notify = true.
  void SetValue(std::int32_t value, bool notify) override;

  // Restores the seven persisted properties without their setters (no
  // events, no notifications), then repaints.
  void ReadProperties(const drawing::PropertyBag& bag);
  // Saves the seven in the same order (values equal to their defaults are
  // not stored), then repaints.
  void WriteProperties(drawing::PropertyBag& bag);

  // The thumb where it is now, for the painter and for hit tests. Throws
  // drawing::OverflowError when its bottom does not fit 32 bits.
  ThumbRect Thumb() const;

 private:
  // In the order of saving and loading.
  enum class Persisted { BackColor, BegunokColor, BegunokVisota, Max, Min, Value, SHag };

  std::int32_t Stored(Persisted property) const;
  void Load(Persisted property, std::int32_t value);

  void MarkChanged(Persisted property);
  void RaiseShowOrHide();
  // Surface height less the thumb and one pixel: the room the thumb top has.
  double TrackLength() const;
  void MoveThumbTo(std::int32_t y);
  void PaintBar();
  void OnMouseDown(double y);
  void OnMouseMove(double y);

  drawing::Surface& surface_;
  drawing::ControlSite site_;
  // Set from the property table by the constructor.
  drawing::Colour thumbColour_ = 0;
  std::int32_t thumbHeight_ = 0;
  std::int32_t max_ = 0;
  std::int32_t min_ = 0;
  std::int32_t value_ = 0;
  std::int32_t step_ = 0;

  std::int32_t thumbTop_ = 0;
  bool dragging_ = false;
  std::int32_t grabOffset_ = 0;
};

}  // namespace scrollbar
