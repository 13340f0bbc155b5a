#pragma once
// A window shape in the window's own pixels: which pixels belong to the
// window. Kept as a plain mask so that a shape can be computed and tested
// without a window system; the platform turns it into its own region.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace drawing {

class Region {
 public:
  Region() = default;
  // All pixels outside until Include is called.
  Region(int width, int height)
      : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0),
        inside_(static_cast<std::size_t>(width_) * height_, 0) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  bool Contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_ &&
           inside_[static_cast<std::size_t>(y) * width_ + x] != 0;
  }
  // Pixels x0 <= x < x1 of row y join the shape (clipped to the mask).
  void IncludeSpan(int y, int x0, int x1) {
    if (y < 0 || y >= height_) return;
    if (x0 < 0) x0 = 0;
    if (x1 > width_) x1 = width_;
    if (x0 >= x1) return;
    const auto row = inside_.begin() + static_cast<std::ptrdiff_t>(y) * width_;
    std::fill(row + x0, row + x1, std::uint8_t{1});
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> inside_;
};

}  // namespace drawing
