#pragma once
// The zoom slider's value model as the window uses it: Value kept between
// Min and Max, and Scroll raised on every assignment (also of the same
// value), after the clamp, so the host reads the final value. The skinned
// drawing and the mouse come later; until then it draws a plain track.
#include <cstdint>
#include <functional>
#include <memory>

#include "drawing/HostServices.h"

namespace slider {

class Hscroll {
 public:
  Hscroll(const drawing::ControlSite& site, drawing::Surface* parent);
  ~Hscroll();

  drawing::Surface& Surface() { return *surface_; }

  std::int32_t Value() const { return value_; }
  void SetValue(std::int32_t value);
  std::int32_t Min() const { return min_; }
  void SetMin(std::int32_t value);
  std::int32_t Max() const { return max_; }
  void SetMax(std::int32_t value);
  std::int32_t SmallChange() const { return smallChange_; }
  void SetSmallChange(std::int32_t value);
  std::int32_t LargeChange() const { return largeChange_; }
  void SetLargeChange(std::int32_t value);

  void ReadProperties(const drawing::PropertyBag& bag);

  std::function<void()> Scroll;

 private:
  void Clamp();
  void Paint();

  drawing::ControlSite site_;
  std::unique_ptr<drawing::Surface> surface_;
  std::int32_t value_ = 0;
  std::int32_t min_ = 0;
  std::int32_t max_ = 0;
  std::int32_t smallChange_ = 1;
  std::int32_t largeChange_ = 0;
};

}  // namespace slider
