#include "reader/WheelHook.h"

namespace reader {
namespace {
// Until the desktop-wide wheel source is wired in, the hook is only state:
// the window's load and unload keep their calls in the right places.
bool installed = false;
}  // namespace

void InstallWheelHook() { installed = true; }
void RemoveWheelHook() { installed = false; }
bool WheelHookInstalled() { return installed; }

}  // namespace reader
