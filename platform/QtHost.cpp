#include "platform/QtHost.h"

#include <QApplication>
#include <QCursor>
#include <QPixmap>
#include <QScreen>
#include <algorithm>

#include "platform/QtSurface.h"
#include "platform/X11Desktop.h"
#include "platform/WheelTargetFilter.h"

namespace platform {

QtTimer::QtTimer() {
  // Qt 6.4 makes short coarse timers precise anyway; asking for it keeps the
  // 10 ms animation steady on other versions too.
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (tick) tick();
  });
}

void QtTimer::SetInterval(int milliseconds) {
  interval_ = milliseconds;
  Apply();
}

void QtTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Apply();
}

void QtTimer::Apply() {
  if (enabled_ && interval_ > 0)
    timer_.start(interval_);  // also restarts a running period
  else
    timer_.stop();
}

QColor SystemColour(int index, const QPalette& p) {
  using G = QPalette::ColorGroup;
  using R = QPalette::ColorRole;
  switch (index) {
    case 0: return p.color(G::Active, R::Mid);
    case 1: return p.color(G::Active, R::Dark);
    case 2: return p.color(G::Active, R::Highlight);
    case 3: return p.color(G::Inactive, R::Highlight);
    case 4: return p.color(G::Active, R::Window);
    case 5: return p.color(G::Active, R::Base);
    case 6: return p.color(G::Active, R::Shadow);
    case 7: return p.color(G::Active, R::WindowText);
    case 8: return p.color(G::Active, R::Text);
    case 9: return p.color(G::Active, R::HighlightedText);
    case 10: case 11: return p.color(G::Active, R::Window);
    case 12: return p.color(G::Active, R::Dark);
    case 13: return p.color(G::Active, R::Highlight);
    case 14: return p.color(G::Active, R::HighlightedText);
    case 15: return p.color(G::Active, R::Button);
    case 16: return p.color(G::Active, R::Dark);
    case 17: return p.color(G::Disabled, R::Text);
    case 18: return p.color(G::Active, R::ButtonText);
    case 19: return p.color(G::Inactive, R::WindowText);
    case 20: return p.color(G::Active, R::Light);
    case 21: return p.color(G::Active, R::Shadow);
    case 22: return p.color(G::Active, R::Midlight);
    case 23: return p.color(G::Active, R::ToolTipText);
    case 24: return p.color(G::Active, R::ToolTipBase);
    case 25: return p.color(G::Active, R::Button);
    case 26: return p.color(G::Active, R::Link);
    case 27: return p.color(G::Active, R::Highlight);
    case 28: return p.color(G::Active, R::Mid);
    case 29: return p.color(G::Active, R::Highlight);
    case 30: return p.color(G::Active, R::Window);
    default: return Qt::black;  // an index the system does not know reads as black
  }
}

QtHost::QtHost(QWidget* root) : root_(root) {}

std::unique_ptr<drawing::Surface> QtHost::CreateSurface(drawing::Surface* parent) {
  QWidget* parentWidget = root_;
  if (auto* qtParent = dynamic_cast<QtSurface*>(parent)) parentWidget = qtParent->Widget();
  return std::make_unique<QtSurface>(*this, parentWidget);
}

std::unique_ptr<drawing::Surface> QtHost::CreateElement(const drawing::Surface& element0) {
  const auto* source = dynamic_cast<const QtSurface*>(&element0);
  QWidget* parentWidget = source && source->Widget() ? source->Widget()->parentWidget() : root_.data();
  auto element = std::make_unique<QtSurface>(*this, parentWidget);
  element->SetFont(element0.GetFont());
  element->SetBackColor(element0.BackColor());
  element->SetForeColor(element0.ForeColor());
  element->SetBorderStyle(element0.BorderStyle());
  element->SetAppearance(element0.Appearance());
  element->SetAutoRedraw(element0.AutoRedraw());
  element->Move(element0.Left(), element0.Top(), element0.Width(), element0.Height());
  return element;
}

std::unique_ptr<drawing::Timer> QtHost::CreateTimer() { return std::make_unique<QtTimer>(); }

void QtHost::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

namespace {
int TwipsPerPixel(qreal dpi) {
  const int twips = dpi > 0 ? static_cast<int>(1440.0 / dpi + 0.5) : 15;
  return twips > 0 ? twips : 15;
}
}  // namespace

int QtHost::TwipsPerPixelX() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return TwipsPerPixel(screen ? screen->logicalDotsPerInchX() : 96.0);
}

int QtHost::TwipsPerPixelY() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return TwipsPerPixel(screen ? screen->logicalDotsPerInchY() : 96.0);
}

drawing::Colour QtHost::ResolveColour(drawing::Colour colour) const {
  if (!drawing::IsSystemColour(colour)) return colour & 0x00FFFFFFu;
  const QColor c = SystemColour(drawing::SystemColourIndex(colour), QApplication::palette());
  return drawing::MakeColour(c.red(), c.green(), c.blue());
}

drawing::Font QtHost::AmbientFont() const { return drawing::Font{}; }

void QtHost::SubclassWheelWindow(drawing::Surface& surface) {
  if (auto* qt = dynamic_cast<QtSurface*>(&surface); qt && qt->Widget()) new WheelTargetFilter(qt->Widget());
}

namespace {

// X speaks device pixels, Qt's screen coordinates are logical ones; they
// differ only where a scale factor is set.
qreal ScaleAt(const QPoint& logical) {
  const QScreen* screen = QGuiApplication::screenAt(logical);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->devicePixelRatio() : 1.0;
}

// The screen that holds the point, else the nearest one.
QScreen* ScreenNearest(const QPoint& point) {
  if (QScreen* screen = QGuiApplication::screenAt(point)) return screen;
  QScreen* best = nullptr;
  long long bestDistance = 0;
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry();
    const long long dx = point.x() < g.left() ? g.left() - point.x() : point.x() > g.right() ? point.x() - g.right() : 0;
    const long long dy = point.y() < g.top() ? g.top() - point.y() : point.y() > g.bottom() ? point.y() - g.bottom() : 0;
    const long long distance = dx * dx + dy * dy;
    if (!best || distance < bestDistance) {
      best = screen;
      bestDistance = distance;
    }
  }
  return best;
}

// The handle a widget of ours stands for at a screen point: the surface (or
// the popup whose shadow it is) under the point, else the nearest widget
// that counts as a window of its own (the browser), else its top-level.
drawing::WindowHandle HandleOf(QWidget* widget, const QPoint& global) {
  QWidget* deepest = widget;
  if (QWidget* child = widget->childAt(widget->mapFromGlobal(global))) deepest = child;
  for (QWidget* w = deepest; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
    if (const drawing::WindowHandle h = SurfaceHandleOf(w)) return h;
    if (w->isWindow() || w->property(kOwnWindowProperty).toBool()) return reinterpret_cast<drawing::WindowHandle>(w);
  }
  return reinterpret_cast<drawing::WindowHandle>(widget);
}

}  // namespace

drawing::ScreenPoint QtHost::CursorPos() const {
  // On X11 this asks the server, so the position is right over other
  // programs' windows too.
  const QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

drawing::ScreenRect QtHost::WorkAreaAt(drawing::ScreenPoint point) const {
  const QScreen* screen = ScreenNearest(QPoint(point.x, point.y));
  if (!screen) return {};
  const QRect r = screen->availableGeometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool QtHost::CaptureScreen(drawing::ScreenRect rect, drawing::Image& out) const {
  // Only an X server lets us read the pixels of every program's windows;
  // elsewhere (offscreen, Wayland) the caller is told so.
  if (!x11::Available() || rect.Width() <= 0 || rect.Height() <= 0) return false;
  const QRect wanted(rect.left, rect.top, rect.Width(), rect.Height());
  // The copy holds the screen's own pixels: on a scaled screen, ratio of
  // them to each logical pixel, taken from the logical rectangle asked for.
  const qreal ratio = ScaleAt(wanted.topLeft());
  // One request to the server where the screen is laid out as the root
  // window's 32-bit words and the screen is unscaled: the balloon copies
  // the screen on every build, and Qt's own grab goes through a pixmap and
  // two conversions.
  if (ratio == 1.0) {
    drawing::Image captured(rect.Width(), rect.Height(), 0xFF000000u);
    const drawing::PixelView into = captured.View();
    if (x11::ReadRootPixels(rect.left, rect.top, rect.Width(), rect.Height(), into.bits, into.stride)) {
      out = std::move(captured);
      return true;
    }
  }
  drawing::Image captured(static_cast<int>(drawing::DeviceEdge(rect.Width(), ratio)),
                          static_cast<int>(drawing::DeviceEdge(rect.Height(), ratio)), 0xFF000000u);
  captured.SetRatio(ratio);
  const drawing::PixelView into = captured.View();
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry();
    const QRect part = wanted.intersected(g);
    if (part.isEmpty()) continue;
    QImage shot = screen->grabWindow(0, part.x() - g.x(), part.y() - g.y(), part.width(), part.height()).toImage();
    if (shot.isNull()) return false;
    // The part's place and size in the copy's pixels; a screen of another
    // density is brought to the copy's.
    const int offX = static_cast<int>(drawing::DeviceEdge(part.x() - rect.left, ratio));
    const int offY = static_cast<int>(drawing::DeviceEdge(part.y() - rect.top, ratio));
    const int partW = static_cast<int>(drawing::DeviceEdge(part.x() + part.width() - rect.left, ratio)) - offX;
    const int partH = static_cast<int>(drawing::DeviceEdge(part.y() + part.height() - rect.top, ratio)) - offY;
    if (shot.width() != partW || shot.height() != partH)
      shot = shot.scaled(partW, partH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // An opaque copy of the screen is a premultiplied image once its alpha
    // byte is set, which is done while copying; only another layout is
    // converted first.
    if (shot.format() != QImage::Format_RGB32 && shot.format() != QImage::Format_ARGB32_Premultiplied)
      shot.convertTo(QImage::Format_ARGB32_Premultiplied);
    const std::uint32_t opaque = shot.format() == QImage::Format_RGB32 ? 0xFF000000u : 0u;
    const int rows = std::min({shot.height(), partH, into.height - offY});
    const int cols = std::min({shot.width(), partW, into.width - offX});
    for (int y = 0; y < rows; ++y) {
      const auto* from = reinterpret_cast<const std::uint32_t*>(shot.constScanLine(y));
      std::uint32_t* to = into.Row(offY + y) + offX;
      for (int x = 0; x < cols; ++x) to[x] = from[x] | opaque;
    }
  }
  out = std::move(captured);
  return true;
}

drawing::WindowHandle QtHost::WindowFromPoint(drawing::ScreenPoint point) const {
  const QPoint global(point.x, point.y);
  if (x11::Available()) {
    const qreal scale = ScaleAt(global);
    const auto window = x11::WindowAt(static_cast<int>(point.x * scale), static_cast<int>(point.y * scale));
    if (!window) return 0;
    // Our own native windows map back to their widgets; anything else is
    // another program's window (or the bare desktop) and keeps its X id.
    QWidget* ours = QWidget::find(static_cast<WId>(*window));
    return ours ? HandleOf(ours, global) : static_cast<drawing::WindowHandle>(*window);
  }
  // Without a server to ask, only our own windows can be seen.
  QWidget* ours = QApplication::widgetAt(global);
  return ours ? HandleOf(ours, global) : 0;
}

int QtHost::AsyncMouseButtons() const {
  Qt::MouseButtons b = QGuiApplication::mouseButtons();
  if (const auto pointer = x11::QueryPointer()) {
    // The server's mask sees a button held in any program.
    b = Qt::NoButton;
    if (pointer->buttonMask & 0x100) b |= Qt::LeftButton;
    if (pointer->buttonMask & 0x200) b |= Qt::MiddleButton;
    if (pointer->buttonMask & 0x400) b |= Qt::RightButton;
  }
  return (b & Qt::LeftButton ? drawing::kLeftButton : 0) | (b & Qt::RightButton ? drawing::kRightButton : 0) |
         (b & Qt::MiddleButton ? drawing::kMiddleButton : 0);
}

}  // namespace platform
