#include "platform/WebEngineModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <QApplication>
#include <QOpenGLContext>
#include <climits>
#include <future>
#include <mutex>
#include <string>

namespace platform {

namespace {

struct Loaded {
  CreatePageEngineFunction create = nullptr;
  std::string problem;
};

// In a folder beside the running program, whatever its name: the build's
// bench copies the program and its module into a folder of their own. Not
// beside it: a library in the package's program folder, directly under
// /usr/lib, would have the package call ldconfig for nothing.
std::string ModulePath() {
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string folder = n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : std::string();
  folder = folder.substr(0, folder.rfind('/') + 1);
  return folder + "web/reader_web.so";
}

Loaded Load() {
  const std::string path = ModulePath();
  // Never unloaded: the engine keeps threads and callbacks into it until
  // the process ends. Bound lazily, as the program itself is: binding every
  // symbol of the engine's libraries now would add a few milliseconds to
  // the load, for functions that are mostly never called; a missing
  // library or symbol version still fails the load here.
  void* module = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE);
  if (module == nullptr) return {nullptr, ::dlerror()};
  auto* create = reinterpret_cast<CreatePageEngineFunction>(::dlsym(module, kCreatePageEngineSymbol));
  if (create == nullptr) return {nullptr, path + ": " + kCreatePageEngineSymbol + " is missing"};
  return {create, {}};
}

std::mutex g_mutex;
std::shared_future<Loaded> g_loading;

std::shared_future<Loaded> Loading(std::launch how) {
  std::lock_guard lock(g_mutex);
  if (!g_loading.valid()) g_loading = std::async(how, Load).share();
  return g_loading;
}

}  // namespace

void PreloadWebEngineModule() {
  // Loaded now, not while the module loads: a library loaded meanwhile
  // waits until the module is in (the loader takes one at a time). The
  // platform's OpenGL support is loaded on the first question about it,
  // a style from a plugin on the first use of the style.
  QOpenGLContext::supportsThreadedOpenGL();
  QApplication::style();
  Loading(std::launch::async);
}

CreatePageEngineFunction WebEngineModule(QString* problem) {
  // Deferred: without a preload, the load runs here, on the caller's thread.
  const Loaded& loaded = Loading(std::launch::deferred).get();
  if (problem) *problem = QString::fromStdString(loaded.problem);
  return loaded.create;
}

}  // namespace platform
