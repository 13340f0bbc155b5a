#pragma once
// Draws the zoom slider's surfaces from its skins: each skin is copied in nine
// pieces (see SliderGeometry.h) with its holder's background as the
// transparent key colour, so a small picture covers a button or a thumb of
// any size with a crisp border.
#include "controls/slider/SliderGeometry.h"
#include "drawing/Colour.h"
#include "drawing/Image.h"
#include "drawing/Surface.h"

namespace slider {

// Drawing coordinates are 16-bit: a piece with a position or size outside
// that range is left out whole rather than drawn at a wrapped place. Pieces
// of zero or negative size draw nothing; the others are still drawn.
bool FitsDrawingCoordinates(const PieceCopy& piece);
void CopyPieces(const drawing::PixelView& destination, const drawing::PixelView& source, const NinePieces& pieces,
                drawing::Colour key);

// Clears the button to its background and stretches the holder's skin over
// all of it; key is the holder's background as a plain colour.
void PaintButtonSkin(drawing::Surface& button, drawing::Surface& holder, drawing::Colour key);

// Clears the track (its background and fixed picture) and draws the thumb
// skin from the holder over thumb.
void PaintThumbSkin(drawing::Surface& track, drawing::Surface& holder, const PixelRect& thumb, drawing::Colour key);

}  // namespace slider
