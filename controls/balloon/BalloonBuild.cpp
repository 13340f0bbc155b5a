// Risuy: building a balloon window for the caption, from the template's
// copy to the lifted, shaped, painted popup.
#include <exception>

#include "controls/balloon/BalloonPainter.h"
#include "controls/balloon/LayoutBalloon.h"
#include "controls/balloon/PodskazV.h"
#include "drawing/RasterOps.h"

namespace balloon {

void PodskazV::DestroyOldBalloon() {
  // The screen copy of the new balloon must not see the old one: it goes
  // first, and queued events run until the window system has let go of it.
  // An event that builds a balloon meanwhile gets the same treatment.
  while (balloonWindow_) {
    balloonWindow_->SetVisible(false);
    balloonWindow_.reset();
    site_.services->DoEvents();
  }
}

void PodskazV::Risuy() {
  DestroyOldBalloon();
  try {
    BuildBalloon();
  } catch (...) {
    // A half-built window would never be shown nor tracked: drop it, and the
    // tick with it, so the next hover starts from nothing.
    balloonWindow_.reset();
    trackingTimer_->SetEnabled(false);
    // Nothing is pending or shown, and Minus, which clears Active otherwise,
    // does nothing without a balloon.
    if (Active()) SetActive(false);
    throw;
  }
}

void PodskazV::BuildBalloon() {
  balloonWindow_ = site_.services->CreateElement(*templateSurface_);
  drawing::Surface& surface = *balloonWindow_;
  if (shadowForEveryBalloon_) surface.SetDropShadow(true);
  lastWindowUnderCursor_ = 0;
  surface.SetVisible(false);

  std::vector<std::string> lines;
  LayoutBalloon(lines, surface);

  surface.SetBackColor(BackColor());
  surface.SetAutoRedraw(true);
  surface.Cls();
  if (ScreenShotEnable()) CaptureScreenBehind(surface);
  if (Zakruglenie() > 0) RoundBalloonCorners(surface);
  if (Shadow()) AddShadowToForm(surface.hWnd());
  // BackColor blended over a plain BackColor fill gives back BackColor
  // exactly, so that blend is left out; a picture or a screen copy is not.
  const bool blendChangesPixels = PictureFona() || ScreenShotEnable();
  if (ProzrachostFona() > 0 && ProzrachostFona() < 256 && blendChangesPixels) BlendBackgroundPicture(surface);
  PaintBalloonText(surface, lines,
                   {TextSenter(), ForeDvaCveta(), ForeColorTxtTop(), ForeColorTxtPod(), TextOtstup()});
  surface.SetAutoRedraw(false);
  surface.Refresh();

  surface.LiftToDesktop();
  if (ProzrachostOkna() > 0 && ProzrachostOkna() < 256)
    SetWindowOpacity(surface, static_cast<std::uint8_t>(ProzrachostOkna()));
  delayTicks_ = 0;
  if (!Zadergka()) {
    surface.SetVisible(true);
    SetActive(true);
  }
  trackingTimer_->SetEnabled(true);
}

void PodskazV::LayoutBalloon(std::vector<std::string>& lines, drawing::Surface& surface) {
  const drawing::Surface& measuring = *templateSurface_;
  const TextMeasure measure{[&measuring](std::string_view text) { return measuring.TextWidth(text); },
                            measuring.TextHeight("A")};
  WrappedCaption wrapped = WrapCaption(Caption(), MaxWidth(), TextOtstup(), measure);
  lines = std::move(wrapped.lines);
  surface.Move(surface.Left(), surface.Top(), wrapped.width, wrapped.height);
  cursorPos_ = site_.services->CursorPos();
  workArea_ = site_.services->WorkAreaAt(cursorPos_);
  const drawing::ScreenPoint place =
      PlaceBalloon(PoyavlenieS(), wrapped.width, wrapped.height, SdvigOtKursora(), cursorPos_, workArea_);
  surface.Move(place.x, place.y, surface.Width(), surface.Height());
}

void PodskazV::CaptureScreenBehind(drawing::Surface& surface) {
  const drawing::ScreenRect behind{surface.Left(), surface.Top(), surface.Left() + surface.Width(),
                                   surface.Top() + surface.Height()};
  drawing::Image shot;
  // Where the screen cannot be read the balloon keeps its plain fill.
  if (!site_.services->CaptureScreen(behind, shot)) return;
  drawing::BitBlt(surface.Pixels(), 0, 0, behind.Width(), behind.Height(), shot.View(), 0, 0);
}

void PodskazV::RoundBalloonCorners(drawing::Surface& surface) {
  surface.SetWindowShape(RoundedCornerRegion(surface.ScaleWidth(), surface.ScaleHeight(), Zakruglenie()));
}

void PodskazV::BlendBackgroundPicture(drawing::Surface& surface) {
  // Zalivka holds its colour with the picture on it only while it keeps its
  // drawing, so it does for the nine blends.
  drawing::Surface& fill = *fillHolder_;
  fill.SetAutoRedraw(true);
  fill.Cls();
  BlendNinePieces(surface.Pixels(), fill.Pixels(), PsetPicture(), static_cast<std::uint8_t>(ProzrachostFona()));
  fill.SetAutoRedraw(false);
}

bool PodskazV::SetWindowOpacity(drawing::Surface& surface, std::uint8_t alpha) {
  // A balloon that cannot be made translucent is still a balloon.
  try {
    return surface.SetLayered(alpha, kColourKey);
  } catch (const std::exception&) {
    return false;
  }
}

bool PodskazV::IsOwnWindow(drawing::WindowHandle hWnd) const {
  return hWnd != 0 && (hWnd == templateSurface_->hWnd() || (balloonWindow_ && hWnd == balloonWindow_->hWnd()));
}

void PodskazV::AddShadowToForm(drawing::WindowHandle hWnd) {
  if (!IsOwnWindow(hWnd)) return;
  shadowForEveryBalloon_ = true;
  if (balloonWindow_) balloonWindow_->SetDropShadow(true);
}

}  // namespace balloon
