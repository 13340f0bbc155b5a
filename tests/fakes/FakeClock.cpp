#include "tests/fakes/FakeClock.h"

#include <algorithm>

namespace fakes {

void FakeClock::Advance(long long milliseconds) {
  if (milliseconds <= 0) return;
  const long long until = now_ + milliseconds;
  while (true) {
    FakeTimer* next = nullptr;
    for (FakeTimer* t : timers_)
      if (t->Running() && t->due_ <= until && (!next || t->due_ < next->due_)) next = t;
    if (!next) break;
    now_ = next->due_;
    next->due_ += next->interval_;
    ++next->ticks_;
    // The handler may destroy its own timer: keep a copy to call.
    const auto tick = next->tick;
    if (tick) tick();
  }
  now_ = until;
}

FakeTimer::FakeTimer(FakeClock& clock) : clock_(clock) { clock_.timers_.push_back(this); }

FakeTimer::~FakeTimer() {
  auto& timers = clock_.timers_;
  timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void FakeTimer::Restart() { due_ = clock_.now_ + interval_; }

void FakeTimer::SetInterval(int milliseconds) {
  interval_ = milliseconds;
  if (enabled_) Restart();
}

void FakeTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (enabled_) Restart();
}

}  // namespace fakes
