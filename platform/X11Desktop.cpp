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

bool ReadRootPixels(int left, int top, int width, int height, std::uint32_t* rows, int stride) {
  const auto x = Connect();
  if (!x || width <= 0 || height <= 0) return false;
  const xcb_setup_t* setup = xcb_get_setup(x->connection);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
  if (screen->root_depth != 24 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
  bool thirtyTwoBits = false;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
    if (f.data->depth == 24) thirtyTwoBits = f.data->bits_per_pixel == 32;
  if (!thirtyTwoBits) return false;
  // The server refuses a rectangle that reaches beyond the root: ask for
  // the part inside it only.
  const int x0 = std::max(left, 0), y0 = std::max(top, 0);
  const int x1 = std::min(left + width, static_cast<int>(screen->width_in_pixels));
  const int y1 = std::min(top + height, static_cast<int>(screen->height_in_pixels));
  if (x0 >= x1 || y0 >= y1) return true;
  ReplyPtr<xcb_get_image_reply_t> reply(
      xcb_get_image_reply(x->connection,
                          xcb_get_image(x->connection, XCB_IMAGE_FORMAT_Z_PIXMAP, x->root, Coordinate(x0),
                                        Coordinate(y0), static_cast<std::uint16_t>(x1 - x0),
                                        static_cast<std::uint16_t>(y1 - y0), ~0u),
                          nullptr),
      &std::free);
  if (!reply) return false;
  const int w = x1 - x0, h = y1 - y0;
  if (xcb_get_image_data_length(reply.get()) < w * h * 4) return false;
  const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(reply.get()));
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* from = data + static_cast<std::ptrdiff_t>(y) * w;
    std::uint32_t* to = rows + static_cast<std::ptrdiff_t>(y0 - top + y) * stride + (x0 - left);
    for (int i = 0; i < w; ++i) to[i] = from[i] | 0xFF000000u;
  }
  return true;
}

#else

bool ReadRootPixels(int, int, int, int, std::uint32_t*, int) { return false; }
bool Available() { return false; }
std::optional<PointerState> QueryPointer() { return {}; }
std::optional<std::uint32_t> WindowAt(int, int) { return {}; }

#endif

}  // namespace platform::x11
