#include "platform/QtSurface.h"

#include <QApplication>
#include <QHideEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShowEvent>
#include <algorithm>
#include <cmath>
#include <exception>

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
  QImage decoded;
  if (!decoded.loadFromData(bytes)) return nullptr;
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
  delete shadow_.data();
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
  if (picture_) drawing::StretchPicture(Pixels(), *picture_, 0, 0, picture_->Width(), picture_->Height());
  Refresh();
}

void QtSurface::SetFont(const drawing::Font& font) {
  font_ = font;
  qfont_ = ToQFont(font);
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

void QtSurface::ResizeImage() {
  const int b = BorderWidth();
  const int w = std::max(0, (widget_ ? widget_->width() : 0) - 2 * b);
  const int h = std::max(0, (widget_ ? widget_->height() : 0) - 2 * b);
  if (image_.width() == w && image_.height() == h) return;
  if (w == 0 || h == 0) {
    image_ = QImage();  // nothing to keep, nothing to draw on
    return;
  }
  // The kept image grows with the surface; what was drawn stays at the top-left.
  QImage next(w, h, QImage::Format_ARGB32_Premultiplied);
  next.fill(Resolve(backColour_));
  if (!image_.isNull()) {
    QPainter p(&next);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, image_);
  }
  image_ = next;
}

void QtSurface::Cls() {
  image_.fill(Resolve(backColour_));
  if (picture_) drawing::StretchPicture(Pixels(), *picture_, 0, 0, picture_->Width(), picture_->Height());
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
  return QFontMetricsF(qfont_).horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
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
          static_cast<int>(image_.bytesPerLine() / 4)};
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
template <typename Inside>
QRegion Spans(int width, int height, int dx, int dy, const Inside& inside) {
  QRegion region;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width;) {
      if (!inside(x, y)) {
        ++x;
        continue;
      }
      int end = x;
      while (end < width && inside(end, y)) ++end;
      region += QRect(x + dx, y + dy, end - x, 1);
      x = end;
    }
  return region;
}

// A drop shadow drawn by us, so that it shows without a compositing manager:
// a second popup behind the first, holding a darkened copy of the screen.
class ShadowWidget : public QWidget {
 public:
  explicit ShadowWidget(const QtSurface& owner) : QWidget(nullptr, kPopupFlags), owner_(owner) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
  }
  const QtSurface& Owner() const { return owner_; }
  QImage image;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.drawImage(0, 0, image);
  }

 private:
  const QtSurface& owner_;
};

}  // namespace

drawing::WindowHandle SurfaceHandleOf(const QWidget* widget) {
  if (const auto* surface = dynamic_cast<const SurfaceWidget*>(widget)) return surface->Owner().hWnd();
  if (const auto* shadow = dynamic_cast<const ShadowWidget*>(widget)) return shadow->Owner().hWnd();
  return 0;
}

void QtSurface::LiftToDesktop() {
  if (!widget_) return;
  const QRect r = widget_->geometry();
  widget_->setParent(nullptr, kPopupFlags);
  widget_->setAttribute(Qt::WA_ShowWithoutActivating);
  widget_->setFocusPolicy(Qt::NoFocus);
  widget_->setGeometry(r);
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
    const QImage& image = image_;
    keep -= Spans(image.width(), image.height(), BorderWidth(), BorderWidth(), [&image, keyPixel](int x, int y) {
      return reinterpret_cast<const std::uint32_t*>(image.constScanLine(y))[x] == keyPixel;
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

void QtSurface::ShowShadow() {
  if (!widget_ || !lifted_ || !dropShadow_) return;
  const QRect popup = widget_->geometry();
  const QRect area = popup.translated(kShadowOffset, kShadowOffset);
  if (area.isEmpty()) return;
  drawing::Image behind;
  if (!host_.CaptureScreen({area.left(), area.top(), area.left() + area.width(), area.top() + area.height()}, behind))
    behind = drawing::Image(area.width(), area.height(), 0xFF808080u);  // nothing to copy: plain grey
  // The popup's shape, shifted, fading to the screen over its last pixels.
  const QRegion own = widget_->mask().isEmpty() ? QRegion(widget_->rect()) : widget_->mask();
  QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
  const int w = area.width(), h = area.height();
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const int edge = std::min({x + 1, y + 1, w - x, h - y});
      const int darkness = 96 * std::min(edge, kShadowSoftness) / kShadowSoftness;  // of 256
      const std::uint32_t p = behind.At(x, y);
      const auto channel = [&](int shift) { return ((p >> shift) & 0xFF) * (256 - darkness) / 256; };
      row[x] = 0xFF000000u | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }
  }
  if (!shadow_) shadow_ = new ShadowWidget(*this);
  auto* shadow = static_cast<ShadowWidget*>(shadow_.data());
  shadow->image = image;
  shadow->setGeometry(area);
  // Only where the popup does not cover it, and only within its shape.
  QRegion visible = own - own.translated(-kShadowOffset, -kShadowOffset);
  if (visible.isEmpty()) visible = QRegion(-1, -1, 1, 1);
  shadow->setMask(visible);
  shadow->show();
}

void QtSurface::HideShadow() {
  if (shadow_) shadow_->hide();
}

}  // namespace platform
