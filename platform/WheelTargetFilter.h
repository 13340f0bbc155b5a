#pragma once
// The Qt side of the wheel subclassing: wheel events that reach a
// registered scroll bar's widget go through drawing::WheelWndProc before
// the widget's own handling sees them.
#include <QObject>
#include <Qt>
#include <cstdint>

#include "drawing/WheelTargets.h"

class QWidget;

namespace platform {

// Key and button bits in the layout WheelWndProc's keyState expects.
enum : std::uint32_t {
  kMkLButton = 0x0001,
  kMkRButton = 0x0002,
  kMkShift = 0x0004,
  kMkControl = 0x0008,
  kMkMButton = 0x0010,
  kMkXButton1 = 0x0020,
  kMkXButton2 = 0x0040,
  // Alt and Meta have no bit of their own there; they still mean "a key is
  // held", so a notch with either does not move the bar.
  kMkOtherModifier = 0x0100,
};

std::uint32_t WheelKeyState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// Installed on one widget, owned by it. Never consumes an event.
class WheelTargetFilter : public QObject {
 public:
  explicit WheelTargetFilter(QWidget* widget);

  bool eventFilter(QObject* watched, QEvent* event) override;
};

// Adds target to the process-wide wheel target list and starts filtering
// widget's wheel events, unless a target with the same window is already
// listed; then nothing changes. True when the target was added.
bool RegisterWheelTargetWidget(drawing::WheelTarget& target, QWidget* widget);

}  // namespace platform
