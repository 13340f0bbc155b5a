#include "platform/DesktopWheel.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QPointer>
#include <QWheelEvent>
#include <QtGui/qguiapplication_platform.h>
#include <cstdint>
#include <cstdlib>
#include <vector>

#if QT_CONFIG(xcb) && defined(READER_HAVE_XCB_XINPUT)
extern "C" {
#include <xcb/xcb.h>
#include <xcb/xinput.h>
}
#endif

namespace platform {

#if QT_CONFIG(xcb) && defined(READER_HAVE_XCB_XINPUT)
namespace {

// Wheel buttons of the core pointer protocol; 6 and 7 are the horizontal
// wheel and stay unhandled.
constexpr std::uint32_t kWheelAway = 4;
constexpr std::uint32_t kWheelTowards = 5;

std::vector<xcb_window_t> RootWindows(xcb_connection_t* connection) {
  std::vector<xcb_window_t> roots;
  for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem > 0; xcb_screen_next(&it))
    roots.push_back(it.data->root);
  return roots;
}

// Raw button presses for the master devices only: selecting every device
// would report each notch twice (the physical device and its master), and
// a selection for all devices would replace the one Qt keeps on the root
// window for its own device bookkeeping.
bool SelectRawButtons(xcb_connection_t* connection, bool on) {
  struct {
    xcb_input_event_mask_t head;
    std::uint32_t bits;
  } mask{};
  mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
  mask.head.mask_len = 1;
  mask.bits = on ? XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS : 0;
  bool ok = true;
  for (xcb_window_t root : RootWindows(connection)) {
    xcb_void_cookie_t cookie = xcb_input_xi_select_events_checked(connection, root, 1, &mask.head);
    if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
      std::free(error);
      ok = false;
    }
  }
  xcb_flush(connection);
  return ok;
}

// The selection belongs to the connection, not to a watcher: it is made by
// the first watcher and withdrawn when the last one goes.
int rawSelectionUsers = 0;

}  // namespace

class DesktopWheel::RawButtonFilter : public QAbstractNativeEventFilter {
 public:
  RawButtonFilter(const DesktopWheel& owner, xcb_connection_t* connection, std::uint8_t opcode)
      : owner_(owner), connection_(connection), opcode_(opcode), application_(QCoreApplication::instance()) {}

  ~RawButtonFilter() override {
    // After the application is gone its connection is gone too, and the
    // selection with it.
    if (selected_ && application_ && --rawSelectionUsers == 0) SelectRawButtons(connection_, false);
  }

  bool Select() {
    if (rawSelectionUsers == 0 && !SelectRawButtons(connection_, true)) {
      SelectRawButtons(connection_, false);
      return false;
    }
    ++rawSelectionUsers;
    selected_ = true;
    return true;
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_GE_GENERIC) return false;
    const auto* generic = static_cast<const xcb_ge_generic_event_t*>(message);
    if (generic->extension != opcode_ || generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS) return false;
    // Every field read here lies in the first 32 bytes, where xcb's layout
    // and the wire layout agree. Presses that a smooth-scrolling device
    // emulates for each notch count like real ones.
    const auto* raw = static_cast<const xcb_input_raw_button_press_event_t*>(message);
    if (raw->detail == kWheelAway)
      owner_.Report(+1);
    else if (raw->detail == kWheelTowards)
      owner_.Report(-1);
    return false;  // watched, never taken away from its window
  }

 private:
  const DesktopWheel& owner_;
  xcb_connection_t* connection_;
  std::uint8_t opcode_;
  QPointer<QCoreApplication> application_;
  bool selected_ = false;
};

bool DesktopWheel::InstallRawEvents() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return false;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  // The offscreen platform answers with an X11 interface but no connection.
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return false;
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
  if (!extension || !extension->present) return false;
  auto filter = std::make_unique<RawButtonFilter>(*this, connection, extension->major_opcode);
  if (!filter->Select()) return false;
  QCoreApplication::instance()->installNativeEventFilter(filter.get());
  rawFilter_ = std::move(filter);
  return true;
}

#else

class DesktopWheel::RawButtonFilter {};

bool DesktopWheel::InstallRawEvents() { return false; }

#endif

class DesktopWheel::WindowWheelFilter : public QObject {
 public:
  explicit WindowWheelFilter(const DesktopWheel& owner) : owner_(owner) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    // A wheel event reaches one window and then travels through the widgets
    // under the cursor; counting it at the window counts it once.
    if (event->type() == QEvent::Wheel && watched->isWindowType()) {
      const int y = static_cast<QWheelEvent*>(event)->angleDelta().y();
      if (y > 0)
        owner_.Report(+1);
      else if (y < 0)
        owner_.Report(-1);
    }
    return false;
  }

 private:
  const DesktopWheel& owner_;
};

DesktopWheel::DesktopWheel(NotchHandler onNotch) : onNotch_(std::move(onNotch)) {}

DesktopWheel::~DesktopWheel() { Remove(); }

void DesktopWheel::Install() {
  if (source_ != Source::None || !qGuiApp) return;
  if (InstallRawEvents()) {
    source_ = Source::X11Raw;
    return;
  }
  windowFilter_ = std::make_unique<WindowWheelFilter>(*this);
  QCoreApplication::instance()->installEventFilter(windowFilter_.get());
  source_ = Source::OwnWindows;
}

void DesktopWheel::Remove() {
  // Destroying a filter also takes it off the application.
  rawFilter_.reset();
  windowFilter_.reset();
  source_ = Source::None;
}

void DesktopWheel::Report(int sign) const {
  if (!onNotch_) return;
  try {
    onNotch_(sign);
  } catch (...) {
    // An exception must not unwind through Qt's event dispatch; the notch
    // is lost, the next one is handled again.
  }
}

}  // namespace platform
