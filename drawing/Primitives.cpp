#include "drawing/Primitives.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "drawing/Resample.h"

namespace drawing {
namespace {

// Far outside any buffer, yet small enough that no sum below can overflow.
long long Pixel(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<long long>(std::floor(std::clamp(v, -1.0e9, 1.0e9)));
}

// Inclusive logical pixel range lo..hi as the inclusive device range it covers.
void ToDevice(double ratio, long long& lo, long long& hi) {
  if (ratio == 1.0 || lo > hi) return;
  lo = std::clamp(DeviceEdge(lo, ratio), -(1LL << 40), 1LL << 40);
  hi = std::clamp(DeviceEdge(hi + 1, ratio), -(1LL << 40), 1LL << 40) - 1;
}

void Fill(const PixelView& dst, long long left, long long top, long long right, long long bottom,
          std::uint32_t pixel) {
  // A logical pixel of a high-density buffer is the block of device pixels under it.
  ToDevice(dst.ratio, left, right);
  ToDevice(dst.ratio, top, bottom);
  left = std::max(left, 0LL);
  top = std::max(top, 0LL);
  right = std::min(right, dst.width - 1LL);
  bottom = std::min(bottom, dst.height - 1LL);
  if (left > right) return;  // wholly beside the buffer
  for (long long y = top; y <= bottom; ++y) std::fill(dst.Row(static_cast<int>(y)) + left, dst.Row(static_cast<int>(y)) + right + 1, pixel);
}

void Plot(const PixelView& dst, long long x, long long y, std::uint32_t pixel) {
  if (dst.ratio != 1.0) return Fill(dst, x, y, x, y, pixel);
  if (x < 0 || y < 0 || x >= dst.width || y >= dst.height) return;
  dst.Row(static_cast<int>(y))[x] = pixel;
}

}  // namespace

void DrawDottedBox(const PixelView& dst, long long left, long long top, long long right, long long bottom,
                   std::uint32_t pixel) {
  if (dst.Empty() || left > right || top > bottom) return;
  const auto dot = [&](long long x, long long y) {
    if (((x + y) & 1) == 0) Plot(dst, x, y, pixel);
  };
  // Only the part of each edge that meets the buffer is walked.
  const long long x0 = std::max(left, 0LL), x1 = std::min(right, dst.width - 1LL);
  const long long y0 = std::max(top, 0LL), y1 = std::min(bottom, dst.height - 1LL);
  for (long long x = x0; x <= x1; ++x) {
    dot(x, top);
    dot(x, bottom);
  }
  for (long long y = y0; y <= y1; ++y) {
    dot(left, y);
    dot(right, y);
  }
}

void DrawLine(const PixelView& dst, double x1, double y1, double x2, double y2, std::uint32_t pixel) {
  if (dst.Empty()) return;
  // End points far outside are pulled in so that stepping stays short; only
  // the slope of such a line suffers.
  const auto near = [](double v) { return std::clamp(Pixel(v), -(1LL << 20), 1LL << 20); };
  long long x = near(x1), y = near(y1);
  const long long ex = near(x2), ey = near(y2);
  const long long dx = std::llabs(ex - x), dy = -std::llabs(ey - y);
  const long long sx = x < ex ? 1 : -1, sy = y < ey ? 1 : -1;
  long long err = dx + dy;
  while (x != ex || y != ey) {
    Plot(dst, x, y, pixel);
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

void DrawBox(const PixelView& dst, double x1, double y1, double x2, double y2, std::uint32_t pixel) {
  if (dst.Empty()) return;
  const long long left = Pixel(std::min(x1, x2)), right = Pixel(std::max(x1, x2));
  const long long top = Pixel(std::min(y1, y2)), bottom = Pixel(std::max(y1, y2));
  Fill(dst, left, top, right, top, pixel);
  Fill(dst, left, bottom, right, bottom, pixel);
  Fill(dst, left, top, left, bottom, pixel);
  Fill(dst, right, top, right, bottom, pixel);
}

void FillBox(const PixelView& dst, double x1, double y1, double x2, double y2, std::uint32_t pixel) {
  if (dst.Empty()) return;
  Fill(dst, Pixel(std::min(x1, x2)), Pixel(std::min(y1, y2)), Pixel(std::max(x1, x2)), Pixel(std::max(y1, y2)),
       pixel);
}

void FillArea(const PixelView& dst, double x, double y, double width, double height, std::uint32_t pixel) {
  if (dst.Empty() || !(width > 0) || !(height > 0)) return;
  Fill(dst, Pixel(x), Pixel(y), Pixel(x + width) - 1, Pixel(y + height) - 1, pixel);
}

void StretchPicture(const PixelView& dst, const Image& picture, double x, double y, double width, double height) {
  StretchPictureKeyed(dst, picture, x, y, width, height, nullptr);
}

void StretchPictureKeyed(const PixelView& dst, const Image& picture, double x, double y, double width,
                         double height, const std::uint32_t* keyPixel) {
  const long long left = Pixel(x), top = Pixel(y), w = Pixel(width), h = Pixel(height);
  if (dst.Empty() || picture.Empty() || w <= 0 || h <= 0) return;
  if (resample::Scaled(dst)) return resample::StretchPicture(dst, picture, left, top, w, h, keyPixel);
  const long long fromX = std::max(left, 0LL), toX = std::min(left + w, static_cast<long long>(dst.width));
  const long long fromY = std::max(top, 0LL), toY = std::min(top + h, static_cast<long long>(dst.height));
  for (long long py = fromY; py < toY; ++py) {
    const int sy = static_cast<int>(((2 * (py - top) + 1) * picture.Height()) / (2 * h));
    std::uint32_t* row = dst.Row(static_cast<int>(py));
    for (long long px = fromX; px < toX; ++px) {
      const int sx = static_cast<int>(((2 * (px - left) + 1) * picture.Width()) / (2 * w));
      row[px] = resample::Over(picture.At(sx, sy), row[px]);
    }
  }
}

}  // namespace drawing
