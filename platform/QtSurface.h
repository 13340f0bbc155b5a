#pragma once
// A drawing::Surface on Qt: the retained image is a premultiplied QImage of
// the client size in the screen's device pixels (its device pixel ratio
// set), and a plain widget blits it and forwards input. Nothing is
// drawn in paint events; controls draw into the image when they choose to.
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <optional>
#include <string>
#include <unordered_map>

#include "drawing/Surface.h"

namespace platform {

class QtHost;
class QtSurface;

// A widget with this property set to true counts as a window of its own
// for HostServices::WindowFromPoint (the browser inside the main window).
inline constexpr char kOwnWindowProperty[] = "readerOwnWindow";
// A widget with this property set to true is not offered to assistive
// technology: nobody can see it (covered by another, or a drawn shadow).
inline constexpr char kAccessibleHiddenProperty[] = "readerAccessibleHidden";

// The surface a widget shows: a surface's own widget, or the shadow of a
// popup surface. 0 for every other widget.
drawing::WindowHandle SurfaceHandleOf(const QWidget* widget);

// Surfaces inside a window are not native windows of their own: in a
// window that also holds the web view, native children paint black (the
// view's GPU composition cannot draw into them). WindowFromPoint asks the
// X server for the top-level window and Qt for the surface inside it.
class SurfaceWidget : public QWidget {
 public:
  SurfaceWidget(QtSurface& owner, QWidget* parent);
  QtSurface& Owner() const { return owner_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  QtSurface& owner_;
};

class QtSurface : public drawing::Surface {
 public:
  // parent null: a top-level window.
  QtSurface(const QtHost& host, QWidget* parent);
  ~QtSurface() override;

  QWidget* Widget() const { return widget_; }
  const QImage& Image() const { return image_; }

  void Move(int left, int top, int width, int height) override;
  int Left() const override;
  int Top() const override;
  int Width() const override;
  int Height() const override;
  int ScaleWidth() const override;
  int ScaleHeight() const override;
  void SetVisible(bool visible) override;
  bool Visible() const override;
  void SetBackColor(drawing::Colour colour) override;
  drawing::Colour BackColor() const override { return backColour_; }
  void SetForeColor(drawing::Colour colour) override { foreColour_ = colour; }
  drawing::Colour ForeColor() const override { return foreColour_; }
  void SetPicture(drawing::PicturePtr picture) override;
  drawing::PicturePtr Picture() const override { return picture_; }
  void SetFont(const drawing::Font& font) override;
  const drawing::Font& GetFont() const override { return font_; }
  void SetBorderStyle(std::int16_t style) override;
  std::int16_t BorderStyle() const override { return borderStyle_; }
  void SetAppearance(std::int16_t appearance) override;
  std::int16_t Appearance() const override { return appearance_; }
  void SetAutoRedraw(bool on) override { autoRedraw_ = on; }
  bool AutoRedraw() const override { return autoRedraw_; }
  void Cls() override;
  void SetCurrentX(double x) override { currentX_ = x; }
  void SetCurrentY(double y) override { currentY_ = y; }
  double CurrentX() const override { return currentX_; }
  double CurrentY() const override { return currentY_; }
  void SetFontTransparent(bool transparent) override { fontTransparent_ = transparent; }
  void Print(std::string_view text) override;
  double TextWidth(std::string_view text) const override;
  double TextHeight(std::string_view text) const override;
  void Line(double x1, double y1, double x2, double y2, drawing::Colour colour) override;
  void Box(double x1, double y1, double x2, double y2, drawing::Colour colour) override;
  void FilledBox(double x1, double y1, double x2, double y2, drawing::Colour colour) override;
  void PaintPicture(const drawing::Picture& picture, double x, double y, double width, double height) override;
  drawing::PixelView Pixels() override;
  void Refresh() override;
  void LiftToDesktop() override;
  void SetWindowShape(const drawing::Region& region) override;
  bool SetLayered(std::uint8_t alpha, drawing::Colour key) override;
  void SetDropShadow(bool on) override;
  drawing::WindowHandle hWnd() const override;
  drawing::WindowHandle hdc() const override;
  bool HasDC() const override { return true; }

  // Border width in pixels on each side, from the border style and appearance.
  int BorderWidth() const;
  // The popup's own shadow window while it is shown (tests look at it).
  QWidget* ShadowWindow() const { return shadow_; }

  // How far the drawn shadow lies right of and below the popup, and how
  // many pixels of it fade towards its edges.
  static constexpr int kShadowOffset = drawing::kDropShadowOffset;
  static constexpr int kShadowSoftness = 4;

 private:
  friend class SurfaceWidget;
  void ResizeImage();
  // Device pixels per logical pixel for the image: the host's, else the screen's.
  double ScreenRatio() const;
  void DrawOwnPicture();
  // Brings the image to the widget's size; true once per new size.
  bool TakeSizeChange();
  void FocusMoved(QWidget* old, QWidget* now);
  // The window's mask: the shape less the pixels of the colour key.
  void ApplyMask();
  void ShowShadow();
  void HideShadow();
  QColor Resolve(drawing::Colour colour) const;

  const QtHost& host_;
  QPointer<SurfaceWidget> widget_;
  QImage image_;
  double ratio_ = 1.0;  // of image_
  QSize reportedSize_;
  QFont qfont_;
  // Widths already measured in this font. A balloon is laid out word by
  // word, measuring each growing line, and is rebuilt on every hover over
  // the same name: shaping those lines again each time cost more than the
  // rest of the balloon. Emptied when the font changes, and when it is full.
  mutable std::unordered_map<std::string, double> widths_;
  drawing::Font font_;
  drawing::PicturePtr picture_;
  drawing::Colour backColour_ = drawing::kButtonFace;
  drawing::Colour foreColour_ = 0;
  std::int16_t borderStyle_ = 0;
  std::int16_t appearance_ = 0;
  bool autoRedraw_ = false;
  bool fontTransparent_ = true;
  double currentX_ = 0;
  double currentY_ = 0;
  bool dropShadow_ = false;
  bool lifted_ = false;
  QRegion shape_;  // empty: the whole rectangle
  std::optional<drawing::Colour> key_;
  std::uint8_t alpha_ = 255;
  QPointer<QWidget> shadow_;
};

// The QFont for a stored font: face names map onto installed metric twins
// and points become pixels at 96 dpi, as the designs were made.
QFont ToQFont(const drawing::Font& font);

// Wraps picture pixels without a copy; valid while the picture lives.
QImage WrapPicture(const drawing::Picture& picture);

// A picture from image bytes (PNG and the other formats Qt reads); null on failure.
drawing::PicturePtr DecodePicture(const QByteArray& bytes);

}  // namespace platform
