#include "drawing/RasterOps.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "drawing/Resample.h"

namespace drawing {
namespace {

// Destination rectangle clipped to the buffer, in long long so that callers'
// coordinates near the 32-bit limits cannot wrap.
struct Span {
  long long begin;
  long long end;
};

Span Clip(long long start, long long length, long long limit) {
  if (length <= 0) return {0, 0};
  return {std::max<long long>(start, 0), std::min<long long>(start + length, limit)};
}

// Source coordinate for destination offset i of a stretch from sLen to dLen,
// sampled at the pixel centre.
inline long long StretchSource(long long i, long long dLen, long long sLen) {
  return ((2 * i + 1) * sLen) / (2 * dLen);
}

template <typename PixelFn>
void Stretch(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy,
             int sw, int sh, PixelFn&& apply) {
  if (dst.Empty() || src.Empty() || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  const Span cols = Clip(dx, dw, dst.width);
  const Span rows = Clip(dy, dh, dst.height);
  if (cols.begin >= cols.end) return;
  // Every row samples the same source columns: they are worked out once,
  // not with two divisions per pixel (-1: outside the source).
  std::vector<int> sourceColumn(static_cast<std::size_t>(cols.end - cols.begin));
  for (long long x = cols.begin; x < cols.end; ++x) {
    const long long sxx = sx + StretchSource(x - dx, dw, sw);
    sourceColumn[x - cols.begin] = sxx < 0 || sxx >= src.width ? -1 : static_cast<int>(sxx);
  }
  const bool allInside = std::none_of(sourceColumn.begin(), sourceColumn.end(), [](int c) { return c < 0; });
  // With every column inside the source, a row is gathered first and then
  // worked in one plain pass, which the compiler turns into vector code.
  std::vector<std::uint32_t> gathered(allInside ? sourceColumn.size() : 0);
  for (long long y = rows.begin; y < rows.end; ++y) {
    const long long syy = sy + StretchSource(y - dy, dh, sh);
    if (syy < 0 || syy >= src.height) continue;
    std::uint32_t* out = dst.Row(static_cast<int>(y)) + cols.begin;
    const std::uint32_t* in = src.Row(static_cast<int>(syy));
    if (allInside) {
      for (std::size_t i = 0; i < gathered.size(); ++i) gathered[i] = in[sourceColumn[i]];
      for (std::size_t i = 0; i < gathered.size(); ++i) apply(out[i], gathered[i]);
    } else {
      for (std::size_t i = 0; i < sourceColumn.size(); ++i)
        if (sourceColumn[i] >= 0) apply(out[i], in[sourceColumn[i]]);
    }
  }
}

}  // namespace

void BitBlt(const PixelView& dst, int dx, int dy, int w, int h, const PixelView& src, int sx, int sy) {
  if (resample::Scaled(dst, src)) return resample::BitBlt(dst, dx, dy, w, h, src, sx, sy);
  if (dst.Empty() || src.Empty() || w <= 0 || h <= 0) return;
  // Clip against the destination and the source at once; the offset between
  // them stays fixed.
  long long x0 = std::max<long long>({0, dx, static_cast<long long>(dx) - sx});
  long long y0 = std::max<long long>({0, dy, static_cast<long long>(dy) - sy});
  long long x1 = std::min<long long>({dst.width, static_cast<long long>(dx) + w,
                                      static_cast<long long>(dx) - sx + src.width});
  long long y1 = std::min<long long>({dst.height, static_cast<long long>(dy) + h,
                                      static_cast<long long>(dy) - sy + src.height});
  if (x0 >= x1 || y0 >= y1) return;
  const long long offX = static_cast<long long>(sx) - dx;
  const long long offY = static_cast<long long>(sy) - dy;
  const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * sizeof(std::uint32_t);
  // Copying a buffer onto itself with overlap: walk rows in the safe order.
  const bool upward = dst.bits == src.bits && offY < 0;
  for (long long i = 0; i < y1 - y0; ++i) {
    const long long y = upward ? y1 - 1 - i : y0 + i;
    std::memmove(dst.Row(static_cast<int>(y)) + x0, src.Row(static_cast<int>(y + offY)) + x0 + offX, bytes);
  }
}

void TransparentBlt(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx,
                    int sy, int sw, int sh, Colour key) {
  if (resample::Scaled(dst, src)) return resample::TransparentBlt(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, key);
  const std::uint32_t keyRgb = ToPixel(key) & 0x00FFFFFFu;
  Stretch(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, [keyRgb](std::uint32_t& out, std::uint32_t in) {
    if ((in & 0x00FFFFFFu) != keyRgb) out = in | 0xFF000000u;
  });
}

void AlphaBlend(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy,
                int sw, int sh, std::uint8_t constantAlpha) {
  if (resample::Scaled(dst, src))
    return resample::AlphaBlend(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, constantAlpha);
  const std::uint32_t a = constantAlpha;
  // Red with blue and alpha with green are blended two at a time, each in
  // its own 16-bit lane: (s * a + d * (255 - a) + 127) / 255 for each, exactly,
  // as (x + 1 + (x >> 8)) >> 8 (x stays below 65153, so no lane carries).
  const auto blendPair = [a](std::uint32_t s, std::uint32_t d) {
    const std::uint32_t x = s * a + d * (255 - a) + 0x007F007Fu;
    return ((x + 0x00010001u + ((x >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  };
  Stretch(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, [blendPair](std::uint32_t& out, std::uint32_t in) {
    const std::uint32_t redBlue = blendPair(in & 0x00FF00FFu, out & 0x00FF00FFu);
    const std::uint32_t green = blendPair((in >> 8) & 0x00FF00FFu, (out >> 8) & 0x00FF00FFu) & 0xFFu;
    out = 0xFF000000u | redBlue | (green << 8);
  });
}

bool GradientFill(const PixelView& dst, const GradientVertex& a, const GradientVertex& b, int mode) {
  if (mode != 0 && mode != 1) return false;
  if (resample::Scaled(dst)) {
    // The same gradient over the device pixels the rectangle covers: its
    // steps are then device pixels, not logical ones.
    const auto device = [&dst](GradientVertex v) {
      const auto edge = [&dst](std::int32_t c) {
        return static_cast<std::int32_t>(std::clamp(DeviceEdge(c, dst.ratio), -(1LL << 30), 1LL << 30));
      };
      v.x = edge(v.x);
      v.y = edge(v.y);
      return v;
    };
    return GradientFill(resample::Device(dst), device(a), device(b), mode);
  }
  const GradientVertex& lo = (mode == 0 ? a.x <= b.x : a.y <= b.y) ? a : b;
  const GradientVertex& hi = &lo == &a ? b : a;
  const long long left = std::min<long long>(a.x, b.x), right = std::max<long long>(a.x, b.x);
  const long long top = std::min<long long>(a.y, b.y), bottom = std::max<long long>(a.y, b.y);
  if (dst.Empty() || left == right || top == bottom) return true;
  const Span cols = Clip(left, right - left, dst.width);
  const Span rows = Clip(top, bottom - top, dst.height);
  // A rectangle wholly beside or above the buffer clips to a reversed span.
  if (cols.begin >= cols.end || rows.begin >= rows.end) return true;
  const long long span = mode == 0 ? right - left : bottom - top;
  auto pixelAt = [&](long long offset) {
    auto channel = [&](std::uint16_t from, std::uint16_t to) {
      const long long v = from + (static_cast<long long>(to) - from) * offset / span;
      return static_cast<std::uint32_t>(v >> 8) & 0xFF;
    };
    return 0xFF000000u | (channel(lo.red, hi.red) << 16) | (channel(lo.green, hi.green) << 8) |
           channel(lo.blue, hi.blue);
  };
  if (mode == 0) {
    std::vector<std::uint32_t> line(static_cast<std::size_t>(cols.end - cols.begin));
    for (long long x = cols.begin; x < cols.end; ++x) line[x - cols.begin] = pixelAt(x - left);
    for (long long y = rows.begin; y < rows.end; ++y)
      std::memcpy(dst.Row(static_cast<int>(y)) + cols.begin, line.data(), line.size() * sizeof(std::uint32_t));
  } else {
    for (long long y = rows.begin; y < rows.end; ++y)
      std::fill(dst.Row(static_cast<int>(y)) + cols.begin, dst.Row(static_cast<int>(y)) + cols.end,
                pixelAt(y - top));
  }
  return true;
}

}  // namespace drawing
