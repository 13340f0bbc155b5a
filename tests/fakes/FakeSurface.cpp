#include "tests/fakes/FakeSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "drawing/Primitives.h"

namespace fakes {

namespace {

// Handles only need to be distinct and non-zero; odd values are hdc's.
drawing::WindowHandle NextHandle() {
  static drawing::WindowHandle next = 0x10000;
  next += 2;
  return next;
}

std::size_t CodePoints(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

drawing::Colour TestPaletteColour(int index) {
  switch (index) {
    case 5:   // window
    case 14:  // highlighted text
    case 20:  // button highlight
      return 0x00FFFFFF;
    case 13:  // highlight
      return 0x00D77800;
    case 15:  // button face
      return 0x00F0F0F0;
    case 16:  // button shadow
      return 0x00A0A0A0;
    default:  // window text, button text and everything else
      return 0x00000000;
  }
}

drawing::Colour ResolveTestColour(drawing::Colour colour) {
  if (drawing::IsSystemColour(colour)) return TestPaletteColour(drawing::SystemColourIndex(colour));
  return colour & 0x00FFFFFFu;
}

FakeSurface::FakeSurface(drawing::Surface* parent, Resolver resolve)
    : parent_(parent), resolve_(resolve ? std::move(resolve) : Resolver(ResolveTestColour)), handle_(NextHandle()) {}

FakeSurface::~FakeSurface() {
  if (onDestroyed) onDestroyed();
}

drawing::Colour FakeSurface::Resolve(drawing::Colour colour) const { return resolve_(colour); }

int FakeSurface::BorderWidth() const {
  if (borderStyle_ != 1) return 0;
  return appearance_ == 1 ? 2 : 1;
}

void FakeSurface::ResizeImage() {
  const int b = BorderWidth();
  const int w = std::max(0, width_ - 2 * b);
  const int h = std::max(0, height_ - 2 * b);
  if (w == image_.Width() && h == image_.Height()) return;
  // What was drawn stays at the top-left; new area shows the background.
  drawing::Image next(w, h, drawing::ToPixel(Resolve(backColour_)));
  for (int y = 0; y < std::min(h, image_.Height()); ++y)
    for (int x = 0; x < std::min(w, image_.Width()); ++x) next.Set(x, y, image_.At(x, y));
  image_ = std::move(next);
}

void FakeSurface::Move(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width = std::max(0, width);
  height = std::max(0, height);
  const bool sizeChanged = width != width_ || height != height_;
  width_ = width;
  height_ = height;
  ResizeImage();
  if (sizeChanged && events.resized) events.resized();
}

void FakeSurface::SetVisible(bool visible) {
  const bool hiding = visible_ && !visible;
  visible_ = visible;
  if (hiding && events.hidden) events.hidden();
}

void FakeSurface::SetPicture(drawing::PicturePtr picture) {
  picture_ = std::move(picture);
  if (picture_) PaintPicture(*picture_, 0, 0, picture_->Width(), picture_->Height());
}

void FakeSurface::SetBorderStyle(std::int16_t style) {
  borderStyle_ = style;
  ResizeImage();
}

void FakeSurface::SetAppearance(std::int16_t appearance) {
  appearance_ = appearance;
  ResizeImage();
}

void FakeSurface::Cls() {
  ++clsCount_;
  drawing::FillBox(image_.View(), 0, 0, image_.Width() - 1, image_.Height() - 1, drawing::ToPixel(Resolve(backColour_)));
  if (picture_) PaintPicture(*picture_, 0, 0, picture_->Width(), picture_->Height());
  currentX_ = currentY_ = 0;
}

void FakeSurface::Print(std::string_view text) {
  if (!fontTransparent_)
    drawing::FillArea(image_.View(), currentX_, currentY_, TextWidth(text), TextHeight(text),
                      drawing::ToPixel(Resolve(backColour_)));
  printed_.push_back({std::string(text), currentX_, currentY_, foreColour_, font_, fontTransparent_});
  currentX_ = 0;
  currentY_ += TextHeight(text);
}

double FakeSurface::TextWidth(std::string_view text) const {
  std::size_t widest = 0;
  for (std::string_view line : Lines(text)) {
    const std::size_t n = CodePoints(line);
    widest = std::max(widest, n);
    measured_ += static_cast<long long>(n);
  }
  return static_cast<double>(widest) * kCharWidth;
}

double FakeSurface::TextHeight(std::string_view text) const {
  return static_cast<double>(Lines(text).size()) * kLineHeight;
}

void FakeSurface::Line(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  drawing::DrawLine(image_.View(), x1, y1, x2, y2, drawing::ToPixel(Resolve(colour)));
}

void FakeSurface::Box(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  drawing::DrawBox(image_.View(), x1, y1, x2, y2, drawing::ToPixel(Resolve(colour)));
}

void FakeSurface::FilledBox(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  drawing::FillBox(image_.View(), x1, y1, x2, y2, drawing::ToPixel(Resolve(colour)));
}

void FakeSurface::PaintPicture(const drawing::Picture& picture, double x, double y, double width, double height) {
  drawing::StretchPicture(image_.View(), picture, x, y, width, height);
}

void FakeSurface::PressMouse(int button, int shift, double x, double y) {
  if (events.mouseDown) events.mouseDown(button, shift, x, y);
}

void FakeSurface::MoveMouse(int button, int shift, double x, double y) {
  if (events.mouseMove) events.mouseMove(button, shift, x, y);
}

void FakeSurface::ReleaseMouse(int button, int shift, double x, double y) {
  if (events.mouseUp) events.mouseUp(button, shift, x, y);
}

void FakeSurface::DoubleClickMouse(int button, int shift, double x, double y) {
  if (events.doubleClick) events.doubleClick(button, shift, x, y);
}

bool FakeSurface::WindowHolds(int x, int y) const {
  const auto body = [this](int px, int py) {
    if (px < 0 || py < 0 || px >= width_ || py >= height_) return false;
    if (!shape_.Empty() && !shape_.Contains(px, py)) return false;
    const int b = BorderWidth();
    const int ix = px - b, iy = py - b;
    const bool onImage = ix >= 0 && iy >= 0 && ix < image_.Width() && iy < image_.Height();
    return !(layered_ && onImage && image_.At(ix, iy) == drawing::ToPixel(Resolve(layeredKey_)));
  };
  if (body(x, y)) return true;
  return lifted_ && dropShadow_ && body(x - drawing::kDropShadowOffset, y - drawing::kDropShadowOffset);
}

bool FakeSurface::SetLayered(std::uint8_t alpha, drawing::Colour key) {
  layered_ = true;
  layeredAlpha_ = alpha;
  layeredKey_ = key;
  return true;
}

}  // namespace fakes
