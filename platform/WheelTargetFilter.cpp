#include "platform/WheelTargetFilter.h"

#include <QEvent>
#include <QWheelEvent>
#include <QWidget>

namespace platform {

std::uint32_t WheelKeyState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  std::uint32_t state = 0;
  if (buttons & Qt::LeftButton) state |= kMkLButton;
  if (buttons & Qt::RightButton) state |= kMkRButton;
  if (buttons & Qt::MiddleButton) state |= kMkMButton;
  if (buttons & Qt::BackButton) state |= kMkXButton1;
  if (buttons & Qt::ForwardButton) state |= kMkXButton2;
  if (modifiers & Qt::ShiftModifier) state |= kMkShift;
  if (modifiers & Qt::ControlModifier) state |= kMkControl;
  if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) state |= kMkOtherModifier;
  return state;
}

WheelTargetFilter::WheelTargetFilter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }

bool WheelTargetFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel) return false;
  const auto* wheel = static_cast<QWheelEvent*>(event);
  bool passedOn = false;
  // A notch over the registered bar moves it twice: once here and once more
  // through the desktop-wide wheel routing to the tree's ScrollM, which sees
  // every notch wherever the cursor is. Both move the same way, and the
  // design keeps both.
  drawing::WheelWndProc(reinterpret_cast<drawing::WindowHandle>(static_cast<QWidget*>(watched)), wheel->angleDelta().y(),
                        WheelKeyState(wheel->modifiers(), wheel->buttons()), [&passedOn] { passedOn = true; });
  return !passedOn;
}

bool RegisterWheelTargetWidget(drawing::WheelTarget& target, QWidget* widget) {
  if (!widget || !drawing::RegisterWheelTarget(target)) return false;
  new WheelTargetFilter(widget);
  return true;
}

}  // namespace platform
