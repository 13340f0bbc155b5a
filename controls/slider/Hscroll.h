#pragma once
// Hscroll: the skinned horizontal slider that zooms the page. It holds one
// integer, Value, kept between Min and Max by every repaint, and raises
// Scroll on every Value assignment (the same value included) after the clamp,
// so the host reads the final value. A decrease button at the left end and an
// increase button at the right end step Value by SmallChange every 20 ms
// while held; the thumb on the track between them is dragged with any mouse
// button. Everything on screen is copied from six skins in nine pieces.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "controls/slider/SliderGeometry.h"
#include "drawing/DesignFile.h"
#include "drawing/HostServices.h"

namespace slider {

class Hscroll {
 public:
  // The auto-repeat period of the end buttons.
  static constexpr int kRepeatInterval = 20;
  // Background and transparent key of the buttons and their skin holders,
  // and of the thumb skin holders.
  static constexpr drawing::Colour kButtonKey = 0x0007410F;
  static constexpr drawing::Colour kThumbKey = 0x000F0057;
  // Holder sizes while they hold no skin (all key colour then).
  static constexpr int kButtonWidth = 17;
  static constexpr int kThumbSkinWidth = 7;
  static constexpr int kThumbSkinHeight = 16;
  // The dotted rectangle round the thumb while the slider has the focus.
  static constexpr drawing::Colour kThumbFocusColour = 0x00000000;

  // The control's own surface is a child of parent (top-level when null);
  // site.services (required) creates it and the inner parts. The properties
  // start as a newly placed control's: all integers 0 except SmallChange 1.
  Hscroll(const drawing::ControlSite& site, drawing::Surface* parent);
  ~Hscroll();
  Hscroll(const Hscroll&) = delete;
  Hscroll& operator=(const Hscroll&) = delete;

  drawing::Surface& Surface() { return *surface_; }

  // Events, in declaration order; raised synchronously.
  std::function<void()> Change;
  std::function<void()> Scroll;
  std::function<void()> DowNs;
  std::function<void()> UpNs;

  // Setters store and notify the host. Value's setter then repaints, raises
  // Scroll and repaints the thumb in its normal skin; the other integers take
  // effect at the next repaint. BackColor refills the track; the skins are
  // drawn at the next repaint.
  std::int32_t Value() const { return value_; }
  void SetValue(std::int32_t value);
  std::int32_t Max() const { return max_; }
  void SetMax(std::int32_t value);
  std::int32_t Min() const { return min_; }
  void SetMin(std::int32_t value);
  std::int32_t SmallChange() const { return smallChange_; }
  void SetSmallChange(std::int32_t value);
  std::int32_t LargeChange() const { return largeChange_; }
  void SetLargeChange(std::int32_t value);
  // Held by the track surface: a system colour reads back unchanged.
  drawing::Colour BackColor() const;
  void SetBackColor(drawing::Colour colour);
  // Each skin is its holder's picture object, shared, never copied.
  drawing::PicturePtr PicVerhUp() const { return Skin(Persisted::PicVerhUp); }
  void SetPicVerhUp(drawing::PicturePtr picture) { SetSkin(Persisted::PicVerhUp, std::move(picture)); }
  drawing::PicturePtr PicVerhMove() const { return Skin(Persisted::PicVerhMove); }
  void SetPicVerhMove(drawing::PicturePtr picture) { SetSkin(Persisted::PicVerhMove, std::move(picture)); }
  drawing::PicturePtr PicNizUp() const { return Skin(Persisted::PicNizUp); }
  void SetPicNizUp(drawing::PicturePtr picture) { SetSkin(Persisted::PicNizUp, std::move(picture)); }
  drawing::PicturePtr PicNizMove() const { return Skin(Persisted::PicNizMove); }
  void SetPicNizMove(drawing::PicturePtr picture) { SetSkin(Persisted::PicNizMove, std::move(picture)); }
  drawing::PicturePtr PicSUp() const { return Skin(Persisted::PicSUp); }
  void SetPicSUp(drawing::PicturePtr picture) { SetSkin(Persisted::PicSUp, std::move(picture)); }
  drawing::PicturePtr PicSMove() const { return Skin(Persisted::PicSMove); }
  void SetPicSMove(drawing::PicturePtr picture) { SetSkin(Persisted::PicSMove, std::move(picture)); }

  // Restores the twelve properties in their fixed order, the integers
  // straight into the fields (no event, no clamp), then repaints once.
  void ReadProperties(const drawing::PropertyBag& bag);
  // Saves them in the same order (values equal to their defaults are not
  // stored), then repaints once.
  void WriteProperties(drawing::PropertyBag& bag);
  // The stored design of an instance named name: the track's fixed picture
  // from its inner part's section (name + ".Volum", key "Picture"), then the
  // control's own properties.
  void ReadDesign(const drawing::Design& design, const std::string& name);

  // Inner parts, for the host's tests and tools.
  drawing::Surface& UpDow(int index) { return *buttons_.at(static_cast<std::size_t>(index)); }
  drawing::Surface& Volum() { return *track_; }
  drawing::Surface& Picture1(int index) { return *leftSkins_.at(static_cast<std::size_t>(index)); }
  drawing::Surface& Picture2(int index) { return *thumbSkins_.at(static_cast<std::size_t>(index)); }
  drawing::Surface& Picture3(int index) { return *rightSkins_.at(static_cast<std::size_t>(index)); }
  drawing::Timer& Timer1() { return *timer1_; }

  // The state the last repaint and the pointer left behind.
  std::int32_t ThumbWidth() const { return thumbWidth_; }
  std::int32_t ThumbLeft() const { return thumbLeft_; }
  double TrackTravel() const { return scale_.travel; }
  double PixelsPerUnit() const { return scale_.pixelsPerUnit; }
  std::int32_t DragLeft() const { return dragLeft_; }
  bool Dragging() const { return dragging_; }
  bool ButtonHeld(int index) const { return buttonHeld_.at(static_cast<std::size_t>(index)); }
  // The thumb where the last track repaint put it: what is drawn and what a
  // press hits.
  PixelRect Thumb() const;

  // The keyboard: arrows, Page Up and Down, Home and End assign Value
  // through its setter (see SliderKeys.h); true when the key was used.
  bool KeyDown(const drawing::KeyPress& key);
  bool HasFocus() const { return focused_; }
  // The thumb's focus rectangle shows once the keyboard has been used, so a
  // reader who only drags sees the slider as it is drawn without the focus.
  bool ShowsFocus() const { return focused_ && focusCues_; }

 private:
  // In the order of saving and loading.
  enum class Persisted {
    Value, Max, Min, SmallChange, LargeChange, BackColor,
    PicVerhUp, PicVerhMove, PicNizUp, PicNizMove, PicSUp, PicSMove
  };

  drawing::PropertyValue Current(Persisted property) const;
  void Load(Persisted property, const drawing::PropertyValue& value);
  void MarkChanged(Persisted property);
  drawing::Surface& Holder(Persisted skin) const;
  drawing::PicturePtr Skin(Persisted skin) const;
  void SetSkin(Persisted skin, drawing::PicturePtr picture);
  void HoldPicture(drawing::Surface& holder, drawing::PicturePtr picture);

  void Resize();
  void RepaintAll();
  void PaintLeftButton(int skin);
  void PaintRightButton(int skin);
  void PaintTrack(int skin);
  void Clamp();
  drawing::Colour KeyOf(const drawing::Surface& holder) const;

  void TrackDown(double x);
  void TrackMove(double x);
  void TrackUp();
  void DragThumbTo(double x);
  void ButtonDown(int index);
  void ButtonUp(int index);
  void RepeatTick();

  void WireKeyboard();
  void FocusMoved(bool focused);
  void PaintThumbFocus();

  drawing::ControlSite site_;
  std::unique_ptr<drawing::Surface> surface_;
  std::array<std::unique_ptr<drawing::Surface>, 2> buttons_;
  std::unique_ptr<drawing::Surface> track_;
  std::array<std::unique_ptr<drawing::Surface>, 2> leftSkins_;
  std::array<std::unique_ptr<drawing::Surface>, 2> thumbSkins_;
  std::array<std::unique_ptr<drawing::Surface>, 2> rightSkins_;
  std::unique_ptr<drawing::Timer> timer1_;

  std::int32_t value_ = 0;
  std::int32_t max_ = 0;
  std::int32_t min_ = 0;
  std::int32_t smallChange_ = 1;
  std::int32_t largeChange_ = 0;

  std::int32_t thumbWidth_ = 0;
  std::int32_t thumbLeft_ = 0;
  ThumbScale scale_;
  std::int32_t grabOffset_ = 0;
  std::int32_t dragLeft_ = 0;
  bool dragging_ = false;
  std::array<bool, 2> buttonHeld_{};
  bool inClamp_ = false;
  bool focused_ = false;
  bool focusCues_ = false;
};

}  // namespace slider
