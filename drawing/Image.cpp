#include "drawing/Image.h"

namespace drawing {

Image::Image(int width, int height, std::uint32_t fill)
    : width_(width > 0 ? width : 0),
      height_(height > 0 ? height : 0),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

}  // namespace drawing
