#include "tests/fakes/FakeSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace fakes {

namespace {

// Handles only need to be distinct and non-zero; odd values are hdc's.
drawing::WindowHandle NextHandle() {
  static drawing::WindowHandle next = 0x10000;
  next += 2;
  return next;
}

// Far outside any test image, and small enough for the line stepping below.
long long PixelCoordinate(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<long long>(std::floor(std::clamp(v, -1.0e9, 1.0e9)));
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
  Fill(0, 0, image_.Width() - 1LL, image_.Height() - 1LL, Resolve(backColour_));
  if (picture_) PaintPicture(*picture_, 0, 0, picture_->Width(), picture_->Height());
  currentX_ = currentY_ = 0;
}

void FakeSurface::Print(std::string_view text) {
  printed_.push_back({std::string(text), currentX_, currentY_, foreColour_, font_, fontTransparent_});
  currentX_ = 0;
  currentY_ += TextHeight(text);
}

double FakeSurface::TextWidth(std::string_view text) const {
  std::size_t widest = 0;
  for (std::string_view line : Lines(text)) widest = std::max(widest, CodePoints(line));
  return static_cast<double>(widest) * kCharWidth;
}

double FakeSurface::TextHeight(std::string_view text) const {
  return static_cast<double>(Lines(text).size()) * kLineHeight;
}

void FakeSurface::Plot(long long x, long long y, std::uint32_t pixel) {
  if (x < 0 || y < 0 || x >= image_.Width() || y >= image_.Height()) return;
  image_.Set(static_cast<int>(x), static_cast<int>(y), pixel);
}

void FakeSurface::Fill(long long left, long long top, long long right, long long bottom, drawing::Colour plain) {
  left = std::max(left, 0LL);
  top = std::max(top, 0LL);
  right = std::min(right, image_.Width() - 1LL);
  bottom = std::min(bottom, image_.Height() - 1LL);
  const std::uint32_t pixel = drawing::ToPixel(plain);
  for (long long y = top; y <= bottom; ++y)
    for (long long x = left; x <= right; ++x) image_.Set(static_cast<int>(x), static_cast<int>(y), pixel);
}

void FakeSurface::Line(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  // Absurd end points are pulled in so that stepping stays short; the slope
  // of such lines is not worth keeping in a fake.
  const auto near = [](double v) { return std::clamp(PixelCoordinate(v), -(1LL << 20), 1LL << 20); };
  long long x = near(x1), y = near(y1);
  const long long ex = near(x2), ey = near(y2);
  const long long dx = std::llabs(ex - x), dy = -std::llabs(ey - y);
  const long long sx = x < ex ? 1 : -1, sy = y < ey ? 1 : -1;
  const std::uint32_t pixel = drawing::ToPixel(Resolve(colour));
  long long err = dx + dy;
  while (x != ex || y != ey) {
    Plot(x, y, pixel);
    const long long e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void FakeSurface::Box(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  const long long left = PixelCoordinate(std::min(x1, x2)), right = PixelCoordinate(std::max(x1, x2));
  const long long top = PixelCoordinate(std::min(y1, y2)), bottom = PixelCoordinate(std::max(y1, y2));
  const drawing::Colour plain = Resolve(colour);
  Fill(left, top, right, top, plain);
  Fill(left, bottom, right, bottom, plain);
  Fill(left, top, left, bottom, plain);
  Fill(right, top, right, bottom, plain);
}

void FakeSurface::FilledBox(double x1, double y1, double x2, double y2, drawing::Colour colour) {
  Fill(PixelCoordinate(std::min(x1, x2)), PixelCoordinate(std::min(y1, y2)), PixelCoordinate(std::max(x1, x2)),
       PixelCoordinate(std::max(y1, y2)), Resolve(colour));
}

void FakeSurface::PaintPicture(const drawing::Picture& picture, double x, double y, double width, double height) {
  const long long left = PixelCoordinate(x), top = PixelCoordinate(y);
  const long long w = PixelCoordinate(width), h = PixelCoordinate(height);
  if (picture.Empty() || w <= 0 || h <= 0) return;
  const long long fromX = std::max(left, 0LL), toX = std::min(left + w, static_cast<long long>(image_.Width()));
  const long long fromY = std::max(top, 0LL), toY = std::min(top + h, static_cast<long long>(image_.Height()));
  for (long long py = fromY; py < toY; ++py) {
    const int sy = static_cast<int>((py - top) * picture.Height() / h);
    for (long long px = fromX; px < toX; ++px) {
      const int sx = static_cast<int>((px - left) * picture.Width() / w);
      image_.Set(static_cast<int>(px), static_cast<int>(py), picture.At(sx, sy));
    }
  }
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

bool FakeSurface::SetLayered(std::uint8_t alpha, drawing::Colour key) {
  layered_ = true;
  layeredAlpha_ = alpha;
  layeredKey_ = key;
  return true;
}

}  // namespace fakes
