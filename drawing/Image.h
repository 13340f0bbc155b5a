#pragma once
// Pixels are premultiplied ARGB words (0xAARRGGBB), the layout QImage calls
// Format_ARGB32_Premultiplied: the platform wraps these buffers without a
// copy and the raster operations below work on them without Qt.
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace drawing {

// The device pixel edge of logical coordinate v at ratio device pixels per
// logical pixel. Neighbouring rectangles share their edges, so what tiles in
// logical pixels tiles on the device too.
inline long long DeviceEdge(long long v, double ratio) {
  return ratio == 1.0 ? v : static_cast<long long>(std::floor(static_cast<double>(v) * ratio + 0.5));
}

// A non-owning window onto pixel rows; stride counts words, not bytes.
// width and height count the buffer's own (device) pixels; every drawing
// coordinate handed to the raster operations is logical, ratio device pixels
// to each, so a surface on a high-density screen keeps its layout and
// draws at the screen's resolution.
struct PixelView {
  std::uint32_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
  double ratio = 1.0;

  bool Empty() const { return bits == nullptr || width <= 0 || height <= 0; }
  std::uint32_t* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(y) * stride; }
  std::uint32_t At(int x, int y) const { return Row(y)[x]; }
  // The size in logical pixels (a device size is DeviceEdge of it).
  int LogicalWidth() const { return ratio == 1.0 ? width : static_cast<int>(std::lround(width / ratio)); }
  int LogicalHeight() const { return ratio == 1.0 ? height : static_cast<int>(std::lround(height / ratio)); }
};

// An owned pixel buffer: a control's picture, a skin, a fake surface's image.
class Image {
 public:
  Image() = default;
  Image(int width, int height, std::uint32_t fill = 0xFF000000u);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  PixelView View() { return {pixels_.data(), width_, height_, width_, ratio_}; }
  PixelView View() const { return {const_cast<std::uint32_t*>(pixels_.data()), width_, height_, width_, ratio_}; }
  // Device pixels per logical pixel (a copy of a high-density screen); 1
  // for pictures, whose pixels are their logical size.
  double Ratio() const { return ratio_; }
  void SetRatio(double ratio) { ratio_ = ratio > 0 ? ratio : 1.0; }
  std::uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  void Set(int x, int y, std::uint32_t p) { pixels_[static_cast<std::size_t>(y) * width_ + x] = p; }

 private:
  int width_ = 0;
  int height_ = 0;
  double ratio_ = 1.0;
  std::vector<std::uint32_t> pixels_;
};

// A picture property value: shared, immutable once loaded. An empty pointer
// is "no picture".
using Picture = Image;
using PicturePtr = std::shared_ptr<const Picture>;

}  // namespace drawing
