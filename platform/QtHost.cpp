#include "platform/QtHost.h"

#include <QApplication>
#include <QCursor>
#include <QPixmap>
#include <QScreen>

#include "platform/QtSurface.h"
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

drawing::ScreenPoint QtHost::CursorPos() const {
  const QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

drawing::ScreenRect QtHost::WorkAreaAt(drawing::ScreenPoint point) const {
  const QScreen* screen = QGuiApplication::screenAt(QPoint(point.x, point.y));
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  const QRect r = screen->availableGeometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool QtHost::CaptureScreen(drawing::ScreenRect rect, drawing::Image& out) const {
  QScreen* screen = QGuiApplication::screenAt(QPoint(rect.left, rect.top));
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen || rect.Width() <= 0 || rect.Height() <= 0) return false;
  const QRect g = screen->geometry();
  const QImage shot = screen->grabWindow(0, rect.left - g.left(), rect.top - g.top(), rect.Width(), rect.Height())
                          .toImage()
                          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (shot.isNull()) return false;
  drawing::Image captured(shot.width(), shot.height());
  for (int y = 0; y < shot.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(shot.constScanLine(y));
    for (int x = 0; x < shot.width(); ++x) captured.Set(x, y, row[x]);
  }
  out = std::move(captured);
  return true;
}

drawing::WindowHandle QtHost::WindowFromPoint(drawing::ScreenPoint point) const {
  QWidget* w = QApplication::widgetAt(QPoint(point.x, point.y));
  return w ? static_cast<drawing::WindowHandle>(w->winId()) : 0;
}

int QtHost::AsyncMouseButtons() const {
  const Qt::MouseButtons b = QGuiApplication::mouseButtons();
  return (b & Qt::LeftButton ? drawing::kLeftButton : 0) | (b & Qt::RightButton ? drawing::kRightButton : 0) |
         (b & Qt::MiddleButton ? drawing::kMiddleButton : 0);
}

}  // namespace platform
