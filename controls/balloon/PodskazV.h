#pragma once
// PodskazV: the hint balloon control. A host places it on itself, sets its
// appearance properties and Caption, and calls Risuy to show a balloon and
// Minus to hide it. The control's own face is a 24 x 24 picture; the balloon
// is a separate popup surface built from the template PodsK(0).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drawing/HostServices.h"
#include "drawing/PropertyBag.h"
#include "drawing/Surface.h"

namespace balloon {

class PodskazV {
 public:
  // The face stays this size whatever size the host gives the control.
  static constexpr int kFaceSize = 24;
  // The tracking timer's period.
  static constexpr int kTimerInterval = 10;
  // Zalivka's size while it has no picture; any size blends the same colour.
  static constexpr int kFillDesignSize = 32;
  // Colour of the pixels a layered balloon leaves out: red 1, green 0, blue 0.
  static constexpr drawing::Colour kColourKey = 0x00000001;

  // face is the control's own surface on its host; site.services (required)
  // creates the inner parts. Both must outlive the control. Properties take
  // the initial values of a newly placed control; ReadProperties replaces
  // them for one re-created from saved data. Throws std::invalid_argument
  // without services.
  PodskazV(drawing::Surface& face, drawing::ControlSite site);
  ~PodskazV();
  PodskazV(const PodskazV&) = delete;
  PodskazV& operator=(const PodskazV&) = delete;

  // Public interface in slot order. Every setter stores and notifies the
  // host; none builds, repaints or hides a balloon.
  std::int32_t PoyavlenieS() const { return Int(Persisted::PoyavlenieS); }
  void SetPoyavlenieS(std::int32_t mode);
  // Builds a new balloon for Caption beside the cursor (the old one goes
  // first) and shows it, or leaves it hidden for the delay when Zadergka is
  // on. A failure (an overflow from absurd sizes, a balloon larger than a
  // window can be) throws and leaves no balloon, no running timer and
  // Active false.
  void Risuy();
  // Gives the balloon's windows the drop shadow, for this balloon and every
  // later one, as a style of their window class would. hWnd is one of the
  // balloon's own windows; any other window is out of the control's reach.
  void AddShadowToForm(drawing::WindowHandle hWnd);
  // The template PodsK(0)'s own font object.
  const drawing::Font& Font() const;
  void SetFont(const drawing::Font& font);
  // Held by Zalivka.
  drawing::Colour BackColor() const;
  void SetBackColor(drawing::Colour colour);
  std::int32_t ProzrachostOkna() const { return Int(Persisted::ProzrachostOkna); }
  void SetProzrachostOkna(std::int32_t alpha);
  std::int32_t ProzrachostFona() const { return Int(Persisted::ProzrachostFona); }
  void SetProzrachostFona(std::int32_t alpha);
  // Zalivka's picture object; Zalivka takes the picture's size.
  drawing::PicturePtr PictureFona() const;
  void SetPictureFona(drawing::PicturePtr picture);
  std::int32_t PsetPicture() const { return Int(Persisted::PsetPicture); }
  void SetPsetPicture(std::int32_t corner);
  bool Shadow() const { return Flag(Persisted::Shadow); }
  void SetShadow(bool on);
  std::int32_t Zakruglenie() const { return Int(Persisted::Zakruglenie); }
  void SetZakruglenie(std::int32_t ellipse);
  std::int32_t SdvigOtKursora() const { return Int(Persisted::SdvigOtKursora); }
  void SetSdvigOtKursora(std::int32_t distance);
  std::int32_t MaxWidth() const { return Int(Persisted::MaxWidth); }
  void SetMaxWidth(std::int32_t width);
  drawing::Colour ForeColorTxtTop() const { return ColourOf(Persisted::ForeColorTxtTop); }
  void SetForeColorTxtTop(drawing::Colour colour);
  drawing::Colour ForeColorTxtPod() const { return ColourOf(Persisted::ForeColorTxtPod); }
  void SetForeColorTxtPod(drawing::Colour colour);
  bool ScreenShotEnable() const { return Flag(Persisted::ScreenShotEnable); }
  void SetScreenShotEnable(bool on);
  // Hides and destroys the balloon, stops the timer, empties Caption and
  // clears Active; with no balloon it does nothing at all.
  void Minus();
  const std::string& Caption() const;
  void SetCaption(std::string text);
  std::int32_t TextOtstup() const { return Int(Persisted::TextOtstup); }
  void SetTextOtstup(std::int32_t margin);
  // Delay in timer ticks; the setter raises anything below 1 to 1.
  std::int32_t ZadergkaTime() const { return Int(Persisted::ZadergkaTime); }
  void SetZadergkaTime(std::int32_t ticks);
  bool TextSenter() const { return Flag(Persisted::TextSenter); }
  void SetTextSenter(bool on);
  bool ForeDvaCveta() const { return Flag(Persisted::ForeDvaCveta); }
  void SetForeDvaCveta(bool on);
  bool Zadergka() const { return Flag(Persisted::Zadergka); }
  void SetZadergka(bool on);
  bool Active() const { return Flag(Persisted::Active); }
  void SetActive(bool on);

  // The balloon window PodsK(1) while one exists, else null.
  const drawing::Surface* BalloonWindow() const { return balloonWindow_.get(); }

  // Loading stores every value directly (no setter rules, no notification);
  // a stored value of the wrong kind throws drawing::PropertyTypeError.
  void ReadProperties(const drawing::PropertyBag& bag);
  // Values equal to their defaults are not stored.
  void WriteProperties(drawing::PropertyBag& bag) const;

 private:
  // In the order of saving and loading.
  enum class Persisted {
    Font, BackColor, ProzrachostOkna, ProzrachostFona, PictureFona, PsetPicture, Shadow,
    Zakruglenie, SdvigOtKursora, MaxWidth, ForeColorTxtTop, ForeColorTxtPod, ScreenShotEnable,
    Caption, TextOtstup, TextSenter, ForeDvaCveta, Zadergka, Active, ZadergkaTime, PoyavlenieS,
  };
  static constexpr std::size_t kPersistedCount = 21;

  std::int32_t Int(Persisted property) const;
  bool Flag(Persisted property) const;
  drawing::Colour ColourOf(Persisted property) const;
  drawing::PropertyValue Current(Persisted property) const;
  void Load(Persisted property, drawing::PropertyValue value);
  void Assign(Persisted property, drawing::PropertyValue value);
  void KeepFaceSize();

  // Building (BalloonBuild.cpp).
  void DestroyOldBalloon();
  void BuildBalloon();
  void LayoutBalloon(std::vector<std::string>& lines, drawing::Surface& surface);
  void CaptureScreenBehind(drawing::Surface& surface);
  void RoundBalloonCorners(drawing::Surface& surface);
  void BlendBackgroundPicture(drawing::Surface& surface);
  static bool SetWindowOpacity(drawing::Surface& surface, std::uint8_t alpha);
  bool IsOwnWindow(drawing::WindowHandle hWnd) const;

  // Tracking (BalloonTick.cpp).
  void Tick();
  bool IsBalloonWindow(drawing::WindowHandle hWnd) const;
  int MouseButtonDown() const;

  drawing::Surface& face_;
  drawing::ControlSite site_;
  // PodsK(0): hidden template; holds the font and measures text.
  std::unique_ptr<drawing::Surface> templateSurface_;
  // Zalivka: hidden holder of BackColor and PictureFona.
  std::unique_ptr<drawing::Surface> fillHolder_;
  // Timer1: the tracking tick, off until a balloon is built.
  std::unique_ptr<drawing::Timer> trackingTimer_;
  // Image1: the face.
  drawing::PicturePtr facePicture_;
  // PodsK(1): the balloon window, while one exists.
  std::unique_ptr<drawing::Surface> balloonWindow_;
  // Ticks since the balloon was built, the window under the cursor at the
  // previous tick (0: none seen yet), whether the cursor has been on the
  // balloon, and where the cursor and the work area were last read.
  std::int32_t delayTicks_ = 0;
  drawing::WindowHandle lastWindowUnderCursor_ = 0;
  bool enteredBalloon_ = false;
  drawing::ScreenPoint cursorPos_;
  drawing::ScreenRect workArea_;
  // Asked once through AddShadowToForm, kept for every later balloon.
  bool shadowForEveryBalloon_ = false;
  // Properties held by the control itself (the slots of Font, BackColor and
  // PictureFona stay unused: the inner parts hold those).
  std::array<drawing::PropertyValue, kPersistedCount> values_;
};

}  // namespace balloon
