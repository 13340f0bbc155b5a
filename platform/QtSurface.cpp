#include "platform/QtSurface.h"

#include "platform/PngImage.h"

#include <QApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShowEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <array>
#include <exception>
#include <utility>
#include <vector>

#include "drawing/Primitives.h"
#include "platform/QtHost.h"

namespace platform {
namespace {

int ButtonsOf(Qt::MouseButtons buttons) {
  int out = 0;
  if (buttons & Qt::LeftButton) out |= drawing::kLeftButton;
  if (buttons & Qt::RightButton) out |= drawing::kRightButton;
  if (buttons & Qt::MiddleButton) out |= drawing::kMiddleButton;
  return out;
}

int ShiftOf(Qt::KeyboardModifiers mods) {
  int out = 0;
  if (mods & Qt::ShiftModifier) out |= drawing::kShiftKey;
  if (mods & Qt::ControlModifier) out |= drawing::kCtrlKey;
  if (mods & Qt::AltModifier) out |= drawing::kAltKey;
  return out;
}

QString FaceFor(const std::string& stored) {
  const QString face = QString::fromStdString(stored);
  // The designs name Windows faces; Liberation fonts share their metrics.
  if (face.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0 ||
      face.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0 ||
      face.compare(QLatin1String("Microsoft Sans Serif"), Qt::CaseInsensitive) == 0)
    return QStringLiteral("Liberation Sans");
  if (face.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
    return QStringLiteral("Liberation Serif");
  if (face.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
    return QStringLiteral("Liberation Mono");
  if (face.compare(QLatin1String("Tahoma"), Qt::CaseInsensitive) == 0 ||
      face.compare(QLatin1String("Verdana"), Qt::CaseInsensitive) == 0)
    return QStringLiteral("DejaVu Sans");
  return face;
}

// Input reaches the controls from inside Qt's event dispatch, where an
// exception must not escape: a failing handler loses that one event, as
// the controls' mouse handling skips a failing step.
template <typename Fn, typename... Args>
void Deliver(const Fn& handler, Args... args) {
  if (!handler) return;
  try {
    handler(args...);
  } catch (const std::exception&) {
  }
}

drawing::Key KeyOf(int key) {
  switch (key) {
    case Qt::Key_Up: return drawing::Key::Up;
    case Qt::Key_Down: return drawing::Key::Down;
    case Qt::Key_Left: return drawing::Key::Left;
    case Qt::Key_Right: return drawing::Key::Right;
    case Qt::Key_Home: return drawing::Key::Home;
    case Qt::Key_End: return drawing::Key::End;
    case Qt::Key_PageUp: return drawing::Key::PageUp;
    case Qt::Key_PageDown: return drawing::Key::PageDown;
    case Qt::Key_Return:
    case Qt::Key_Enter: return drawing::Key::Enter;
    case Qt::Key_Space: return drawing::Key::Space;
    default: return drawing::Key::Other;
  }
}

// Hides a popup's shadow window and keeps it for the next popup.
void ReleaseShadow(QWidget* shadow);

}  // namespace

QFont ToQFont(const drawing::Font& font) {
  QFont q(FaceFor(font.face));
  // The stored designs give points at 96 dpi; the cell height is that, rounded.
  q.setPixelSize(std::max(1, static_cast<int>(std::lround(font.sizePoints * 96.0 / 72.0))));
  q.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
  q.setItalic(font.italic);
  q.setUnderline(font.underline);
  q.setStrikeOut(font.strikeout);
  q.setHintingPreference(QFont::PreferFullHinting);
  return q;
}

QImage WrapPicture(const drawing::Picture& picture) {
  const drawing::PixelView v = picture.View();
  return QImage(reinterpret_cast<const uchar*>(v.bits), v.width, v.height, v.stride * 4,
                QImage::Format_ARGB32_Premultiplied);
}

drawing::PicturePtr DecodePicture(const QByteArray& bytes) {
  QImage decoded = DecodeImage(bytes);
  if (decoded.isNull()) return nullptr;
  decoded = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  auto picture = std::make_shared<drawing::Picture>(decoded.width(), decoded.height());
  for (int y = 0; y < decoded.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(decoded.constScanLine(y));
    for (int x = 0; x < decoded.width(); ++x) picture->Set(x, y, row[x]);
  }
  return picture;
}

SurfaceWidget::SurfaceWidget(QtSurface& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
}

void SurfaceWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int b = owner_.BorderWidth();
  if (b > 0) {
    p.fillRect(rect(), owner_.Resolve(owner_.BackColor()));
    if (owner_.Appearance() == 1) {
      // Sunken 3-D frame: dark outside top-left, light bottom-right.
      p.setPen(palette().color(QPalette::Mid));
      p.drawLine(0, 0, width() - 1, 0);
      p.drawLine(0, 0, 0, height() - 1);
      p.setPen(palette().color(QPalette::Light));
      p.drawLine(0, height() - 1, width() - 1, height() - 1);
      p.drawLine(width() - 1, 0, width() - 1, height() - 1);
      p.setPen(palette().color(QPalette::Dark));
      p.drawLine(1, 1, width() - 2, 1);
      p.drawLine(1, 1, 1, height() - 2);
    } else {
      p.setPen(Qt::black);
      p.drawRect(0, 0, width() - 1, height() - 1);
    }
  }
  p.drawImage(b, b, owner_.image_);
}

void SurfaceWidget::mousePressEvent(QMouseEvent* e) {
  // The second press of a double click arrives as the double click alone:
  // controls count presses, and a double click is not two of them. Qt's
  // widget layer drops that press for input from the window system; an
  // event that still carries the mark is dropped here.
  if (e->flags() & Qt::MouseEventCreatedDoubleClick) return;
  const int b = owner_.BorderWidth();
  Deliver(owner_.events.mouseDown, ButtonsOf(e->button()), ShiftOf(e->modifiers()), e->position().x() - b,
          e->position().y() - b);
}

void SurfaceWidget::mouseMoveEvent(QMouseEvent* e) {
  const int b = owner_.BorderWidth();
  Deliver(owner_.events.mouseMove, ButtonsOf(e->buttons()), ShiftOf(e->modifiers()), e->position().x() - b,
          e->position().y() - b);
}

void SurfaceWidget::mouseReleaseEvent(QMouseEvent* e) {
  const int b = owner_.BorderWidth();
  Deliver(owner_.events.mouseUp, ButtonsOf(e->button()), ShiftOf(e->modifiers()), e->position().x() - b,
          e->position().y() - b);
}

void SurfaceWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  const int b = owner_.BorderWidth();
  Deliver(owner_.events.doubleClick, ButtonsOf(e->button()), ShiftOf(e->modifiers()), e->position().x() - b,
          e->position().y() - b);
}

void SurfaceWidget::resizeEvent(QResizeEvent*) {
  // A size the surface has reported already (a hidden surface's resize that
  // Qt delivers late, at show) is not reported twice.
  if (owner_.TakeSizeChange()) Deliver(owner_.events.resized);
}

void SurfaceWidget::showEvent(QShowEvent* event) {
  // Sent before the window is mapped: the shadow copies the screen without
  // the popup on it, and goes up first so that the popup lies above it.
  if (!event->spontaneous()) owner_.ShowShadow();
}

void SurfaceWidget::keyPressEvent(QKeyEvent* e) {
  drawing::KeyPress key;
  key.key = KeyOf(e->key());
  key.shift = ShiftOf(e->modifiers());
  key.autoRepeat = e->isAutoRepeat();
  // A chord with Ctrl or Alt types nothing: it is a command for the window.
  if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
    key.text = e->text().toStdString();
  bool used = false;
  if (owner_.events.keyDown) {
    try {
      used = owner_.events.keyDown(key);
    } catch (const std::exception&) {
      used = true;  // a failing handler loses the key, as it loses a click
    }
  }
  if (used)
    e->accept();
  else
    QWidget::keyPressEvent(e);  // ignored: on to the parent
}

void SurfaceWidget::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  const Qt::FocusReason reason = e->reason();
  if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason) {
    // Reported to the surface that holds the focus and to every surface
    // around it, as the focus entering a control is.
    for (QWidget* w = this; w; w = w->parentWidget())
      if (auto* surface = dynamic_cast<SurfaceWidget*>(w)) Deliver(surface->owner_.events.keyboardFocus);
  }
}

void SurfaceWidget::hideEvent(QHideEvent* event) {
  if (event->spontaneous()) return;
  owner_.HideShadow();
  Deliver(owner_.events.hidden);
}

QtSurface::QtSurface(const QtHost& host, QWidget* parent)
    : host_(host), widget_(new SurfaceWidget(*this, parent)) {
  widget_->hide();
  // A new surface has no size until its owner gives it one.
  widget_->setGeometry(0, 0, 0, 0);
  SetFont(host.AmbientFont());
  ResizeImage();
  reportedSize_ = widget_->size();
  // Focus is followed application-wide: the focus entering the surface or a
  // child of it is one notification, the surface itself getting it another.
  QObject::connect(qApp, &QApplication::focusChanged, widget_.data(),
                   [this](QWidget* old, QWidget* now) { FocusMoved(old, now); });
}

QtSurface::~QtSurface() {
  // The owner is going away: hiding the window must not call back into it.
  events = {};
  ReleaseShadow(shadow_.data());
  // The widget may already be gone with its parent window.
  if (widget_) {
    widget_->hide();
    delete widget_.data();
  }
}

int QtSurface::BorderWidth() const {
  if (borderStyle_ != 1) return 0;
  return appearance_ == 1 ? 2 : 1;
}

void QtSurface::Move(int left, int top, int width, int height) {
  if (!widget_) return;
  widget_->setGeometry(left, top, std::max(0, width), std::max(0, height));
  // Qt holds the resize event of a hidden widget back until it is shown, but
  // size rules (a face that keeps its size, a bar that follows its height)
  // must hold before then: the change is reported here, once.
  if (TakeSizeChange() && events.resized) events.resized();
}

bool QtSurface::TakeSizeChange() {
  if (!widget_) return false;
  ResizeImage();
  if (widget_->size() == reportedSize_) return false;
  reportedSize_ = widget_->size();
  return true;
}

void QtSurface::FocusMoved(QWidget* old, QWidget* now) {
  QWidget* self = widget_;
  if (!self) return;
  const auto inside = [self](QWidget* w) { return w && (w == self || self->isAncestorOf(w)); };
  const bool wasInside = inside(old), isInside = inside(now);
  if (isInside && !wasInside) Deliver(events.enterFocus);
  if (now == self && old != self) Deliver(events.gotFocus);
  if (wasInside && !isInside) Deliver(events.exitFocus);
}

int QtSurface::Left() const { return widget_ ? widget_->x() : 0; }
int QtSurface::Top() const { return widget_ ? widget_->y() : 0; }
int QtSurface::Width() const { return widget_ ? widget_->width() : 0; }
int QtSurface::Height() const { return widget_ ? widget_->height() : 0; }
// The inner size, also where the image is empty for want of one dimension.
int QtSurface::ScaleWidth() const { return std::max(0, Width() - 2 * BorderWidth()); }
int QtSurface::ScaleHeight() const { return std::max(0, Height() - 2 * BorderWidth()); }

void QtSurface::SetVisible(bool visible) {
  if (widget_) widget_->setVisible(visible);
}

bool QtSurface::Visible() const { return widget_ && !widget_->isHidden(); }

void QtSurface::SetBackColor(drawing::Colour colour) {
  backColour_ = colour;
  if (widget_) widget_->update();
}

void QtSurface::SetPicture(drawing::PicturePtr picture) {
  picture_ = std::move(picture);
  DrawOwnPicture();
  Refresh();
}

void QtSurface::SetFont(const drawing::Font& font) {
  font_ = font;
  qfont_ = ToQFont(font);
  widths_.clear();
}

void QtSurface::SetBorderStyle(std::int16_t style) {
  borderStyle_ = style;
  ResizeImage();
  Refresh();
}

void QtSurface::SetAppearance(std::int16_t appearance) {
  appearance_ = appearance;
  ResizeImage();
  Refresh();
}

QColor QtSurface::Resolve(drawing::Colour colour) const {
  const drawing::Colour plain = host_.ResolveColour(colour);
  return QColor(drawing::RedOf(plain), drawing::GreenOf(plain), drawing::BlueOf(plain));
}

double QtSurface::ScreenRatio() const {
  const double forced = host_.PixelRatio();
  if (forced > 0) return forced;
  return widget_ ? widget_->devicePixelRatioF() : 1.0;
}

void QtSurface::ResizeImage() {
  const int b = BorderWidth();
  const int w = std::max(0, (widget_ ? widget_->width() : 0) - 2 * b);
  const int h = std::max(0, (widget_ ? widget_->height() : 0) - 2 * b);
  const double ratio = ScreenRatio();
  // The image holds the screen's pixels: ratio device pixels for each
  // logical one, so that text, lines and pictures are drawn at the screen's
  // resolution while every coordinate stays logical.
  const int deviceW = static_cast<int>(drawing::DeviceEdge(w, ratio));
  const int deviceH = static_cast<int>(drawing::DeviceEdge(h, ratio));
  if (image_.width() == deviceW && image_.height() == deviceH && ratio_ == ratio) return;
  ratio_ = ratio;
  if (w == 0 || h == 0) {
    image_ = QImage();  // nothing to keep, nothing to draw on
    return;
  }
  // The kept image grows with the surface; what was drawn stays at the top-left.
  QImage next(deviceW, deviceH, QImage::Format_ARGB32_Premultiplied);
  next.setDevicePixelRatio(ratio);
  next.fill(Resolve(backColour_));
  if (!image_.isNull()) {
    QPainter p(&next);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(0, 0, image_);
  }
  image_ = next;
}

void QtSurface::DrawOwnPicture() {
  if (!picture_) return;
  // Pixels of the background colour in the picture are background: at a
  // ratio above 1 the interpolated picture keeps them so (a skin holder's
  // background is the key colour of the skin).
  const std::uint32_t background = drawing::ToPixel(host_.ResolveColour(backColour_));
  drawing::StretchPictureKeyed(Pixels(), *picture_, 0, 0, picture_->Width(), picture_->Height(), &background);
}

void QtSurface::Cls() {
  // The screen's density may have changed since the last drawing (another screen).
  ResizeImage();
  image_.fill(Resolve(backColour_));
  DrawOwnPicture();
  currentX_ = currentY_ = 0;
  Refresh();
}

void QtSurface::Print(std::string_view text) {
  const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  QFontMetricsF metrics(qfont_);
  // A surface of no size has nothing to draw on (and a painter on it only
  // complains); the position still moves on.
  if (!image_.isNull()) {
    if (!fontTransparent_)
      drawing::FillArea(Pixels(), currentX_, currentY_, metrics.horizontalAdvance(s), metrics.height(),
                        drawing::ToPixel(host_.ResolveColour(backColour_)));
    QPainter p(&image_);
    p.setFont(qfont_);
    p.setPen(Resolve(foreColour_));
    p.drawText(QPointF(currentX_, currentY_ + metrics.ascent()), s);
  }
  currentX_ = 0;
  currentY_ += metrics.height();
  Refresh();
}

double QtSurface::TextWidth(std::string_view text) const {
  constexpr std::size_t kKeptWidths = 512;
  if (const auto known = widths_.find(std::string(text)); known != widths_.end()) return known->second;
  const double width =
      QFontMetricsF(qfont_).horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  if (widths_.size() >= kKeptWidths) widths_.clear();
  widths_.emplace(text, width);
  return width;
}

double QtSurface::TextHeight(std::string_view) const { return QFontMetricsF(qfont_).height(); }

void QtSurface::Line(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  drawing::DrawLine(Pixels(), x1, y1, x2, y2, drawing::ToPixel(host_.ResolveColour(colour)));
  Refresh();
}

void QtSurface::Box(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  drawing::DrawBox(Pixels(), x1, y1, x2, y2, drawing::ToPixel(host_.ResolveColour(colour)));
  Refresh();
}

void QtSurface::FilledBox(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  drawing::FillBox(Pixels(), x1, y1, x2, y2, drawing::ToPixel(host_.ResolveColour(colour)));
  Refresh();
}

void QtSurface::PaintPicture(const drawing::Picture& picture, double x, double y, double width, double height) {
  drawing::StretchPicture(Pixels(), picture, x, y, width, height);
  Refresh();
}

drawing::PixelView QtSurface::Pixels() {
  if (image_.isNull()) return {};
  return {reinterpret_cast<std::uint32_t*>(image_.bits()), image_.width(), image_.height(),
          static_cast<int>(image_.bytesPerLine() / 4), ratio_};
}

void QtSurface::Refresh() {
  if (!widget_) return;
  widget_->update();
  // The colour key follows the image: drawing after SetLayered cuts out
  // what it paints in the key colour, too.
  if (key_) ApplyMask();
}

drawing::WindowHandle QtSurface::hWnd() const { return reinterpret_cast<drawing::WindowHandle>(widget_.data()); }

drawing::WindowHandle QtSurface::hdc() const { return reinterpret_cast<drawing::WindowHandle>(&image_); }

}  // namespace platform

namespace platform {
namespace {

constexpr Qt::WindowFlags kPopupFlags = Qt::ToolTip | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                                        Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;

// Rows of pixels where inside(x, y) holds, as a region offset by (dx, dy).
// The rectangles are handed to the region in one go, in the banded order it
// keeps them, and rows with the same runs as the row above join that band:
// a shape is a handful of rectangles for the window system, not one per row,
// and the region is not rebuilt once per run.
template <typename Inside>
QRegion Spans(int width, int height, int dx, int dy, const Inside& inside) {
  std::vector<QRect> rects;
  std::size_t bandStart = 0;  // the first rectangle of the previous row's band
  std::vector<std::pair<int, int>> runs, previous;
  for (int y = 0; y < height; ++y) {
    runs.clear();
    for (int x = 0; x < width;) {
      if (!inside(x, y)) {
        ++x;
        continue;
      }
      int end = x + 1;
      while (end < width && inside(end, y)) ++end;
      runs.emplace_back(x, end);
      x = end;
    }
    if (!runs.empty() && runs == previous && rects.size() - bandStart == runs.size() &&
        rects[bandStart].bottom() == y - 1 + dy) {
      for (std::size_t i = bandStart; i < rects.size(); ++i) rects[i].setBottom(y + dy);
    } else {
      bandStart = rects.size();
      for (const auto& [begin, end] : runs) rects.emplace_back(begin + dx, y + dy, end - begin, 1);
    }
    previous.swap(runs);
  }
  QRegion region;
  if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

// A drop shadow drawn by us, so that it shows without a compositing manager:
// a second popup behind the first, holding darkened copies of the screen
// where its mask lets them show.
class ShadowWidget : public QWidget {
 public:
  ShadowWidget() : QWidget(nullptr, kPopupFlags) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setProperty(kAccessibleHiddenProperty, true);
  }
  struct Piece {
    QPoint at;
    QImage image;
  };
  const QtSurface* owner = nullptr;  // none while it waits for the next popup
  std::vector<Piece> pieces;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    for (const Piece& piece : pieces) p.drawImage(piece.at, piece.image);
  }
};

// The shadow window of a popup that has gone, kept hidden for the next one:
// a balloon is rebuilt on every hover, and a native window made anew each
// time would cost more than the whole balloon.
QPointer<ShadowWidget>& SpareShadow() {
  static QPointer<ShadowWidget> spare;
  return spare;
}

void ReleaseShadow(QWidget* widget) {
  auto* shadow = static_cast<ShadowWidget*>(widget);
  if (!shadow) return;
  shadow->hide();
  shadow->owner = nullptr;
  shadow->pieces.clear();
  if (SpareShadow())
    delete shadow;
  else
    SpareShadow() = shadow;
}

}  // namespace

drawing::WindowHandle SurfaceHandleOf(const QWidget* widget) {
  if (const auto* surface = dynamic_cast<const SurfaceWidget*>(widget)) return surface->Owner().hWnd();
  if (const auto* shadow = dynamic_cast<const ShadowWidget*>(widget))
    return shadow->owner ? shadow->owner->hWnd() : 0;
  return 0;
}

namespace {

bool OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace

void QtSurface::LiftToDesktop() {
  if (!widget_) return;
  const QRect r = widget_->geometry();
  QWidget* const owner = widget_->window() != widget_ ? widget_->window() : nullptr;
  widget_->setParent(nullptr, kPopupFlags);
  widget_->setAttribute(Qt::WA_ShowWithoutActivating);
  widget_->setFocusPolicy(Qt::NoFocus);
  widget_->setGeometry(r);
  // Wayland places a popup only relative to a window of its client: the
  // window the surface was lifted from. Its screen position is then taken
  // as relative to that window, as the cursor's is.
  if (OnWayland() && owner && owner->windowHandle()) {
    widget_->winId();
    if (QWindow* popup = widget_->windowHandle()) popup->setTransientParent(owner->windowHandle());
  }
  widget_->hide();
  lifted_ = true;
  // A new top-level window: opacity and mask are given to it again.
  if (key_) widget_->setWindowOpacity(alpha_ / 255.0);
  ApplyMask();
}

void QtSurface::SetWindowShape(const drawing::Region& region) {
  shape_ = region.Empty() ? QRegion()
                          : Spans(region.Width(), region.Height(), 0, 0,
                                  [&region](int x, int y) { return region.Contains(x, y); });
  ApplyMask();
}

// The key is cut from the image as it stands now and again after every
// later drawing (see Refresh), so it holds whether the image is drawn
// before or after this call.
bool QtSurface::SetLayered(std::uint8_t alpha, drawing::Colour key) {
  if (!widget_) return false;
  alpha_ = alpha;
  key_ = host_.ResolveColour(key);
  // Takes effect on a top-level window with a compositing manager only;
  // a popup lifted later gets it then.
  if (widget_->isWindow()) widget_->setWindowOpacity(alpha / 255.0);
  ApplyMask();
  return true;
}

void QtSurface::ApplyMask() {
  if (!widget_) return;
  QRegion keep = shape_.isEmpty() ? QRegion(widget_->rect()) : shape_;
  if (key_ && !image_.isNull()) {
    const std::uint32_t keyPixel = drawing::ToPixel(*key_);
    const uchar* const bits = image_.constBits();
    const qsizetype stride = image_.bytesPerLine();
    // The mask is in logical pixels: each is judged by the device pixel at its centre.
    const double ratio = ratio_;
    const int lastX = image_.width() - 1, lastY = image_.height() - 1;
    const auto device = [ratio](int v, int last) {
      return std::min(last, static_cast<int>(std::floor((v + 0.5) * ratio)));
    };
    keep -= Spans(ScaleWidth(), ScaleHeight(), BorderWidth(), BorderWidth(),
                  [bits, stride, keyPixel, device, lastX, lastY](int x, int y) {
                    return reinterpret_cast<const std::uint32_t*>(bits + device(y, lastY) * stride)[device(x, lastX)] ==
                           keyPixel;
                  });
  }
  if (shape_.isEmpty() && !key_) {
    widget_->clearMask();
  } else if (keep.isEmpty()) {
    // Qt reads an empty mask as "no mask"; a pixel off the window hides all.
    widget_->setMask(QRegion(-1, -1, 1, 1));
  } else {
    widget_->setMask(keep);
  }
}

void QtSurface::SetDropShadow(bool on) {
  dropShadow_ = on;
  if (!on)
    HideShadow();
  else if (widget_ && widget_->isVisible())
    ShowShadow();
}

namespace {

// The shadow over the screen pixels in `behind` (box's part of the shadow
// area of width w and height h, in logical pixels), fading to the screen
// over its last pixels. behind holds the screen's own pixels, its ratio to
// each logical one, and so does the result.
QImage Darkened(const drawing::Image& behind, const QRect& box, int w, int h) {
  constexpr int kSoft = QtSurface::kShadowSoftness;
  // What is left of a channel, of 256, at each distance from the edge.
  const auto keep = [] {
    std::array<std::uint32_t, kSoft + 1> out{};
    for (int edge = 0; edge <= kSoft; ++edge) out[edge] = 256 - 96 * edge / kSoft;
    return out;
  }();
  const double ratio = behind.Ratio();
  QImage out(behind.Width(), behind.Height(), QImage::Format_ARGB32_Premultiplied);
  out.setDevicePixelRatio(ratio);
  // The logical pixel of the shadow area a device pixel lies in.
  const auto logical = [ratio](int device, int origin) {
    return origin + static_cast<int>(std::floor((device + 0.5) / ratio));
  };
  for (int y = 0; y < out.height(); ++y) {
    const int sy = logical(y, box.top());
    const int edgeY = std::min(sy + 1, h - sy);
    auto* row = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
    const std::uint32_t* in = behind.View().Row(y);
    for (int x = 0; x < out.width(); ++x) {
      const int sx = logical(x, box.left());
      const std::uint32_t k = keep[std::clamp(std::min({sx + 1, w - sx, edgeY}), 0, kSoft)];
      const std::uint32_t p = in[x];
      row[x] = 0xFF000000u | ((((p >> 16) & 0xFF) * k >> 8) << 16) | ((((p >> 8) & 0xFF) * k >> 8) << 8) |
               ((p & 0xFF) * k >> 8);
    }
  }
  return out;
}

}  // namespace

void QtSurface::ShowShadow() {
  if (!widget_ || !lifted_ || !dropShadow_) return;
  // A Wayland client can neither read the screen nor place a window of its
  // own beside the popup: the compositor draws shadows there, if any.
  if (OnWayland()) return;
  const QRect area = widget_->geometry().translated(kShadowOffset, kShadowOffset);
  if (area.isEmpty()) return;
  // Only where the popup does not cover it, and only within its shape.
  const QRegion own = widget_->mask().isEmpty() ? QRegion(widget_->rect()) : widget_->mask();
  QRegion visible = own - own.translated(-kShadowOffset, -kShadowOffset);
  // Only that shows: the strip along the right edge and the one along the
  // bottom (with what the shape's corners uncover) are copied and darkened.
  QRect boxes[2];
  for (const QRect& r : visible) boxes[r.left() >= area.width() / 2 ? 0 : 1] |= r;
  std::vector<ShadowWidget::Piece> pieces;
  for (const QRect& box : boxes) {
    if (box.isEmpty()) continue;
    const QRect onScreen = box.translated(area.topLeft());
    drawing::Image behind;
    if (!host_.CaptureScreen({onScreen.left(), onScreen.top(), onScreen.left() + onScreen.width(),
                              onScreen.top() + onScreen.height()},
                             behind))
      behind = drawing::Image(box.width(), box.height(), 0xFF808080u);  // nothing to copy: plain grey
    pieces.push_back({box.topLeft(), Darkened(behind, box, area.width(), area.height())});
  }
  if (!shadow_) {
    shadow_ = SpareShadow().data();
    SpareShadow().clear();
    if (!shadow_) shadow_ = new ShadowWidget;
  }
  auto* shadow = static_cast<ShadowWidget*>(shadow_.data());
  shadow->owner = this;
  shadow->pieces = std::move(pieces);
  shadow->setGeometry(area);
  if (visible.isEmpty()) visible = QRegion(-1, -1, 1, 1);
  shadow->setMask(visible);
  shadow->update();
  shadow->show();
}

void QtSurface::HideShadow() {
  if (shadow_) shadow_->hide();
}

}  // namespace platform
