#include "platform/QtSurface.h"

#include <QBitmap>

#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <exception>

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
  // Windows asks for the cell height rounded from points at 96 dpi.
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
  const int b = owner_.BorderWidth();
  Deliver(owner_.events.mouseDown, ButtonsOf(e->button()), ShiftOf(e->modifiers()), e->position().x() - b,
          e->position().y() - b);
  Deliver(owner_.events.gotFocus);
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
  owner_.ResizeImage();
  Deliver(owner_.events.resized);
}

void SurfaceWidget::focusInEvent(QFocusEvent*) {
  Deliver(owner_.events.enterFocus);
}

void SurfaceWidget::focusOutEvent(QFocusEvent*) {
  Deliver(owner_.events.exitFocus);
}

void SurfaceWidget::hideEvent(QHideEvent*) {
  Deliver(owner_.events.hidden);
}

QtSurface::QtSurface(const QtHost& host, QWidget* parent)
    : host_(host), widget_(new SurfaceWidget(*this, parent)) {
  widget_->hide();
  SetFont(host.AmbientFont());
  ResizeImage();
}

QtSurface::~QtSurface() {
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
  ResizeImage();
}

int QtSurface::Left() const { return widget_ ? widget_->x() : 0; }
int QtSurface::Top() const { return widget_ ? widget_->y() : 0; }
int QtSurface::Width() const { return widget_ ? widget_->width() : 0; }
int QtSurface::Height() const { return widget_ ? widget_->height() : 0; }
int QtSurface::ScaleWidth() const { return image_.width(); }
int QtSurface::ScaleHeight() const { return image_.height(); }

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
  if (picture_) {
    QPainter p(&image_);
    p.drawImage(0, 0, WrapPicture(*picture_));
  }
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
  if (image_.width() == w && image_.height() == h && !image_.isNull()) return;
  // The kept image grows with the surface; what was drawn stays at the top-left.
  QImage next(std::max(w, 1), std::max(h, 1), QImage::Format_ARGB32_Premultiplied);
  next.fill(Resolve(backColour_));
  if (!image_.isNull()) {
    QPainter p(&next);
    p.drawImage(0, 0, image_);
  }
  image_ = w > 0 && h > 0 ? next : next.copy(0, 0, w, h);
}

void QtSurface::Cls() {
  image_.fill(Resolve(backColour_));
  if (picture_) {
    QPainter p(&image_);
    p.drawImage(0, 0, WrapPicture(*picture_));
  }
  currentX_ = currentY_ = 0;
  Refresh();
}

void QtSurface::Print(std::string_view text) {
  const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  QFontMetricsF metrics(qfont_);
  {
    QPainter p(&image_);
    p.setFont(qfont_);
    if (!fontTransparent_)
      p.fillRect(QRectF(currentX_, currentY_, metrics.horizontalAdvance(s), metrics.height()), Resolve(backColour_));
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
  QPainter p(&image_);
  p.setPen(QPen(Resolve(colour), 1));
  p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
  Refresh();
}

void QtSurface::Box(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  QPainter p(&image_);
  p.setPen(QPen(Resolve(colour), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(QPointF(std::min(x1, x2), std::min(y1, y2)), QPointF(std::max(x1, x2), std::max(y1, y2))));
  Refresh();
}

void QtSurface::FilledBox(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  // Both corners are inside the filled area.
  const int left = static_cast<int>(std::floor(std::min(x1, x2)));
  const int top = static_cast<int>(std::floor(std::min(y1, y2)));
  const int right = static_cast<int>(std::floor(std::max(x1, x2)));
  const int bottom = static_cast<int>(std::floor(std::max(y1, y2)));
  QPainter p(&image_);
  p.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), Resolve(colour));
  Refresh();
}

void QtSurface::PaintPicture(const drawing::Picture& picture, double x, double y, double width, double height) {
  if (picture.Empty()) return;
  QPainter p(&image_);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(QRectF(x, y, width, height), WrapPicture(picture));
  Refresh();
}

drawing::PixelView QtSurface::Pixels() {
  if (image_.isNull()) return {};
  return {reinterpret_cast<std::uint32_t*>(image_.bits()), image_.width(), image_.height(),
          static_cast<int>(image_.bytesPerLine() / 4)};
}

void QtSurface::Refresh() {
  if (widget_) widget_->update();
}

drawing::WindowHandle QtSurface::hWnd() const { return reinterpret_cast<drawing::WindowHandle>(widget_.data()); }

drawing::WindowHandle QtSurface::hdc() const { return reinterpret_cast<drawing::WindowHandle>(&image_); }

}  // namespace platform

namespace platform {

void QtSurface::LiftToDesktop() {
  if (!widget_) return;
  const QRect r = widget_->geometry();
  widget_->setParent(nullptr, Qt::ToolTip | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                                  Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  widget_->setAttribute(Qt::WA_ShowWithoutActivating);
  widget_->setGeometry(r);
  widget_->hide();
}

void QtSurface::SetWindowShape(const drawing::Region& region) {
  if (!widget_) return;
  if (region.Empty()) {
    widget_->clearMask();
    return;
  }
  QRegion mask;
  for (int y = 0; y < region.Height(); ++y)
    for (int x = 0; x < region.Width();) {
      if (!region.Contains(x, y)) { ++x; continue; }
      int end = x;
      while (end < region.Width() && region.Contains(end, y)) ++end;
      mask += QRect(x, y, end - x, 1);
      x = end;
    }
  widget_->setMask(mask);
}

bool QtSurface::SetLayered(std::uint8_t alpha, drawing::Colour key) {
  if (!widget_) return false;
  widget_->setWindowOpacity(alpha / 255.0);
  const QColor k(drawing::RedOf(key), drawing::GreenOf(key), drawing::BlueOf(key));
  QRegion keep = QRegion(QBitmap::fromImage(image_.createMaskFromColor(k.rgb(), Qt::MaskOutColor)));
  if (!widget_->mask().isEmpty()) keep &= widget_->mask();
  widget_->setMask(keep);
  return true;
}

}  // namespace platform
