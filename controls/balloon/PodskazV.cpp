#include "controls/balloon/PodskazV.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace balloon {

namespace {

struct PropertyEntry {
  std::string_view key;
  // The value of a newly placed control, and the default for saving and
  // loading unless the default is the host's ambient font.
  drawing::PropertyValue initial;
  bool ambientFontDefault = false;
};

// Every persisted property once, in the order of PodskazV::Persisted. Colours
// are stored as their 32-bit pattern.
const std::array<PropertyEntry, 21>& Properties() {
  static const std::array<PropertyEntry, 21> table{{
      {"Font", drawing::Font{}, true},  // the template's design font: 8.25 pt, 400, Cyrillic
      {"BackColor", std::int32_t{0x00070707}},
      {"ProzrachostOkna", std::int32_t{255}},
      {"ProzrachostFona", std::int32_t{255}},
      {"PictureFona", drawing::PicturePtr{}},
      {"PsetPicture", std::int32_t{0}},
      {"Shadow", false},
      {"Zakruglenie", std::int32_t{0}},
      {"SdvigOtKursora", std::int32_t{5}},
      {"MaxWidth", std::int32_t{150}},
      {"ForeColorTxtTop", std::int32_t{0}},
      {"ForeColorTxtPod", std::int32_t{0}},
      {"ScreenShotEnable", false},
      {"Caption", std::string()},
      {"TextOtstup", std::int32_t{0}},
      {"TextSenter", false},
      {"ForeDvaCveta", false},
      {"Zadergka", false},
      {"Active", false},
      {"ZadergkaTime", std::int32_t{1}},
      {"PoyavlenieS", std::int32_t{0}},
  }};
  return table;
}

const PropertyEntry& Entry(std::size_t index) { return Properties()[index]; }

// Image1: a small speech balloon; only its size matters to the host.
drawing::PicturePtr MakeFacePicture(int size) {
  auto picture = std::make_shared<drawing::Image>(size, size, drawing::ToPixel(0x00F0F0F0));
  const std::uint32_t ink = drawing::ToPixel(0x00404040);
  const std::uint32_t paper = drawing::ToPixel(0x00FFFFFF);
  const int left = 2, right = size - 3, top = 3, bottom = size - 9;
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x)
      picture->Set(x, y, (y == top || y == bottom || x == left || x == right) ? ink : paper);
  for (int i = 1; i <= 5; ++i) picture->Set(6 + i / 2, bottom + i, ink);
  return picture;
}

}  // namespace

PodskazV::PodskazV(drawing::Surface& face, drawing::ControlSite site) : face_(face), site_(std::move(site)) {
  if (!site_.services) throw std::invalid_argument("PodskazV needs the host services to create its inner parts");
  drawing::HostServices& services = *site_.services;
  templateSurface_ = services.CreateSurface(&face_);
  templateSurface_->SetVisible(false);
  fillHolder_ = services.CreateSurface(&face_);
  fillHolder_->SetVisible(false);
  trackingTimer_ = services.CreateTimer();
  trackingTimer_->SetInterval(kTimerInterval);
  trackingTimer_->SetEnabled(false);
  trackingTimer_->tick = [this] { Tick(); };
  // Without a picture Zalivka is a plain BackColor surface; it needs some
  // size to be a source for the blend at all.
  fillHolder_->Move(0, 0, kFillDesignSize, kFillDesignSize);

  for (std::size_t i = 0; i < kPersistedCount; ++i) Load(static_cast<Persisted>(i), Entry(i).initial);

  facePicture_ = MakeFacePicture(kFaceSize);
  face_.SetPicture(facePicture_);
  face_.events.resized = [this] { KeepFaceSize(); };
  KeepFaceSize();
}

PodskazV::~PodskazV() {
  face_.events.resized = nullptr;
  trackingTimer_->tick = nullptr;
}

void PodskazV::KeepFaceSize() {
  const int width = facePicture_->Width(), height = facePicture_->Height();
  if (face_.Width() != width || face_.Height() != height) face_.Move(face_.Left(), face_.Top(), width, height);
}

std::int32_t PodskazV::Int(Persisted property) const {
  return std::get<std::int32_t>(values_[static_cast<std::size_t>(property)]);
}

bool PodskazV::Flag(Persisted property) const { return std::get<bool>(values_[static_cast<std::size_t>(property)]); }

drawing::Colour PodskazV::ColourOf(Persisted property) const { return static_cast<drawing::Colour>(Int(property)); }

drawing::PropertyValue PodskazV::Current(Persisted property) const {
  switch (property) {
    case Persisted::Font: return templateSurface_->GetFont();
    case Persisted::BackColor: return static_cast<std::int32_t>(fillHolder_->BackColor());
    case Persisted::PictureFona: return fillHolder_->Picture();
    default: return values_[static_cast<std::size_t>(property)];
  }
}

void PodskazV::Load(Persisted property, drawing::PropertyValue value) {
  switch (property) {
    case Persisted::Font:
      templateSurface_->SetFont(std::get<drawing::Font>(value));
      break;
    case Persisted::BackColor:
      fillHolder_->SetBackColor(static_cast<drawing::Colour>(std::get<std::int32_t>(value)));
      break;
    case Persisted::PictureFona: {
      drawing::PicturePtr picture = std::get<drawing::PicturePtr>(value);
      fillHolder_->SetPicture(picture);
      if (picture) fillHolder_->Move(fillHolder_->Left(), fillHolder_->Top(), picture->Width(), picture->Height());
      break;
    }
    default:
      values_[static_cast<std::size_t>(property)] = std::move(value);
  }
}

void PodskazV::Assign(Persisted property, drawing::PropertyValue value) {
  Load(property, std::move(value));
  site_.PropertyChanged(Entry(static_cast<std::size_t>(property)).key);
}

void PodskazV::SetPoyavlenieS(std::int32_t mode) { Assign(Persisted::PoyavlenieS, mode); }

const drawing::Font& PodskazV::Font() const { return templateSurface_->GetFont(); }
void PodskazV::SetFont(const drawing::Font& font) { Assign(Persisted::Font, font); }

drawing::Colour PodskazV::BackColor() const { return fillHolder_->BackColor(); }
void PodskazV::SetBackColor(drawing::Colour colour) { Assign(Persisted::BackColor, static_cast<std::int32_t>(colour)); }

void PodskazV::SetProzrachostOkna(std::int32_t alpha) { Assign(Persisted::ProzrachostOkna, alpha); }
void PodskazV::SetProzrachostFona(std::int32_t alpha) { Assign(Persisted::ProzrachostFona, alpha); }

drawing::PicturePtr PodskazV::PictureFona() const { return fillHolder_->Picture(); }
void PodskazV::SetPictureFona(drawing::PicturePtr picture) { Assign(Persisted::PictureFona, std::move(picture)); }

void PodskazV::SetPsetPicture(std::int32_t corner) { Assign(Persisted::PsetPicture, corner); }
void PodskazV::SetShadow(bool on) { Assign(Persisted::Shadow, on); }
void PodskazV::SetZakruglenie(std::int32_t ellipse) { Assign(Persisted::Zakruglenie, ellipse); }
void PodskazV::SetSdvigOtKursora(std::int32_t distance) { Assign(Persisted::SdvigOtKursora, distance); }
void PodskazV::SetMaxWidth(std::int32_t width) { Assign(Persisted::MaxWidth, width); }

void PodskazV::SetForeColorTxtTop(drawing::Colour colour) {
  Assign(Persisted::ForeColorTxtTop, static_cast<std::int32_t>(colour));
}

void PodskazV::SetForeColorTxtPod(drawing::Colour colour) {
  Assign(Persisted::ForeColorTxtPod, static_cast<std::int32_t>(colour));
}

void PodskazV::SetScreenShotEnable(bool on) { Assign(Persisted::ScreenShotEnable, on); }

const std::string& PodskazV::Caption() const {
  return std::get<std::string>(values_[static_cast<std::size_t>(Persisted::Caption)]);
}

void PodskazV::SetCaption(std::string text) { Assign(Persisted::Caption, std::move(text)); }
void PodskazV::SetTextOtstup(std::int32_t margin) { Assign(Persisted::TextOtstup, margin); }

// A delay of 0 ticks would never be reached by the counting tick, so the
// setter keeps it at 1 or more; loading keeps whatever was stored.
void PodskazV::SetZadergkaTime(std::int32_t ticks) { Assign(Persisted::ZadergkaTime, std::max(ticks, 1)); }

void PodskazV::SetTextSenter(bool on) { Assign(Persisted::TextSenter, on); }
void PodskazV::SetForeDvaCveta(bool on) { Assign(Persisted::ForeDvaCveta, on); }
void PodskazV::SetZadergka(bool on) { Assign(Persisted::Zadergka, on); }
void PodskazV::SetActive(bool on) { Assign(Persisted::Active, on); }

void PodskazV::ReadProperties(const drawing::PropertyBag& bag) {
  for (std::size_t i = 0; i < kPersistedCount; ++i) {
    const PropertyEntry& entry = Entry(i);
    drawing::PropertyValue fallback =
        entry.ambientFontDefault ? drawing::PropertyValue(site_.services->AmbientFont()) : entry.initial;
    drawing::PropertyValue stored = std::visit(
        [&](const auto& def) -> drawing::PropertyValue { return bag.Read(entry.key, def); }, fallback);
    Load(static_cast<Persisted>(i), std::move(stored));
  }
}

void PodskazV::WriteProperties(drawing::PropertyBag& bag) const {
  for (std::size_t i = 0; i < kPersistedCount; ++i) {
    const PropertyEntry& entry = Entry(i);
    drawing::PropertyValue fallback =
        entry.ambientFontDefault ? drawing::PropertyValue(site_.services->AmbientFont()) : entry.initial;
    const drawing::PropertyValue current = Current(static_cast<Persisted>(i));
    std::visit(
        [&](const auto& def) {
          using T = std::decay_t<decltype(def)>;
          bag.Write<T>(entry.key, std::get<T>(current), def);
        },
        fallback);
  }
}

}  // namespace balloon
