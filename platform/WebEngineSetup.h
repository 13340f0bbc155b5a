#pragma once

namespace platform {

// Must run before the QApplication is created: Chromium reads its flags and
// the sandbox switch once, at start.
void PrepareWebEngineProcess();

}  // namespace platform
