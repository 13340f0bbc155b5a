#include "controls/slider/Hscroll.h"

#include <stdexcept>
#include <utility>

#include "controls/slider/SliderPainter.h"
#include "drawing/Arithmetic.h"

namespace slider {

namespace {

struct PropertyEntry {
  std::string_view key;
  drawing::PropertyValue fallback;
};

// Every persisted property once, with its key and default, in the order of
// saving and loading (the order of Hscroll::Persisted). Colours are stored as
// their 32-bit pattern.
const std::array<PropertyEntry, 12>& Properties() {
  static const std::array<PropertyEntry, 12> table{{
      {"Value", std::int32_t{0}},
      {"Max", std::int32_t{0}},
      {"Min", std::int32_t{0}},
      {"SmallChange", std::int32_t{1}},
      {"LargeChange", std::int32_t{0}},
      {"BackColor", static_cast<std::int32_t>(Hscroll::kThumbKey)},
      {"PicVerhUp", drawing::PicturePtr{}},
      {"PicVerhMove", drawing::PicturePtr{}},
      {"PicNizUp", drawing::PicturePtr{}},
      {"PicNizMove", drawing::PicturePtr{}},
      {"PicSUp", drawing::PicturePtr{}},
      {"PicSMove", drawing::PicturePtr{}},
  }};
  return table;
}

const PropertyEntry& Entry(std::size_t index) { return Properties()[index]; }

// Clears a flag however the code between leaves.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

Hscroll::Hscroll(const drawing::ControlSite& site, drawing::Surface* parent) : site_(site) {
  if (!site_.services) throw std::invalid_argument("Hscroll needs the host services to create its inner parts");
  drawing::HostServices& services = *site_.services;
  surface_ = services.CreateSurface(parent);

  buttons_[0] = services.CreateSurface(surface_.get());
  buttons_[0]->SetBackColor(kButtonKey);
  buttons_[0]->Move(0, 0, kButtonWidth, kButtonWidth);
  buttons_[1] = services.CreateElement(*buttons_[0]);
  track_ = services.CreateSurface(surface_.get());
  track_->SetBackColor(kThumbKey);

  auto makeHolders = [&](std::array<std::unique_ptr<drawing::Surface>, 2>& holders, drawing::Colour key, int width,
                         int height) {
    holders[0] = services.CreateSurface(surface_.get());
    holders[0]->SetBackColor(key);
    holders[0]->Move(0, 0, width, height);
    holders[0]->Cls();
    holders[1] = services.CreateElement(*holders[0]);
    holders[1]->Cls();
  };
  makeHolders(leftSkins_, kButtonKey, kButtonWidth, kButtonWidth);
  makeHolders(rightSkins_, kButtonKey, kButtonWidth, kButtonWidth);
  makeHolders(thumbSkins_, kThumbKey, kThumbSkinWidth, kThumbSkinHeight);

  timer1_ = services.CreateTimer();
  timer1_->SetInterval(kRepeatInterval);
  timer1_->SetEnabled(false);
  timer1_->tick = [this] { RepeatTick(); };

  for (int i = 0; i < 2; ++i) {
    drawing::Surface& button = *buttons_[static_cast<std::size_t>(i)];
    // Every mouse button acts alike; the second press of a double click is
    // still a press.
    button.events.mouseDown = [this, i](int, int, double, double) { ButtonDown(i); };
    button.events.doubleClick = [this, i](int, int, double, double) { ButtonDown(i); };
    button.events.mouseUp = [this, i](int, int, double, double) { ButtonUp(i); };
    button.SetVisible(true);
  }
  track_->events.mouseDown = [this](int, int, double x, double) { TrackDown(x); };
  track_->events.mouseMove = [this](int, int, double x, double) { TrackMove(x); };
  track_->events.mouseUp = [this](int, int, double, double) { TrackUp(); };
  track_->SetVisible(true);

  surface_->events.resized = [this] { Resize(); };
  WireKeyboard();
  Resize();
}

Hscroll::~Hscroll() {
  timer1_->tick = nullptr;
  surface_->events = drawing::SurfaceEvents{};
}

// ---- properties ----

drawing::PropertyValue Hscroll::Current(Persisted property) const {
  switch (property) {
    case Persisted::Value: return value_;
    case Persisted::Max: return max_;
    case Persisted::Min: return min_;
    case Persisted::SmallChange: return smallChange_;
    case Persisted::LargeChange: return largeChange_;
    case Persisted::BackColor: return static_cast<std::int32_t>(track_->BackColor());
    default: return Skin(property);
  }
}

void Hscroll::Load(Persisted property, const drawing::PropertyValue& value) {
  switch (property) {
    case Persisted::Value: value_ = std::get<std::int32_t>(value); break;
    case Persisted::Max: max_ = std::get<std::int32_t>(value); break;
    case Persisted::Min: min_ = std::get<std::int32_t>(value); break;
    case Persisted::SmallChange: smallChange_ = std::get<std::int32_t>(value); break;
    case Persisted::LargeChange: largeChange_ = std::get<std::int32_t>(value); break;
    case Persisted::BackColor: track_->SetBackColor(static_cast<drawing::Colour>(std::get<std::int32_t>(value))); break;
    default: HoldPicture(Holder(property), std::get<drawing::PicturePtr>(value)); break;
  }
}

void Hscroll::MarkChanged(Persisted property) { site_.PropertyChanged(Entry(static_cast<std::size_t>(property)).key); }

drawing::Surface& Hscroll::Holder(Persisted skin) const {
  switch (skin) {
    case Persisted::PicVerhUp: return *leftSkins_[0];
    case Persisted::PicVerhMove: return *leftSkins_[1];
    case Persisted::PicNizUp: return *rightSkins_[0];
    case Persisted::PicNizMove: return *rightSkins_[1];
    case Persisted::PicSUp: return *thumbSkins_[0];
    case Persisted::PicSMove: return *thumbSkins_[1];
    default: throw std::logic_error("not a skin");
  }
}

drawing::PicturePtr Hscroll::Skin(Persisted skin) const { return Holder(skin).Picture(); }

void Hscroll::SetSkin(Persisted skin, drawing::PicturePtr picture) {
  HoldPicture(Holder(skin), std::move(picture));
  MarkChanged(skin);
}

void Hscroll::HoldPicture(drawing::Surface& holder, drawing::PicturePtr picture) {
  // The holder takes the skin's size, so the whole skin is the copy source;
  // without a skin it keeps its size and copies as all key colour.
  if (picture) holder.Move(0, 0, picture->Width(), picture->Height());
  holder.SetPicture(std::move(picture));
  holder.SetAutoRedraw(true);
  holder.Cls();
  holder.SetAutoRedraw(false);
}

void Hscroll::SetValue(std::int32_t value) {
  value_ = value;
  MarkChanged(Persisted::Value);
  if (inClamp_) return;
  RepaintAll();
  if (Scroll) Scroll();
  PaintTrack(0);
}

void Hscroll::SetMax(std::int32_t value) {
  max_ = value;
  MarkChanged(Persisted::Max);
}

void Hscroll::SetMin(std::int32_t value) {
  min_ = value;
  MarkChanged(Persisted::Min);
}

void Hscroll::SetSmallChange(std::int32_t value) {
  smallChange_ = value;
  MarkChanged(Persisted::SmallChange);
}

void Hscroll::SetLargeChange(std::int32_t value) {
  largeChange_ = value;
  MarkChanged(Persisted::LargeChange);
}

drawing::Colour Hscroll::BackColor() const { return track_->BackColor(); }

void Hscroll::SetBackColor(drawing::Colour colour) {
  track_->SetBackColor(colour);
  // The new colour fills the track at once; the thumb returns with the next
  // repaint.
  track_->SetAutoRedraw(true);
  track_->Cls();
  track_->SetAutoRedraw(false);
  track_->Refresh();
  MarkChanged(Persisted::BackColor);
}

void Hscroll::ReadProperties(const drawing::PropertyBag& bag) {
  for (std::size_t i = 0; i < Properties().size(); ++i)
    Load(static_cast<Persisted>(i), bag.ReadValue(Entry(i).key, Entry(i).fallback));
  RepaintAll();
}

void Hscroll::WriteProperties(drawing::PropertyBag& bag) {
  for (std::size_t i = 0; i < Properties().size(); ++i)
    bag.WriteValue(Entry(i).key, Current(static_cast<Persisted>(i)), Entry(i).fallback);
  RepaintAll();
}

void Hscroll::ReadDesign(const drawing::Design& design, const std::string& name) {
  track_->SetPicture(design.Section(name + ".Volum").Read<drawing::PicturePtr>("Picture", nullptr));
  ReadProperties(design.Section(name));
}

// ---- layout and painting ----

void Hscroll::Resize() {
  drawing::HostServices& services = *site_.services;
  const int buttonWidth = buttons_[0]->Width();
  // The host sizes the control in twips; the control keeps itself at least
  // one button high and three buttons wide. A nested resize may run inside
  // each Move; every step reads the sizes then in force.
  if (surface_->ScaleHeight() < buttonWidth) {
    const long long twips = static_cast<long long>(buttonWidth) * services.TwipsPerPixelY();
    surface_->Move(surface_->Left(), surface_->Top(), surface_->Width(),
                   drawing::CheckedInt32(twips / services.TwipsPerPixelY()));
  }
  if (static_cast<float>(3 * buttonWidth) > static_cast<float>(surface_->ScaleWidth())) {
    const long long twips = static_cast<long long>(buttonWidth) * 3 * services.TwipsPerPixelX();
    surface_->Move(surface_->Left(), surface_->Top(), drawing::CheckedInt32(twips / services.TwipsPerPixelX()),
                   surface_->Height());
  }
  auto place = [](drawing::Surface& part, const PixelRect& r) {
    part.Move(static_cast<int>(r.left), static_cast<int>(r.top), drawing::CheckedInt32(r.width),
              static_cast<int>(r.height));
  };
  const int innerWidth = surface_->ScaleWidth(), innerHeight = surface_->ScaleHeight();
  place(*buttons_[0], LeftButtonRect(innerHeight, buttons_[0]->Width()));
  place(*buttons_[1], RightButtonRect(innerWidth, innerHeight, buttons_[1]->Width()));
  place(*track_, TrackRect(innerWidth, innerHeight, buttons_[0]->Width(), buttons_[1]->Width()));
  RepaintAll();
}

void Hscroll::RepaintAll() {
  thumbWidth_ = ThumbWidthFor(track_->ScaleWidth(), largeChange_);
  PaintLeftButton(buttonHeld_[0] ? 1 : 0);
  PaintRightButton(buttonHeld_[1] ? 1 : 0);
  PaintTrack(dragging_ ? 1 : 0);
}

drawing::Colour Hscroll::KeyOf(const drawing::Surface& holder) const {
  return site_.services->ResolveColour(holder.BackColor());
}

void Hscroll::PaintLeftButton(int skin) {
  drawing::Surface& holder = *leftSkins_.at(static_cast<std::size_t>(skin));
  PaintButtonSkin(*buttons_[0], holder, KeyOf(holder));
}

void Hscroll::PaintRightButton(int skin) {
  drawing::Surface& holder = *rightSkins_.at(static_cast<std::size_t>(skin));
  PaintButtonSkin(*buttons_[1], holder, KeyOf(holder));
}

void Hscroll::Clamp() {
  // Max first, then Min: when the bounds cross, Min wins.
  if (value_ > max_) {
    FlagScope clamping(inClamp_);
    SetValue(max_);
  }
  if (value_ < min_) {
    FlagScope clamping(inClamp_);
    SetValue(min_);
  }
}

void Hscroll::PaintTrack(int skin) {
  Clamp();
  scale_ = ScaleFor(track_->ScaleWidth(), thumbWidth_, min_, max_);
  thumbLeft_ = ThumbLeftFor(value_, min_, scale_);
  drawing::Surface& holder = *thumbSkins_.at(static_cast<std::size_t>(skin));
  PaintThumbSkin(*track_, holder, Thumb(), KeyOf(holder));
  PaintThumbFocus();
}

PixelRect Hscroll::Thumb() const { return ThumbRect(thumbLeft_, thumbWidth_, track_->ScaleHeight()); }

// ---- pointer and timer ----

void Hscroll::TrackDown(double x) {
  if (DowNs) DowNs();
  const PixelRect thumb = Thumb();
  if (OnThumb(thumb, x)) {
    grabOffset_ = drawing::RoundHalfEven(x - static_cast<double>(thumb.left));
  } else if (x < static_cast<double>(thumb.left)) {
    grabOffset_ = 0;
    DragThumbTo(x);
  } else {
    grabOffset_ = thumbWidth_;
    DragThumbTo(x);
  }
  dragging_ = true;
}

void Hscroll::TrackMove(double x) {
  if (dragging_) DragThumbTo(x);
}

void Hscroll::TrackUp() {
  dragging_ = false;
  RepaintAll();
  grabOffset_ = 0;
  dragLeft_ = 0;
  if (UpNs) UpNs();
}

void Hscroll::DragThumbTo(double x) {
  dragLeft_ = drawing::RoundHalfEven(x - grabOffset_);
  if (dragLeft_ < 0) dragLeft_ = 0;
  if (dragLeft_ > scale_.travel) dragLeft_ = drawing::RoundHalfEven(scale_.travel);
  // With no range (Max equal to Min) there is nothing to divide: the only
  // value the clamp allows is Min.
  if (scale_.pixelsPerUnit == 0) {
    SetValue(min_);
    return;
  }
  SetValue(drawing::RoundHalfEven(dragLeft_ / scale_.pixelsPerUnit + min_));
}

void Hscroll::ButtonDown(int index) {
  buttonHeld_.at(static_cast<std::size_t>(index)) = true;
  timer1_->SetEnabled(true);
}

void Hscroll::ButtonUp(int index) {
  buttonHeld_.at(static_cast<std::size_t>(index)) = false;
  RepaintAll();
}

void Hscroll::RepeatTick() {
  if (!buttonHeld_[0] && !buttonHeld_[1]) timer1_->SetEnabled(false);
  // The sums are taken in 64 bits: a step past a bound lands on the bound.
  // A step that leaves the 32-bit range without passing a bound (a negative
  // SmallChange) is not taken; the value stays where it is.
  try {
    if (buttonHeld_[1]) {
      const long long next = static_cast<long long>(value_) + smallChange_;
      SetValue(next < max_ ? drawing::CheckedInt32(next) : max_);
      if (Change) Change();
    } else if (buttonHeld_[0]) {
      const long long next = static_cast<long long>(value_) - smallChange_;
      SetValue(next > min_ ? drawing::CheckedInt32(next) : min_);
      if (Change) Change();
    }
  } catch (const drawing::OverflowError&) {
  }
  RepaintAll();
}

}  // namespace slider
