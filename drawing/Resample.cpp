#include "drawing/Resample.h"

#include <algorithm>
#include <cmath>

#include "drawing/RasterOps.h"

namespace drawing::resample {
namespace {

// Device edges far outside any buffer are pulled in, so that int arguments
// and the sums below cannot overflow; such an edge is off the buffer either way.
constexpr long long kFar = 1LL << 30;

long long Edge(long long v, double ratio) { return std::clamp(DeviceEdge(v, ratio), -kFar, kFar); }

struct Box {
  long long x0, y0, x1, y1;  // half-open, device pixels
};

Box ToDevice(long long x, long long y, long long w, long long h, double ratio) {
  return {Edge(x, ratio), Edge(y, ratio), Edge(x + w, ratio), Edge(y + h, ratio)};
}

// A bilinear sample of premultiplied pixels. coverage is the weight of the
// pixels that took part (1 unless key-coloured ones were left out).
struct Sample {
  double a = 0, r = 0, g = 0, b = 0, coverage = 0;
  std::uint32_t Pixel(double scale) const {
    const auto ch = [scale](double v) {
      return static_cast<std::uint32_t>(std::clamp(std::lround(v * scale), 0L, 255L));
    };
    return (ch(a) << 24) | (ch(r) << 16) | (ch(g) << 8) | ch(b);
  }
};

// Source coordinates along one axis: destination device pixel i of [d0, d1)
// maps into [s0, s1) of the source (device units), sampled between the pixels
// lo..hi it may read.
struct Axis {
  long long d0, d1;
  double s0, s1;
  long long lo, hi;
  // false: the pixel's centre lies outside the source buffer.
  bool At(long long i, long long limit, long long& p0, long long& p1, double& t) const {
    const double u = s0 + (static_cast<double>(i - d0) + 0.5) * (s1 - s0) / static_cast<double>(d1 - d0);
    if (u < 0 || u >= static_cast<double>(limit)) return false;
    const double f = u - 0.5;
    const double base = std::floor(f);
    t = f - base;
    p0 = std::clamp(static_cast<long long>(base), lo, hi);
    p1 = std::clamp(static_cast<long long>(base) + 1, lo, hi);
    return true;
  }
};

Axis MakeAxis(long long d0, long long d1, long long s, long long sLen, double ratio, int limit) {
  const double s0 = static_cast<double>(s) * ratio, s1 = static_cast<double>(s + sLen) * ratio;
  const long long lo = std::max(0LL, static_cast<long long>(std::floor(s0)));
  const long long hi = std::min<long long>(limit - 1, static_cast<long long>(std::ceil(s1)) - 1);
  return {d0, d1, s0, s1, lo, hi};
}

// Calls apply(out, sample) for every device pixel of the destination box
// (clipped to dst) whose centre falls inside the source buffer.
template <typename Apply>
void Resample(const PixelView& dst, const Box& d, const PixelView& src, long long sx, long long sy, long long sw,
              long long sh, const std::uint32_t* key, Apply&& apply) {
  if (dst.Empty() || src.Empty() || d.x1 <= d.x0 || d.y1 <= d.y0 || sw <= 0 || sh <= 0) return;
  const Axis ax = MakeAxis(d.x0, d.x1, sx, sw, src.ratio, src.width);
  const Axis ay = MakeAxis(d.y0, d.y1, sy, sh, src.ratio, src.height);
  if (ax.lo > ax.hi || ay.lo > ay.hi) return;
  const long long fromX = std::max(d.x0, 0LL), toX = std::min<long long>(d.x1, dst.width);
  const long long fromY = std::max(d.y0, 0LL), toY = std::min<long long>(d.y1, dst.height);
  const std::uint32_t keyRgb = key ? (*key & 0x00FFFFFFu) : 0;
  for (long long y = fromY; y < toY; ++y) {
    long long y0, y1;
    double ty;
    if (!ay.At(y, src.height, y0, y1, ty)) continue;
    const std::uint32_t* rows[2] = {src.Row(static_cast<int>(y0)), src.Row(static_cast<int>(y1))};
    const double wy[2] = {1 - ty, ty};
    std::uint32_t* out = dst.Row(static_cast<int>(y));
    for (long long x = fromX; x < toX; ++x) {
      long long x0, x1;
      double tx;
      if (!ax.At(x, src.width, x0, x1, tx)) continue;
      const long long xs[2] = {x0, x1};
      const double wx[2] = {1 - tx, tx};
      Sample s;
      for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
          const double w = wy[j] * wx[i];
          if (w == 0) continue;
          const std::uint32_t p = rows[j][xs[i]];
          if (key && (p & 0x00FFFFFFu) == keyRgb) continue;
          s.a += w * (p >> 24);
          s.r += w * ((p >> 16) & 0xFF);
          s.g += w * ((p >> 8) & 0xFF);
          s.b += w * (p & 0xFF);
          s.coverage += w;
        }
      apply(out[x], s);
    }
  }
}

// a x src + (1 - a) x dst per colour channel, opaque.
std::uint32_t Mix(std::uint32_t src, std::uint32_t dst, double a) {
  std::uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const double s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    out |= static_cast<std::uint32_t>(std::clamp(std::lround(s * a + d * (1 - a)), 0L, 255L)) << shift;
  }
  return out;
}

}  // namespace

// Premultiplied source over destination, per channel, rounded.
std::uint32_t Over(std::uint32_t src, std::uint32_t dst) {
  const std::uint32_t a = src >> 24;
  if (a == 255) return src;
  if (a == 0) return dst;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    out |= std::min<std::uint32_t>(255, s + (d * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

PixelView Device(const PixelView& view) {
  PixelView device = view;
  device.ratio = 1.0;
  return device;
}

void BitBlt(const PixelView& dst, int dx, int dy, int w, int h, const PixelView& src, int sx, int sy) {
  if (dst.Empty() || src.Empty() || w <= 0 || h <= 0) return;
  const Box d = ToDevice(dx, dy, w, h, dst.ratio);
  if (dst.ratio == src.ratio) {
    // The same density on both sides: a plain copy of the device pixels.
    drawing::BitBlt(Device(dst), static_cast<int>(d.x0), static_cast<int>(d.y0), static_cast<int>(d.x1 - d.x0),
                    static_cast<int>(d.y1 - d.y0), Device(src), static_cast<int>(Edge(sx, src.ratio)),
                    static_cast<int>(Edge(sy, src.ratio)));
    return;
  }
  Resample(dst, d, src, sx, sy, w, h, nullptr, [](std::uint32_t& out, const Sample& s) { out = s.Pixel(1.0); });
}

void TransparentBlt(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy,
                    int sw, int sh, Colour key) {
  if (dw <= 0 || dh <= 0) return;
  const std::uint32_t keyPixel = ToPixel(key);
  // Key-coloured pixels take no part; where the skin covers only part of a
  // device pixel, its edge is mixed with what lies beneath.
  Resample(dst, ToDevice(dx, dy, dw, dh, dst.ratio), src, sx, sy, sw, sh, &keyPixel,
           [](std::uint32_t& out, const Sample& s) {
             if (s.coverage <= 0) return;
             out = Mix(s.Pixel(1.0 / s.coverage), out, std::min(1.0, s.coverage));
           });
}

void AlphaBlend(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy, int sw,
                int sh, std::uint8_t constantAlpha) {
  if (dw <= 0 || dh <= 0) return;
  const double a = constantAlpha / 255.0;
  Resample(dst, ToDevice(dx, dy, dw, dh, dst.ratio), src, sx, sy, sw, sh, nullptr,
           [a](std::uint32_t& out, const Sample& s) { out = Mix(s.Pixel(1.0), out, a); });
}

void StretchPicture(const PixelView& dst, const Image& picture, long long left, long long top, long long width,
                    long long height, const std::uint32_t* keyPixel) {
  if (width <= 0 || height <= 0 || picture.Empty()) return;
  // The whole picture, whatever its size, spread over the box.
  Resample(dst, ToDevice(left, top, width, height, dst.ratio), picture.View(), 0, 0, picture.Width(),
           picture.Height(), keyPixel, [keyPixel](std::uint32_t& out, const Sample& s) {
             if (!keyPixel)
               out = Over(s.Pixel(1.0), out);
             else if (s.coverage >= 0.5)
               out = Over(s.Pixel(1.0 / s.coverage), out);
           });
}

}  // namespace drawing::resample
