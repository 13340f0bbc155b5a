#pragma once
// Pixels are premultiplied ARGB words (0xAARRGGBB), the layout QImage calls
// Format_ARGB32_Premultiplied: the platform wraps these buffers without a
// copy and the raster operations below work on them without Qt.
#include <cstdint>
#include <memory>
#include <vector>

namespace drawing {

// A non-owning window onto pixel rows; stride counts words, not bytes.
struct PixelView {
  std::uint32_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;

  bool Empty() const { return bits == nullptr || width <= 0 || height <= 0; }
  std::uint32_t* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(y) * stride; }
  std::uint32_t At(int x, int y) const { return Row(y)[x]; }
};

// An owned pixel buffer: a control's picture, a skin, a fake surface's image.
class Image {
 public:
  Image() = default;
  Image(int width, int height, std::uint32_t fill = 0xFF000000u);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  PixelView View() { return {pixels_.data(), width_, height_, width_}; }
  PixelView View() const { return {const_cast<std::uint32_t*>(pixels_.data()), width_, height_, width_}; }
  std::uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  void Set(int x, int y, std::uint32_t p) { pixels_[static_cast<std::size_t>(y) * width_ + x] = p; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// A picture property value: shared, immutable once loaded. An empty pointer
// is "no picture".
using Picture = Image;
using PicturePtr = std::shared_ptr<const Picture>;

}  // namespace drawing
