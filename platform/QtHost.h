#pragma once
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "drawing/HostServices.h"

namespace platform {

class QtTimer : public drawing::Timer {
 public:
  QtTimer();
  void SetInterval(int milliseconds) override;
  int Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
  int interval_ = 0;
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

 private:
  QPointer<QWidget> root_;
};

}  // namespace platform
