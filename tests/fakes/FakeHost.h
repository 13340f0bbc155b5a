#pragma once
// Host services for tests: fake surfaces, hand-driven timers on one shared
// clock, a fixed system palette and ambient font, and counters for what the
// controls asked of the host. The host must outlive what it creates.
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
  // A FakeTimer on Clock().
  std::unique_ptr<drawing::Timer> CreateTimer() override;
  // Counts the call and runs onDoEvents, standing in for the queued events.
  void DoEvents() override;
  int TwipsPerPixelX() const override { return 15; }
  int TwipsPerPixelY() const override { return 15; }
  drawing::Colour ResolveColour(drawing::Colour colour) const override { return ResolveTestColour(colour); }
  drawing::Font AmbientFont() const override { return ambientFont_; }

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
