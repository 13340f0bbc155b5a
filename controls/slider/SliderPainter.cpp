#include "controls/slider/SliderPainter.h"

#include <cstdint>
#include <limits>

#include "drawing/RasterOps.h"

namespace slider {
namespace {

bool Fits16(long long v) {
  return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

bool Fits16(const PixelRect& r) { return Fits16(r.left) && Fits16(r.top) && Fits16(r.width) && Fits16(r.height); }

// Both surfaces keep their image while the copy runs, and the surface shows
// the finished image afterwards.
class RetainedDrawing {
 public:
  RetainedDrawing(drawing::Surface& target, drawing::Surface& holder) : target_(target), holder_(holder) {
    target_.SetAutoRedraw(true);
    holder_.SetAutoRedraw(true);
  }
  ~RetainedDrawing() {
    target_.SetAutoRedraw(false);
    holder_.SetAutoRedraw(false);
    target_.Refresh();
  }
  RetainedDrawing(const RetainedDrawing&) = delete;
  RetainedDrawing& operator=(const RetainedDrawing&) = delete;

 private:
  drawing::Surface& target_;
  drawing::Surface& holder_;
};

}  // namespace

bool FitsDrawingCoordinates(const PieceCopy& piece) { return Fits16(piece.destination) && Fits16(piece.source); }

void CopyPieces(const drawing::PixelView& destination, const drawing::PixelView& source, const NinePieces& pieces,
                drawing::Colour key) {
  for (const PieceCopy& piece : pieces) {
    if (!FitsDrawingCoordinates(piece)) continue;
    const PixelRect& d = piece.destination;
    const PixelRect& s = piece.source;
    drawing::TransparentBlt(destination, static_cast<int>(d.left), static_cast<int>(d.top), static_cast<int>(d.width),
                            static_cast<int>(d.height), source, static_cast<int>(s.left), static_cast<int>(s.top),
                            static_cast<int>(s.width), static_cast<int>(s.height), key);
  }
}

void PaintButtonSkin(drawing::Surface& button, drawing::Surface& holder, drawing::Colour key) {
  RetainedDrawing drawing(button, holder);
  button.Cls();
  const drawing::PixelView source = holder.Pixels();
  CopyPieces(button.Pixels(),
             source, ButtonPieces(button.ScaleWidth(), button.ScaleHeight(), source.LogicalWidth(), source.LogicalHeight()), key);
}

void PaintThumbSkin(drawing::Surface& track, drawing::Surface& holder, const PixelRect& thumb, drawing::Colour key) {
  RetainedDrawing drawing(track, holder);
  track.Cls();
  const drawing::PixelView source = holder.Pixels();
  CopyPieces(track.Pixels(), source, ThumbPieces(thumb, source.LogicalWidth(), source.LogicalHeight()), key);
}

}  // namespace slider
