#pragma once
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "drawing/HostServices.h"

namespace platform {

// The enabled flag and the interval are two independent properties: a timer
// enabled before its interval is set starts ticking once the interval is
// given, and an interval of 0 (or less) keeps an enabled timer silent
// instead of ticking on every pass of the event loop.
class QtTimer : public drawing::Timer {
 public:
  QtTimer();
  // Changing the interval of an enabled timer restarts its period.
  void SetInterval(int milliseconds) override;
  int Interval() const override { return interval_; }
  // Enabling, also when already enabled, restarts the period.
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  // True while ticks are actually due: enabled with an interval above 0.
  bool Running() const { return timer_.isActive(); }
  // Milliseconds to the next tick while Running, else -1.
  int RemainingMs() const { return timer_.remainingTime(); }

 private:
  void Apply();

  QTimer timer_;
  int interval_ = 0;
  bool enabled_ = false;
};

// Colour values with the high bit set name a palette role; the table mirrors
// the system colour indices the stored designs use.
QColor SystemColour(int index, const QPalette& palette);

class QtHost : public drawing::HostServices {
 public:
  // root: the widget that surfaces without a parent surface belong to
  // (null: they become top-level windows).
  explicit QtHost(QWidget* root = nullptr);

  std::unique_ptr<drawing::Surface> CreateSurface(drawing::Surface* parent) override;
  std::unique_ptr<drawing::Surface> CreateElement(const drawing::Surface& element0) override;
  std::unique_ptr<drawing::Timer> CreateTimer() override;
  void DoEvents() override;
  int TwipsPerPixelX() const override;
  int TwipsPerPixelY() const override;
  drawing::Colour ResolveColour(drawing::Colour colour) const override;
  drawing::Font AmbientFont() const override;
  void SubclassWheelWindow(drawing::Surface& surface) override;
  drawing::ScreenPoint CursorPos() const override;
  drawing::ScreenRect WorkAreaAt(drawing::ScreenPoint point) const override;
  bool CaptureScreen(drawing::ScreenRect rect, drawing::Image& out) const override;
  drawing::WindowHandle WindowFromPoint(drawing::ScreenPoint point) const override;
  int AsyncMouseButtons() const override;

  void SetRoot(QWidget* root) { root_ = root; }
  // Device pixels per logical pixel for every surface's image; 0 (the
  // default) follows each surface's screen. Tests draw at a chosen density.
  void SetPixelRatio(double ratio) { pixelRatio_ = ratio; }
  double PixelRatio() const { return pixelRatio_; }

 private:
  QPointer<QWidget> root_;
  double pixelRatio_ = 0;
};

}  // namespace platform
