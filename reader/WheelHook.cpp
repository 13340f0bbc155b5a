#include "reader/WheelHook.h"

#include <memory>

#include "platform/DesktopWheel.h"

namespace reader {
namespace {

// Process-wide, like a system hook: one route for the whole program.
struct Hook {
  ScrolOperation scrol;
  std::unique_ptr<platform::DesktopWheel> source;
};

Hook& TheHook() {
  static Hook hook;
  return hook;
}

}  // namespace

void InstallWheelHook(ScrolOperation scrol) {
  Hook& hook = TheHook();
  hook.scrol = std::move(scrol);
  if (!hook.source) hook.source = std::make_unique<platform::DesktopWheel>([](int sign) { WheelHookProc(sign); });
  hook.source->Install();
}

void RemoveWheelHook() {
  Hook& hook = TheHook();
  hook.source.reset();
  hook.scrol = nullptr;
}

bool WheelHookInstalled() { return TheHook().source && TheHook().source->Installed(); }

void WheelHookProc(std::int32_t wheelDelta) {
  const Hook& hook = TheHook();
  if (!WheelHookInstalled() || !hook.scrol) return;
  std::string direction = wheelDelta > 0 ? "-" : "+";
  hook.scrol(direction);
}

}  // namespace reader
