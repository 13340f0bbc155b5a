#include "drawing/WheelTargets.h"

#include <algorithm>
#include <vector>

#include "drawing/Arithmetic.h"

namespace drawing {

namespace {

// Process-wide, like the window subclassing it stands for; everything runs
// on the UI thread, so there is no lock.
std::vector<WheelTarget*>& Targets() {
  static std::vector<WheelTarget*> targets;
  return targets;
}

constexpr std::int32_t kNotch = 120;

// Only whole notches of one, two or three detents count: high-resolution
// wheels send fractions, which the bar ignores.
int NotchDirection(std::int32_t delta) {
  switch (delta) {
    case kNotch:
    case 2 * kNotch:
    case 3 * kNotch:
      return 1;
    case -kNotch:
    case -2 * kNotch:
    case -3 * kNotch:
      return -1;
    default:
      return 0;
  }
}

}  // namespace

WheelTarget::~WheelTarget() {
  auto& targets = Targets();
  targets.erase(std::remove(targets.begin(), targets.end(), this), targets.end());
}

bool RegisterWheelTarget(WheelTarget& target) {
  auto& targets = Targets();
  const WindowHandle window = target.hWnd();
  for (const WheelTarget* t : targets)
    if (t->hWnd() == window) return false;
  targets.push_back(&target);
  return true;
}

std::int32_t WheelTargetCount() { return static_cast<std::int32_t>(Targets().size()); }

void WheelWndProc(WindowHandle, std::int32_t wheelDelta, std::uint32_t keyState, const std::function<void()>& passOn) {
  try {
    const int direction = keyState == 0 ? NotchDirection(wheelDelta) : 0;
    if (direction != 0 && !Targets().empty()) {
      WheelTarget& target = *Targets().back();
      // Away from the user scrolls up: towards smaller values.
      const std::int32_t next = direction > 0 ? CheckedSub(target.Value(), target.SHag())
                                              : CheckedAdd(target.Value(), target.SHag());
      target.SetValue(next, true);
    }
  } catch (...) {
    // A wheel message must never take the window down; it still goes on.
  }
  try {
    if (passOn) passOn();
  } catch (...) {
  }
}

void ClearWheelTargets() { Targets().clear(); }

}  // namespace drawing
