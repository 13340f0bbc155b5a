#include "controls/tree/Tray.h"

#include "drawing/Arithmetic.h"
#include "drawing/GradientRect.h"

namespace tree {
namespace {
// The background darkens towards the left edge by this much on each channel.
constexpr int kBackgroundShade = 85;
}  // namespace

Tray::Tray(const drawing::ControlSite& site, drawing::Surface* parent)
    : site_(site), surface_(site.services->CreateSurface(parent)) {
  surface_->SetBackColor(drawing::kButtonFace);
  surface_->SetBorderStyle(1);
  surface_->SetAppearance(1);
  surface_->events.resized = [this] { Lina(); };
}

Tray::~Tray() = default;

void Tray::PoluchiSpisok(const std::string& text) {
  model_.PoluchiSpisok(text, openFirst_);
  site_.PropertyChanged("Vibran");
  Lina();
}

void Tray::SetVibran(std::int32_t index) {
  model_.SetVibran(index);
  site_.PropertyChanged("Vibran");
}

void Tray::SetTrCvetFon(drawing::Colour colour) {
  surface_->SetBackColor(colour);
  site_.PropertyChanged("TrCvetFon");
}

void Tray::SetTrVipodaPerviy(bool open) {
  openFirst_ = open;
  site_.PropertyChanged("TrVipodaPerviy");
}

void Tray::ReadProperties(const drawing::PropertyBag& bag) {
  model_.SetVibran(bag.Read<std::int32_t>("Vibran", -1));
  openFirst_ = bag.Read<bool>("TrVipodaPerviy", false);
  surface_->SetBorderStyle(static_cast<std::int16_t>(bag.Read<std::int32_t>("BorderStyle", 1)));
  surface_->SetAppearance(static_cast<std::int16_t>(bag.Read<std::int32_t>("Appearance", 1)));
  surface_->SetBackColor(static_cast<drawing::Colour>(bag.Read<std::int32_t>("TrCvetFon", static_cast<std::int32_t>(drawing::kButtonFace))));
}

void Tray::PaintBackground() {
  const drawing::Colour fon = site_.services->ResolveColour(surface_->BackColor());
  drawing::GradientRect(surface_->Pixels(), drawing::ShiftColour(fon, true, -kBackgroundShade), fon, 0, 0,
                        surface_->ScaleWidth(), surface_->ScaleHeight(), 0);
}

void Tray::Lina() {
  surface_->SetAutoRedraw(true);
  surface_->Cls();
  try {
    PaintBackground();
  } catch (const drawing::OverflowError&) {
    // A surface too large for 32-bit coordinates keeps its plain background.
  }
  surface_->SetAutoRedraw(false);
  surface_->Refresh();
}

}  // namespace tree
