#include "platform/FontWarmUp.h"

#include <fontconfig/fontconfig.h>

#include <future>

namespace platform {

namespace {

// Waited for at exit, so the process never ends under a running read.
std::future<void> g_warming;

}  // namespace

void WarmUpFonts() {
  // fontconfig makes its default configuration once, safely across
  // threads; Qt's own call then finds it made.
  if (!g_warming.valid()) g_warming = std::async(std::launch::async, [] { FcInit(); });
}

}  // namespace platform
