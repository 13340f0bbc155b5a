#pragma once
// Routes every vertical wheel notch on the desktop, over any window and
// while the reader is inactive, to the main window's Scrol: "-" when the
// wheel turned away from the user, "+" when it turned towards. The notch
// still reaches the window it was meant for.
#include <cstdint>
#include <functional>
#include <string>

namespace reader {

using ScrolOperation = std::function<void(std::string& direction)>;

// Starts routing notches to scrol. While installed, a second call only
// changes where the notches go.
void InstallWheelHook(ScrolOperation scrol);
// Stops routing; harmless when repeated or when nothing was installed.
void RemoveWheelHook();
bool WheelHookInstalled();

// One notch: a positive wheel delta (away from the user) calls scrol with
// "-", any other with "+". Only the sign counts, never the size. Does
// nothing while no hook is installed.
void WheelHookProc(std::int32_t wheelDelta);

}  // namespace reader
