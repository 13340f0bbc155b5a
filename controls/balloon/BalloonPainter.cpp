#include "controls/balloon/BalloonPainter.h"

#include <algorithm>
#include <cmath>

#include "drawing/Arithmetic.h"
#include "drawing/RasterOps.h"

namespace balloon {

using drawing::CheckedMul;
using drawing::CheckedSub;

void BlendNinePieces(const drawing::PixelView& target, const drawing::PixelView& source, std::int32_t corner,
                     std::uint8_t alpha) {
  const std::int32_t p = corner;
  const std::int32_t wd = target.LogicalWidth(), hd = target.LogicalHeight();
  const std::int32_t ws = source.LogicalWidth(), hs = source.LogicalHeight();
  const std::int32_t p2 = CheckedMul(2, p);
  const std::int32_t rightD = CheckedSub(wd, p), bottomD = CheckedSub(hd, p);
  const std::int32_t rightS = CheckedSub(ws, p), bottomS = CheckedSub(hs, p);
  const std::int32_t midWd = CheckedSub(wd, p2), midHd = CheckedSub(hd, p2);
  const std::int32_t midWs = CheckedSub(ws, p2), midHs = CheckedSub(hs, p2);
  struct Piece {
    std::int32_t dx, dy, dw, dh, sx, sy, sw, sh;
  };
  const Piece pieces[9] = {
      {0, 0, p, p, 0, 0, p, p},                                 // top-left corner
      {rightD, 0, p, p, rightS, 0, p, p},                       // top-right corner
      {0, bottomD, p, p, 0, bottomS, p, p},                     // bottom-left corner
      {rightD, bottomD, p, p, rightS, bottomS, p, p},           // bottom-right corner
      {p, 0, midWd, p, p, 0, midWs, p},                         // top edge
      {0, p, p, midHd, 0, p, p, midHs},                         // left edge
      {rightD, p, p, midHd, rightS, p, p, midHs},               // right edge
      {p, bottomD, midWd, p, p, bottomS, midWs, p},             // bottom edge
      {p, p, midWd, midHd, p, p, midWs, midHs},                 // centre
  };
  for (const Piece& s : pieces)
    drawing::AlphaBlend(target, s.dx, s.dy, s.dw, s.dh, source, s.sx, s.sy, s.sw, s.sh, alpha);
}

void PaintBalloonText(drawing::Surface& surface, const std::vector<std::string>& lines, const TextLook& look) {
  const double lineHeight = surface.TextHeight("A");
  const double indent = surface.TextWidth("   ");
  const double width = surface.ScaleWidth();
  surface.SetFontTransparent(true);
  std::int32_t y = look.margin;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const double x = look.centred ? (width - surface.TextWidth(line)) / 2
                                  : (i == 0 ? indent + look.margin : static_cast<double>(look.margin));
    if (look.twoColours) {
      surface.SetForeColor(look.under);
      surface.SetCurrentX(x + 1);
      surface.SetCurrentY(y + 1.0);
      surface.Print(line);
    }
    surface.SetForeColor(look.top);
    surface.SetCurrentX(x);
    surface.SetCurrentY(y);
    surface.Print(line);
    y = drawing::RoundHalfEven(y + lineHeight);
  }
}

drawing::Region RoundedCornerRegion(int width, int height, std::int32_t ellipse) {
  drawing::Region region(width, height);
  const int w = region.Width(), h = region.Height();
  // The window's rounded rectangle runs one pixel past its last column and
  // row (the platform's region leaves those out), and an ellipse larger
  // than that rectangle is clamped to it.
  const int ew = static_cast<int>(std::min<std::int64_t>(std::max<std::int32_t>(ellipse, 0), w + 1LL));
  const int eh = static_cast<int>(std::min<std::int64_t>(std::max<std::int32_t>(ellipse, 0), h + 1LL));
  if (ew < 2 || eh < 2) {
    for (int y = 0; y < h; ++y) region.IncludeSpan(y, 0, w);
    return region;
  }
  // Semi-axes between the centres of the first and last pixel of the corner
  // box; rows past the ellipse's centre row are whole.
  const double rx = (ew - 1) / 2.0, ry = (eh - 1) / 2.0;
  // However large the ellipse, the middle of each edge stays in: the middle
  // row (two of an even height) is whole, and every row keeps its middle
  // column (two of an even width).
  const int wholeFrom = (h - 1) / 2;
  const int maxInset = (w - 1) / 2;
  for (int y = 0; y < h; ++y) {
    const int row = std::min(y, h - 1 - y);  // the bottom corners mirror the top ones
    int inset = 0;
    if (row < ry && row < wholeFrom) {
      const double dy = (ry - row) / ry;
      const double halfWidth = rx * std::sqrt(std::max(0.0, 1.0 - dy * dy));
      inset = std::min(maxInset, static_cast<int>(std::ceil(rx - halfWidth - 1e-9)));
    }
    region.IncludeSpan(y, inset, w - inset);
  }
  return region;
}

}  // namespace balloon
