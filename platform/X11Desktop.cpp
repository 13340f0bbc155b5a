#include "platform/X11Desktop.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cstdlib>
#include <memory>

#if QT_CONFIG(xcb) && defined(READER_HAVE_XCB_XINPUT)
extern "C" {
#include <xcb/xcb.h>
}
#define READER_X11_DESKTOP 1
#endif

namespace platform::x11 {

#ifdef READER_X11_DESKTOP
namespace {

struct Connection {
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = 0;
};

// Offscreen, the X11 interface exists but has no connection: check both.
std::optional<Connection> Connect() {
  auto* app = qGuiApp;
  if (!app) return {};
  auto* native = app->nativeInterface<QNativeInterface::QX11Application>();
  if (!native || !native->connection()) return {};
  xcb_connection_t* c = native->connection();
  const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
  if (screens.rem <= 0) return {};
  return Connection{c, screens.data->root};
}

// The protocol's coordinates are 16-bit; a point beyond lies off every window.
std::int16_t Coordinate(int v) { return static_cast<std::int16_t>(std::clamp(v, -32768, 32767)); }

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

}  // namespace

bool Available() { return Connect().has_value(); }

std::optional<PointerState> QueryPointer() {
  const auto x = Connect();
  if (!x) return {};
  ReplyPtr<xcb_query_pointer_reply_t> reply(
      xcb_query_pointer_reply(x->connection, xcb_query_pointer(x->connection, x->root), nullptr), &std::free);
  if (!reply) return {};
  return PointerState{reply->root_x, reply->root_y, reply->mask};
}

std::optional<std::uint32_t> WindowAt(int rootX, int rootY) {
  const auto x = Connect();
  if (!x) return {};
  // Each step asks which child of the current window holds the point; the
  // server answers with the mapped child on top there, shapes respected.
  xcb_window_t window = x->root;
  for (int depth = 0; depth < 64; ++depth) {
    ReplyPtr<xcb_translate_coordinates_reply_t> reply(
        xcb_translate_coordinates_reply(
            x->connection,
            xcb_translate_coordinates(x->connection, x->root, window, Coordinate(rootX), Coordinate(rootY)),
            nullptr),
        &std::free);
    if (!reply || reply->child == XCB_NONE) break;
    window = reply->child;
  }
  return window;
}

#else

bool Available() { return false; }
std::optional<PointerState> QueryPointer() { return {}; }
std::optional<std::uint32_t> WindowAt(int, int) { return {}; }

#endif

}  // namespace platform::x11
