#pragma once
// What a control needs from the window it lives in, besides its surface:
// timers, a way to let queued events run, screen units, the system palette
// and its saved properties.
#include <functional>
#include <memory>
#include <string_view>

#include "drawing/Colour.h"
#include "drawing/Font.h"
#include "drawing/PropertyBag.h"
#include "drawing/Surface.h"

namespace drawing {

// A periodic timer. Enabling (again) restarts the period; ticks arrive on
// the UI thread.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetInterval(int milliseconds) = 0;
  virtual int Interval() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;

  std::function<void()> tick;
};

// Screen pixels of the whole desktop (all monitors).
struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};
// right and bottom lie just outside the rectangle.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const ScreenRect&) const = default;
};

class HostServices {
 public:
  virtual ~HostServices() = default;

  // A new child surface of parent (or a top-level one when parent is null),
  // hidden until shown.
  virtual std::unique_ptr<Surface> CreateSurface(Surface* parent) = 0;
  // A new element of an indexed set of inner parts: a copy of element 0
  // (same parent, position, size, font and settings), hidden, with an
  // empty image. Destroying the pointer destroys the element.
  virtual std::unique_ptr<Surface> CreateElement(const Surface& element0) = 0;
  virtual std::unique_ptr<Timer> CreateTimer() = 0;
  // Runs the window events already queued, then returns.
  virtual void DoEvents() = 0;
  virtual int TwipsPerPixelX() const = 0;
  virtual int TwipsPerPixelY() const = 0;
  // A plain colour for any colour value; system colours go through the palette.
  virtual Colour ResolveColour(Colour colour) const = 0;
  virtual Font AmbientFont() const = 0;
  // ---- screen and desktop ----
  virtual ScreenPoint CursorPos() const = 0;
  // The work area (the screen less panels and task bars) of the screen that
  // holds point, or of the nearest screen.
  virtual ScreenRect WorkAreaAt(ScreenPoint point) const = 0;
  // The screen's pixels behind rect, as premultiplied ARGB. False where the
  // screen cannot be read (no X11 root, a Wayland session): out is left as it was.
  virtual bool CaptureScreen(ScreenRect rect, Image& out) const = 0;
  // The window under a screen point: each of our surfaces, the browser and
  // every foreign window have distinct handles; a surface's handle is its
  // hWnd(). 0 only where nothing can be asked.
  virtual WindowHandle WindowFromPoint(ScreenPoint point) const = 0;
  // kLeftButton | kRightButton | kMiddleButton held anywhere on the desktop,
  // in any application.
  virtual int AsyncMouseButtons() const = 0;

  // Routes the wheel messages that reach this surface's window to the wheel
  // target list (see WheelTargets.h) before the window's own handling. A
  // host without wheel input has nothing to route.
  virtual void SubclassWheelWindow(Surface& /*surface*/) {}
};

// Where a control lives: the services, its saved properties and the host's
// "a property changed" notification.
struct ControlSite {
  HostServices* services = nullptr;
  PropertyBag* bag = nullptr;
  std::function<void(std::string_view property)> propertyChanged;

  void PropertyChanged(std::string_view property) const {
    if (propertyChanged) propertyChanged(property);
  }
};

}  // namespace drawing
