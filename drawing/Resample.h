#pragma once
// The raster operations on buffers of more than one device pixel per logical
// pixel (a surface on a high-density screen, a copy of such a screen). The
// coordinates stay logical; each operation works on the device pixels they
// cover, and pictures stretched over more device pixels than they have are
// interpolated, not repeated. Buffers of ratio 1 never come here: their
// pixel rules are those of RasterOps.h and Primitives.h, unchanged.
#include <cstdint>

#include "drawing/Colour.h"
#include "drawing/Image.h"

namespace drawing::resample {

// True when either buffer holds other than one pixel per logical pixel.
inline bool Scaled(const PixelView& a) { return a.ratio != 1.0; }
inline bool Scaled(const PixelView& a, const PixelView& b) { return a.ratio != 1.0 || b.ratio != 1.0; }

void BitBlt(const PixelView& dst, int dx, int dy, int w, int h, const PixelView& src, int sx, int sy);
void TransparentBlt(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy,
                    int sw, int sh, Colour key);
void AlphaBlend(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy, int sw,
                int sh, std::uint8_t constantAlpha);
// The picture over the logical box (left, top, width, height), laid over
// what is there by its own alpha. With a key, picture pixels of exactly that
// colour count as holes, and a device pixel is drawn only where the picture
// covers at least half of it: interpolation then never mixes the key into
// the picture's edge (a skin holder's background is its key colour).
void StretchPicture(const PixelView& dst, const Image& picture, long long left, long long top, long long width,
                    long long height, const std::uint32_t* keyPixel);
// Premultiplied source pixel over destination pixel, per channel, rounded;
// the one blending rule of pictures at every pixel ratio.
std::uint32_t Over(std::uint32_t src, std::uint32_t dst);
// Copies of dst and its logical coordinates as device ones, for the
// operations whose device result is the plain one (fills, gradients).
PixelView Device(const PixelView& view);

}  // namespace drawing::resample
