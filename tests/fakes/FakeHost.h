#pragma once
// Host services for tests: fake surfaces, hand-driven timers on one shared
// clock, a fixed system palette and ambient font, and counters for what the
// controls asked of the host. The host must outlive what it creates.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drawing/HostServices.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeSurface.h"

namespace fakes {

class FakeHost : public drawing::HostServices {
 public:
  // Deliberately unlike drawing::Font{} so that tests can tell the ambient
  // font from a control's design font.
  static drawing::Font DefaultAmbientFont();

  FakeHost() = default;
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // A hidden FakeSurface drawing with this host's palette and starting with
  // the ambient font.
  std::unique_ptr<drawing::Surface> CreateSurface(drawing::Surface* parent) override;
  // A hidden FakeSurface with element0's parent, rectangle, font and settings.
  std::unique_ptr<drawing::Surface> CreateElement(const drawing::Surface& element0) override;
  // A FakeTimer on Clock().
  std::unique_ptr<drawing::Timer> CreateTimer() override;
  // Counts the call and runs onDoEvents, standing in for the queued events.
  void DoEvents() override;
  int TwipsPerPixelX() const override { return 15; }
  int TwipsPerPixelY() const override { return 15; }
  drawing::Colour ResolveColour(drawing::Colour colour) const override { return ResolveTestColour(colour); }
  drawing::Font AmbientFont() const override { return ambientFont_; }

  // The desktop, as the test sets it up.
  drawing::ScreenPoint CursorPos() const override { return cursor; }
  drawing::ScreenRect WorkAreaAt(drawing::ScreenPoint) const override { return workArea; }
  // Copies from `screen` (its pixel (0, 0) is screen point (0, 0)); pixels
  // outside it are black. False when screenReadable is off.
  bool CaptureScreen(drawing::ScreenRect rect, drawing::Image& out) const override;
  // windowAt when set, else the visible surface whose window holds the
  // point (top-level ones at their Left/Top, children inside their
  // parent's; shapes, colour keys and drop shadows as the Qt host sees
  // them), newest first, else kForeignWindow.
  drawing::WindowHandle WindowFromPoint(drawing::ScreenPoint point) const override;
  int AsyncMouseButtons() const override { return buttonsHeld; }

  static constexpr drawing::WindowHandle kForeignWindow = 0xF0F0;
  drawing::ScreenPoint cursor{400, 300};
  drawing::ScreenRect workArea{0, 0, 1024, 768};
  drawing::Image screen;
  bool screenReadable = true;
  std::function<drawing::WindowHandle(drawing::ScreenPoint)> windowAt;
  int buttonsHeld = 0;

  void SetAmbientFont(const drawing::Font& font) { ambientFont_ = font; }
  FakeClock& Clock() { return clock_; }
  int DoEventsCalls() const { return doEventsCalls_; }
  // Surfaces made by CreateSurface that are still alive, oldest first.
  const std::vector<FakeSurface*>& Surfaces() const { return surfaces_; }
  // The still-alive surfaces created with this parent, oldest first.
  std::vector<FakeSurface*> ChildrenOf(const drawing::Surface* parent) const;

  std::function<void()> onDoEvents;

 private:
  FakeClock clock_;
  drawing::Font ambientFont_ = DefaultAmbientFont();
  std::vector<FakeSurface*> surfaces_;
  int doEventsCalls_ = 0;
};

// A control site on a fake host that records every property-changed
// notification in order.
struct RecordingSite {
  explicit RecordingSite(FakeHost& host);
  RecordingSite(const RecordingSite&) = delete;
  RecordingSite& operator=(const RecordingSite&) = delete;

  drawing::PropertyBag bag;
  std::vector<std::string> changed;
  drawing::ControlSite site;
};

}  // namespace fakes
