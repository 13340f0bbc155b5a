#pragma once
// Time that passes only when a test says so. Timers created on a FakeClock
// tick from Advance, each once per elapsed period and all of them in time
// order, so a test sees exactly the tick sequence a real run would have.
#include <cstddef>
#include <vector>

#include "drawing/HostServices.h"

namespace fakes {

class FakeTimer;

class FakeClock {
 public:
  FakeClock() = default;
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  long long Now() const { return now_; }
  // Moves time forward by milliseconds (negative: nothing), firing every tick
  // that falls due on the way, earliest first; timers due at the same moment
  // fire in creation order. A tick may enable, disable, create or destroy
  // timers; the change counts from that moment.
  void Advance(long long milliseconds);
  // Timers alive on this clock, enabled or not.
  std::size_t TimerCount() const { return timers_.size(); }
  // Those timers, oldest first.
  const std::vector<FakeTimer*>& Timers() const { return timers_; }

 private:
  friend class FakeTimer;
  std::vector<FakeTimer*> timers_;
  long long now_ = 0;
};

class FakeTimer : public drawing::Timer {
 public:
  explicit FakeTimer(FakeClock& clock);
  ~FakeTimer() override;
  FakeTimer(const FakeTimer&) = delete;
  FakeTimer& operator=(const FakeTimer&) = delete;

  // Changing the interval of a running timer restarts its period.
  void SetInterval(int milliseconds) override;
  int Interval() const override { return interval_; }
  // Enabling, also when already enabled, restarts the period.
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }

  // An enabled timer with an interval of 0 or less never ticks.
  bool Running() const { return enabled_ && interval_ > 0; }
  // Clock time of the next tick; meaningful only while Running.
  long long NextDue() const { return due_; }
  int TickCount() const { return ticks_; }

 private:
  friend class FakeClock;
  void Restart();

  FakeClock& clock_;
  int interval_ = 0;
  bool enabled_ = false;
  long long due_ = 0;
  int ticks_ = 0;
};

}  // namespace fakes
