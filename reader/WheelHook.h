#pragma once

namespace reader {

// Routes every wheel notch on the desktop to the contents tree. Removing
// twice, or without installing, is harmless.
void InstallWheelHook();
void RemoveWheelHook();
bool WheelHookInstalled();

}  // namespace reader
