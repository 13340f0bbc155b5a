#pragma once
// Wheel notches that reach a registered scroll bar's window move the bar by
// its step. This is the platform-free half: the process-wide target list and
// the decision taken for each wheel message; the platform feeds it from its
// own wheel events and passes every message on to the window's normal
// handling afterwards.
#include <cstdint>
#include <functional>

#include "drawing/Surface.h"

namespace drawing {

// What the wheel helper needs of a vertical scroll bar. A target leaves the
// list when it is destroyed, so the list never points at a dead control.
class WheelTarget {
 public:
  virtual ~WheelTarget();
  virtual WindowHandle hWnd() const = 0;
  virtual std::int32_t Value() const = 0;
  virtual std::int32_t SHag() const = 0;
  virtual void SetValue(std::int32_t value, bool notify) = 0;
};

// Appends the target unless a target with the same window handle is already
// listed. True when it was appended: the caller then starts watching that
// window's wheel messages.
bool RegisterWheelTarget(WheelTarget& target);

// The number of registered targets (the highest index of the list, which
// counts from 1); 0 when the list is empty.
std::int32_t WheelTargetCount();

// The wheel window procedure. wheelDelta is the signed delta of one wheel
// message (120 per detent, positive away from the user) and keyState its key
// and mouse-button bits (non-zero when any is held). Deltas of exactly
// +120/+240/+360 with nothing held move the LAST registered target to
// Value - SHag, the same negative deltas to Value + SHag, both notifying;
// any other message moves nothing. passOn then always runs, whatever
// happened before, and no error leaves this function. window is the window
// the message came to; it does not choose the target.
void WheelWndProc(WindowHandle window, std::int32_t wheelDelta, std::uint32_t keyState,
                  const std::function<void()>& passOn);

// Empties the list; for tests, which need a fresh process-wide state.
void ClearWheelTargets();

}  // namespace drawing
