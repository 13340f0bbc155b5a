#pragma once

namespace platform {

// Starts reading the system's font configuration on a thread of its own.
// The window's first text waits for it otherwise: a few milliseconds of
// parsing configuration files, while the program is still setting up the
// application object. Call it first thing; once is enough.
void WarmUpFonts();

}  // namespace platform
