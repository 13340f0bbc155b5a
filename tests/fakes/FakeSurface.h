#pragma once
// A drawing surface with no window behind it: the retained image is a plain
// drawing::Image, the drawing verbs fill exact pixels, text is measured with
// a fixed metric and printed text is recorded instead of rasterised. Tests
// drive the input events through the Press/Move/Release helpers.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/Surface.h"

namespace fakes {

// The fixed system palette of the fake host. Index 15 (button face) is
// 0x00F0F0F0; unknown indices are black.
drawing::Colour TestPaletteColour(int index);
// A plain colour for any colour value: system colours through the test
// palette, the high byte of plain colours dropped.
drawing::Colour ResolveTestColour(drawing::Colour colour);

struct PrintedText {
  std::string text;
  double x = 0;
  double y = 0;
  drawing::Colour colour = 0;  // the fore colour as set, unresolved
  drawing::Font font;
  bool transparent = true;
};

class FakeSurface : public drawing::Surface {
 public:
  using Resolver = std::function<drawing::Colour(drawing::Colour)>;

  // Text metric: every UTF-8 code point is this wide, every line this tall,
  // whatever the font.
  static constexpr int kCharWidth = 7;
  static constexpr int kLineHeight = 15;

  explicit FakeSurface(drawing::Surface* parent = nullptr, Resolver resolve = ResolveTestColour);
  ~FakeSurface() override;
  FakeSurface(const FakeSurface&) = delete;
  FakeSurface& operator=(const FakeSurface&) = delete;

  // Fires events.resized when the outer size changes.
  void Move(int left, int top, int width, int height) override;
  int Left() const override { return left_; }
  int Top() const override { return top_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int ScaleWidth() const override { return image_.Width(); }
  int ScaleHeight() const override { return image_.Height(); }

  // Hiding a shown surface raises events.hidden, as a window's hide does.
  void SetVisible(bool visible) override;
  bool Visible() const override { return visible_; }

  void SetBackColor(drawing::Colour colour) override { backColour_ = colour; }
  drawing::Colour BackColor() const override { return backColour_; }
  void SetForeColor(drawing::Colour colour) override { foreColour_ = colour; }
  drawing::Colour ForeColor() const override { return foreColour_; }
  // Draws the picture at the top-left of the retained image, as the platform does.
  void SetPicture(drawing::PicturePtr picture) override;
  drawing::PicturePtr Picture() const override { return picture_; }
  void SetFont(const drawing::Font& font) override { font_ = font; }
  const drawing::Font& GetFont() const override { return font_; }
  // Border: none for style 0, else 1 pixel (flat) or 2 (3-D) on each side.
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
  // Records the text (an opaque one also fills its box with the back
  // colour); the current position moves to the start of the next line.
  void Print(std::string_view text) override;
  // Widest line, and all lines; an empty text is one line tall.
  double TextWidth(std::string_view text) const override;
  double TextHeight(std::string_view text) const override;

  // The pixel rules of drawing/Primitives.h, shared with the Qt surface:
  // Line leaves out its end point; Box and FilledBox include both corners.
  void Line(double x1, double y1, double x2, double y2, drawing::Colour colour) override;
  void Box(double x1, double y1, double x2, double y2, drawing::Colour colour) override;
  void FilledBox(double x1, double y1, double x2, double y2, drawing::Colour colour) override;
  // Nearest-pixel stretch laid over by the picture's alpha; empty or
  // negative sizes draw nothing.
  void PaintPicture(const drawing::Picture& picture, double x, double y, double width, double height) override;

  drawing::PixelView Pixels() override { return image_.View(); }
  void Refresh() override { ++refreshCount_; }

  // The popup side only records what was asked, for the tests to read.
  void LiftToDesktop() override { lifted_ = true; }
  void SetWindowShape(const drawing::Region& region) override { shape_ = region; }
  bool SetLayered(std::uint8_t alpha, drawing::Colour key) override;
  void SetDropShadow(bool on) override { dropShadow_ = on; }

  drawing::WindowHandle hWnd() const override { return handle_; }
  drawing::WindowHandle hdc() const override { return handle_ + 1; }
  bool HasDC() const override { return true; }

  // ---- test side ----
  drawing::Surface* Parent() const { return parent_; }
  const drawing::Image& RetainedImage() const { return image_; }
  // Premultiplied ARGB word at (x, y) of the retained image.
  std::uint32_t PixelAt(int x, int y) const { return image_.At(x, y); }
  drawing::Colour ColourAt(int x, int y) const { return drawing::FromPixel(image_.At(x, y)); }
  // The plain colour a colour value is drawn with on this surface.
  drawing::Colour Resolve(drawing::Colour colour) const;
  const std::vector<PrintedText>& Printed() const { return printed_; }
  int RefreshCount() const { return refreshCount_; }
  // Code points TextWidth has been asked to measure so far: the work a real
  // surface's text measurement would do.
  long long MeasuredCharacters() const { return measured_; }
  int ClsCount() const { return clsCount_; }

  // Deliver input as the platform would; a missing handler ignores it.
  void PressMouse(int button, int shift, double x, double y);
  void MoveMouse(int button, int shift, double x, double y);
  void ReleaseMouse(int button, int shift, double x, double y);
  void DoubleClickMouse(int button = drawing::kLeftButton, int shift = 0, double x = 0, double y = 0);

  bool Lifted() const { return lifted_; }
  const drawing::Region& WindowShape() const { return shape_; }
  bool Layered() const { return layered_; }
  std::uint8_t LayeredAlpha() const { return layeredAlpha_; }
  drawing::Colour LayeredKey() const { return layeredKey_; }
  bool DropShadow() const { return dropShadow_; }
  // Whether a point in the surface's outer coordinates belongs to its
  // window as a window system sees it: inside the rectangle and the shape,
  // not on a pixel of the colour key; or, for a lifted surface with a drop
  // shadow, on the shadow.
  bool WindowHolds(int x, int y) const;

  // Called from the destructor (the fake host forgets the surface).
  std::function<void()> onDestroyed;

 private:
  int BorderWidth() const;
  void ResizeImage();

  drawing::Surface* parent_;
  Resolver resolve_;
  drawing::WindowHandle handle_;
  drawing::Image image_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = false;
  drawing::Colour backColour_ = drawing::kButtonFace;
  drawing::Colour foreColour_ = 0;
  drawing::PicturePtr picture_;
  drawing::Font font_;
  std::int16_t borderStyle_ = 0;
  std::int16_t appearance_ = 0;
  bool autoRedraw_ = false;
  bool fontTransparent_ = true;
  double currentX_ = 0;
  double currentY_ = 0;
  std::vector<PrintedText> printed_;
  int refreshCount_ = 0;
  int clsCount_ = 0;
  mutable long long measured_ = 0;
  bool lifted_ = false;
  drawing::Region shape_;
  bool layered_ = false;
  std::uint8_t layeredAlpha_ = 255;
  drawing::Colour layeredKey_ = 0;
  bool dropShadow_ = false;
};

}  // namespace fakes
