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

class HostServices {
 public:
  virtual ~HostServices() = default;

  // A new child surface of parent (or a top-level one when parent is null),
  // hidden until shown.
  virtual std::unique_ptr<Surface> CreateSurface(Surface* parent) = 0;
  virtual std::unique_ptr<Timer> CreateTimer() = 0;
  // Runs the window events already queued, then returns.
  virtual void DoEvents() = 0;
  virtual int TwipsPerPixelX() const = 0;
  virtual int TwipsPerPixelY() const = 0;
  // A plain colour for any colour value; system colours go through the palette.
  virtual Colour ResolveColour(Colour colour) const = 0;
  virtual Font AmbientFont() const = 0;
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
