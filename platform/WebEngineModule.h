#pragma once
// Loads the web engine module (web/reader_web.so, next to the program). The
// engine's libraries take longer to load than the whole window takes to
// build and paint, so a program that shows a window first starts the load
// on a thread of its own and lets the window go on meanwhile.
#include <QString>

#include "platform/PageEngine.h"

namespace platform {

// Starts loading the module on a thread of its own; at most once. Call it
// once the application object exists: the engine's libraries check for it
// as they load.
void PreloadWebEngineModule();

// The module's factory, or nullptr when the module cannot be loaded; then
// `problem` says why. Waits for a preload under way, or loads it now.
CreatePageEngineFunction WebEngineModule(QString* problem);

}  // namespace platform
