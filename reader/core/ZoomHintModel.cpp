#include "reader/core/ZoomHintModel.h"

#include <algorithm>

namespace reader {

namespace {
// Between the hint's bottom and the slider's top, so the two read apart.
constexpr int kGap = 2;
}  // namespace

void ZoomHintModel::Zoomed(int percent) {
  percent_ = percent;
  remaining_ = kShowMilliseconds;
}

bool ZoomHintModel::Tick() {
  remaining_ = std::max(0, remaining_ - kTickMilliseconds);
  return remaining_ > 0;
}

HintRect PlaceZoomHint(const HintRect& slider, int hintWidth, int hintHeight, int clientWidth) {
  const int right = std::min(slider.left + slider.width, clientWidth);
  const int left = std::max(0, right - hintWidth);
  const int top = std::max(0, slider.top - kGap - hintHeight);
  return {left, top, hintWidth, hintHeight};
}

}  // namespace reader
