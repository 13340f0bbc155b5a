#include "controls/tree/Tray.h"

#include <algorithm>
#include <array>

#include "drawing/Arithmetic.h"
#include "drawing/GradientRect.h"
#include "drawing/WheelTargets.h"

namespace tree {

namespace {

// The background darkens towards the left edge by this much on each channel.
constexpr int kBackgroundShade = 85;

std::int32_t AsInt(drawing::Colour c) { return static_cast<std::int32_t>(c); }
drawing::Colour AsColour(const drawing::PropertyValue& v) {
  return static_cast<drawing::Colour>(std::get<std::int32_t>(v));
}
std::int32_t ClampAlpha(std::int32_t v) { return std::clamp(v, 0, 255); }

}  // namespace

// Every saved property once: its key, its default, how it is read back from
// the control and how a stored value is put in place without the setter's
// side effects. Rows stand in the order properties are saved.
struct TrayProperties {
  enum Id {
    Spisok, TipTr, Kvadrat, KvadratNagat, TrCvetText, TrCvetTextVb, FontShapka, FontElement,
    FontElementVibran, TrVisotaPlanki, TrOtstSleva, TrOtstMegRazdel, TrCvetRazdel, TrCvetRazdelVb,
    TrCvetPodRazdel, ColorRamki, TrOtstMegPodRazdel, ColorMenuUroven, ColorMenuCvRazn,
    ColorRamkiPROZRACHNOST, SHagScrl, PicFolderUp, PicFolderOpen, PicFileUp, ScrollActivate, TrScrlCvBG,
    TrScrlCvFon, ScrolBegunokVisota, Vibran, TrCvetPodRazdelVb, TrVipodaPerviy, ColorBlackProzShap,
    BorderStyle, Appearance, TrCvetFon, Count
  };

  struct Row {
    std::string_view key;
    std::function<drawing::PropertyValue(const Tray&)> fallback;
    std::function<drawing::PropertyValue(const Tray&)> get;
    std::function<void(Tray&, const drawing::PropertyValue&)> load;
  };

  template <typename T>
  static Row Look(std::string_view key, T fallback, T TrayLook::*member) {
    return {key, [fallback](const Tray&) { return drawing::PropertyValue(fallback); },
            [member](const Tray& t) { return drawing::PropertyValue(t.look_.*member); },
            [member](Tray& t, const drawing::PropertyValue& v) { t.look_.*member = std::get<T>(v); }};
  }
  static Row LookColour(std::string_view key, drawing::Colour TrayLook::*member) {
    return {key, [](const Tray&) { return drawing::PropertyValue(std::int32_t{0}); },
            [member](const Tray& t) { return drawing::PropertyValue(AsInt(t.look_.*member)); },
            [member](Tray& t, const drawing::PropertyValue& v) { t.look_.*member = AsColour(v); }};
  }
  static Row LookFont(std::string_view key, drawing::Font TrayLook::*member) {
    return {key, [](const Tray& t) { return drawing::PropertyValue(t.site_.services->AmbientFont()); },
            [member](const Tray& t) { return drawing::PropertyValue(t.look_.*member); },
            [member](Tray& t, const drawing::PropertyValue& v) { t.look_.*member = std::get<drawing::Font>(v); }};
  }
  static Row LookPicture(std::string_view key, drawing::PicturePtr TrayLook::*member) {
    return Look<drawing::PicturePtr>(key, nullptr, member);
  }
  static Row Forwarded(std::string_view key, drawing::PropertyValue fallback,
                       std::function<drawing::PropertyValue(const Tray&)> get,
                       std::function<void(Tray&, const drawing::PropertyValue&)> load) {
    return {key, [fallback](const Tray&) { return fallback; }, std::move(get), std::move(load)};
  }

  static const std::array<Row, Count>& Rows() {
    static const std::array<Row, Count> rows = {
        Look<std::string>("Spisok", "", &TrayLook::Spisok),
        Look<std::int32_t>("TipTr", 0, &TrayLook::TipTr),
        Look<std::int32_t>("Kvadrat", 0, &TrayLook::Kvadrat),
        Look<std::int32_t>("KvadratNagat", 0, &TrayLook::KvadratNagat),
        LookColour("TrCvetText", &TrayLook::TrCvetText),
        LookColour("TrCvetTextVb", &TrayLook::TrCvetTextVb),
        LookFont("FontShapka", &TrayLook::FontShapka),
        LookFont("FontElement", &TrayLook::FontElement),
        LookFont("FontElementVibran", &TrayLook::FontElementVibran),
        Look<std::int32_t>("TrVisotaPlanki", 0, &TrayLook::TrVisotaPlanki),
        Look<std::int32_t>("TrOtstSleva", 5, &TrayLook::TrOtstSleva),
        Look<std::int32_t>("TrOtstMegRazdel", 0, &TrayLook::TrOtstMegRazdel),
        LookColour("TrCvetRazdel", &TrayLook::TrCvetRazdel),
        LookColour("TrCvetRazdelVb", &TrayLook::TrCvetRazdelVb),
        LookColour("TrCvetPodRazdel", &TrayLook::TrCvetPodRazdel),
        Look<std::int32_t>("ColorRamki", 0, &TrayLook::ColorRamki),
        Look<std::int32_t>("TrOtstMegPodRazdel", 0, &TrayLook::TrOtstMegPodRazdel),
        Look<std::int32_t>("ColorMenuUroven", 0, &TrayLook::ColorMenuUroven),
        Look<std::int32_t>("ColorMenuCvRazn", 0, &TrayLook::ColorMenuCvRazn),
        Look<std::int32_t>("ColorRamkiPROZRACHNOST", 255, &TrayLook::ColorRamkiPROZRACHNOST),
        Forwarded(
            "SHagScrl", std::int32_t{0}, [](const Tray& t) { return drawing::PropertyValue(t.bar_->SHag()); },
            [](Tray& t, const drawing::PropertyValue& v) { t.bar_->SetSHag(std::get<std::int32_t>(v)); }),
        LookPicture("PicFolderUp", &TrayLook::PicFolderUp),
        LookPicture("PicFolderOpen", &TrayLook::PicFolderOpen),
        LookPicture("PicFileUp", &TrayLook::PicFileUp),
        Look<bool>("ScrollActivate", false, &TrayLook::ScrollActivate),
        Forwarded(
            "TrScrlCvBG", std::int32_t{0},
            [](const Tray& t) { return drawing::PropertyValue(AsInt(t.bar_->BegunokColor())); },
            [](Tray& t, const drawing::PropertyValue& v) { t.bar_->SetBegunokColor(AsColour(v)); }),
        Forwarded(
            "TrScrlCvFon", AsInt(drawing::kButtonFace),
            [](const Tray& t) { return drawing::PropertyValue(AsInt(t.bar_->BackColor())); },
            [](Tray& t, const drawing::PropertyValue& v) { t.bar_->SetBackColor(AsColour(v)); }),
        Forwarded(
            "ScrolBegunokVisota", std::int32_t{0},
            [](const Tray& t) { return drawing::PropertyValue(t.bar_->BegunokVisota()); },
            [](Tray& t, const drawing::PropertyValue& v) { t.bar_->SetBegunokVisota(std::get<std::int32_t>(v)); }),
        Forwarded(
            "Vibran", std::int32_t{-1}, [](const Tray& t) { return drawing::PropertyValue(t.model_.Vibran()); },
            [](Tray& t, const drawing::PropertyValue& v) { t.model_.SetVibran(std::get<std::int32_t>(v)); }),
        LookColour("TrCvetPodRazdelVb", &TrayLook::TrCvetPodRazdelVb),
        Look<bool>("TrVipodaPerviy", false, &TrayLook::TrVipodaPerviy),
        Look<std::int32_t>("ColorBlackProzShap", 0, &TrayLook::ColorBlackProzShap),
        Forwarded(
            "BorderStyle", std::int32_t{1},
            [](const Tray& t) { return drawing::PropertyValue(std::int32_t{t.surface_->BorderStyle()}); },
            [](Tray& t, const drawing::PropertyValue& v) {
              if (const auto value = drawing::StoredInt16(std::get<std::int32_t>(v))) t.surface_->SetBorderStyle(*value);
            }),
        Forwarded(
            "Appearance", std::int32_t{1},
            [](const Tray& t) { return drawing::PropertyValue(std::int32_t{t.surface_->Appearance()}); },
            [](Tray& t, const drawing::PropertyValue& v) {
              if (const auto value = drawing::StoredInt16(std::get<std::int32_t>(v))) t.surface_->SetAppearance(*value);
            }),
        Forwarded(
            "TrCvetFon", AsInt(drawing::kButtonFace),
            [](const Tray& t) { return drawing::PropertyValue(AsInt(t.surface_->BackColor())); },
            [](Tray& t, const drawing::PropertyValue& v) { t.surface_->SetBackColor(AsColour(v)); }),
    };
    return rows;
  }

  // Reading follows the saving order except that TipTr comes after the two
  // hit-test settings, as the stored designs were read.
  static constexpr std::array<Id, Count> kReadOrder = {
      Spisok, Kvadrat, KvadratNagat, TipTr, TrCvetText, TrCvetTextVb, FontShapka, FontElement,
      FontElementVibran, TrVisotaPlanki, TrOtstSleva, TrOtstMegRazdel, TrCvetRazdel, TrCvetRazdelVb,
      TrCvetPodRazdel, ColorRamki, TrOtstMegPodRazdel, ColorMenuUroven, ColorMenuCvRazn,
      ColorRamkiPROZRACHNOST, SHagScrl, PicFolderUp, PicFolderOpen, PicFileUp, ScrollActivate, TrScrlCvBG,
      TrScrlCvFon, ScrolBegunokVisota, Vibran, TrCvetPodRazdelVb, TrVipodaPerviy, ColorBlackProzShap,
      BorderStyle, Appearance, TrCvetFon};

  static std::string_view Key(Id id) { return Rows()[id].key; }
};

using P = TrayProperties;

Tray::Tray(const drawing::ControlSite& site, drawing::Surface* parent)
    : site_(site),
      innerSite_{site.services, nullptr, {}},
      surface_(site.services->CreateSurface(parent)),
      barSurface_(site.services->CreateSurface(surface_.get())),
      balloonFace_(site.services->CreateSurface(surface_.get())),
      bar_(std::make_unique<scrollbar::VerticalScroll>(*barSurface_, innerSite_)),
      balloon_(std::make_unique<balloon::PodskazV>(*balloonFace_, innerSite_)),
      pe1_(site.services->CreateSurface(surface_.get())),
      pe2_(site.services->CreateSurface(surface_.get())),
      timer1_(site.services->CreateTimer()),
      timer2_(site.services->CreateTimer()),
      timer3_(site.services->CreateTimer()),
      metrics_(*surface_) {
  // A new tree: its own values start as TrayLook declares them, the fonts
  // as the host's; the forwarded ones keep what the parts start with.
  look_.FontShapka = look_.FontElement = look_.FontElementVibran = site.services->AmbientFont();
  surface_->SetBorderStyle(1);
  surface_->SetAppearance(1);
  surface_->SetBackColor(drawing::kButtonFace);
  balloonFace_->SetVisible(false);
  barSurface_->Move(0, 0, kScrollBarWidth, 0);
  bar_->ScrolChange = [this](std::int32_t&) { Lina(); };
  bar_->ScrolHide = [this] {
    if (barSurface_->Visible()) barSurface_->SetVisible(false);
  };
  bar_->ScrolShow = [this] {
    if (!barSurface_->Visible()) barSurface_->SetVisible(true);
  };
  // The strip boxes hold the part of one row that lies in view; painting
  // grows them to the tallest such part, never past the control's height.
  pe1_->SetVisible(false);
  pe2_->SetVisible(false);
  timer1_->SetInterval(10);
  timer2_->SetInterval(100);
  timer3_->SetInterval(50);
  timer1_->tick = [this] { Lina(); };
  timer2_->tick = [this] { OnHintTick(); };
  timer3_->tick = [this] {
    timer3_->SetEnabled(false);
    Lina();
  };
  WireInput();
  WireKeyboard();
}

Tray::~Tray() {
  // The parts go before the surface: nothing it reports while it goes may
  // reach them.
  surface_->events = drawing::SurfaceEvents{};
}

void Tray::PoluchiSpisok(const std::string& text) {
  barSurface_->SetVisible(false);
  SetVibran(-1);
  // The old list's rows are gone: a key acts on the new list's rows only.
  keyboardRow_ = -1;
  typed_.Clear();
  ++listsParsed_;
  metrics_.ResetEntries();
  rowsStale_ = true;
  // The old list's layout says nothing about the new one's, even when both
  // have as many entries: no repaint may take it for settled.
  settled_.reset();
  if (raising_ > 0) retiredTables_.push_back(std::move(model_.Items()));
  model_.PoluchiSpisok(text, look_.TrVipodaPerviy);
  Lina();
}

void Tray::ScrollM(std::string& nc) {
  try {
    if (nc == "-")
      bar_->SetValue(drawing::CheckedSub(bar_->Value(), bar_->SHag()), true);
    else if (nc == "+")
      bar_->SetValue(drawing::CheckedAdd(bar_->Value(), bar_->SHag()), true);
  } catch (const drawing::OverflowError&) {
    // A step past the 32-bit range moves nothing.
  }
}

void Tray::RRscrfoll() {
  if (drawing::RegisterWheelTarget(*bar_)) site_.services->SubclassWheelWindow(*barSurface_);
}

void Tray::PaintBackground() {
  const drawing::Colour fon = site_.services->ResolveColour(surface_->BackColor());
  drawing::GradientRect(surface_->Pixels(), drawing::ShiftColour(fon, true, -kBackgroundShade), fon, 0, 0,
                        surface_->ScaleWidth(), surface_->ScaleHeight(), 0);
}

// Setters: store, then tell the host; none of them repaints.

void Tray::SetSpisok(const std::string& text) {
  look_.Spisok = text;
  Changed(P::Key(P::Spisok));
}
void Tray::SetTipTr(std::int32_t value) {
  look_.TipTr = value;
  Changed(P::Key(P::TipTr));
}
void Tray::SetKvadrat(std::int32_t value) {
  look_.Kvadrat = value;
  Changed(P::Key(P::Kvadrat));
}
void Tray::SetKvadratNagat(std::int32_t value) {
  look_.KvadratNagat = value;
  Changed(P::Key(P::KvadratNagat));
}
void Tray::SetTrCvetText(drawing::Colour colour) {
  look_.TrCvetText = colour;
  Changed(P::Key(P::TrCvetText));
}
void Tray::SetTrCvetTextVb(drawing::Colour colour) {
  look_.TrCvetTextVb = colour;
  balloon_->SetForeColorTxtTop(colour);
  Changed(P::Key(P::TrCvetTextVb));
}
void Tray::SetFontShapka(const drawing::Font& font) {
  look_.FontShapka = font;
  Changed(P::Key(P::FontShapka));
}
void Tray::SetFontElement(const drawing::Font& font) {
  look_.FontElement = font;
  Changed(P::Key(P::FontElement));
}
void Tray::SetFontElementVibran(const drawing::Font& font) {
  look_.FontElementVibran = font;
  Changed(P::Key(P::FontElementVibran));
}
void Tray::SetTrVisotaPlanki(std::int32_t value) {
  look_.TrVisotaPlanki = value;
  Changed(P::Key(P::TrVisotaPlanki));
}
void Tray::SetTrOtstSleva(std::int32_t value) {
  look_.TrOtstSleva = value;
  Changed(P::Key(P::TrOtstSleva));
}
void Tray::SetTrOtstMegRazdel(std::int32_t value) {
  look_.TrOtstMegRazdel = value;
  Changed(P::Key(P::TrOtstMegRazdel));
}
void Tray::SetTrCvetRazdel(drawing::Colour colour) {
  look_.TrCvetRazdel = colour;
  Changed(P::Key(P::TrCvetRazdel));
}
void Tray::SetTrCvetRazdelVb(drawing::Colour colour) {
  look_.TrCvetRazdelVb = colour;
  balloon_->SetBackColor(colour);
  Changed(P::Key(P::TrCvetRazdelVb));
}
void Tray::SetTrCvetPodRazdel(drawing::Colour colour) {
  look_.TrCvetPodRazdel = colour;
  Changed(P::Key(P::TrCvetPodRazdel));
}
void Tray::SetColorRamki(std::int32_t value) {
  look_.ColorRamki = value;
  Changed(P::Key(P::ColorRamki));
}
void Tray::SetTrOtstMegPodRazdel(std::int32_t value) {
  look_.TrOtstMegPodRazdel = value;
  Changed(P::Key(P::TrOtstMegPodRazdel));
}
void Tray::SetColorMenuUroven(std::int32_t value) {
  look_.ColorMenuUroven = value;
  Changed(P::Key(P::ColorMenuUroven));
}
void Tray::SetColorMenuCvRazn(std::int32_t value) {
  look_.ColorMenuCvRazn = value;
  Changed(P::Key(P::ColorMenuCvRazn));
}
void Tray::SetColorRamkiPROZRACHNOST(std::int32_t value) {
  look_.ColorRamkiPROZRACHNOST = ClampAlpha(value);
  Changed(P::Key(P::ColorRamkiPROZRACHNOST));
}
std::int32_t Tray::SHagScrl() const { return bar_->SHag(); }
void Tray::SetSHagScrl(std::int32_t value) {
  bar_->SetSHag(value);
  Changed(P::Key(P::SHagScrl));
}
void Tray::SetPicFolderUp(drawing::PicturePtr picture) {
  look_.PicFolderUp = std::move(picture);
  Changed(P::Key(P::PicFolderUp));
}
void Tray::SetPicFolderOpen(drawing::PicturePtr picture) {
  look_.PicFolderOpen = std::move(picture);
  Changed(P::Key(P::PicFolderOpen));
}
void Tray::SetPicFileUp(drawing::PicturePtr picture) {
  look_.PicFileUp = std::move(picture);
  Changed(P::Key(P::PicFileUp));
}
void Tray::SetScrollActivate(bool value) {
  look_.ScrollActivate = value;
  Changed(P::Key(P::ScrollActivate));
}
drawing::Colour Tray::TrScrlCvBG() const { return bar_->BegunokColor(); }
void Tray::SetTrScrlCvBG(drawing::Colour colour) {
  bar_->SetBegunokColor(colour);
  Changed(P::Key(P::TrScrlCvBG));
}
drawing::Colour Tray::TrScrlCvFon() const { return bar_->BackColor(); }
void Tray::SetTrScrlCvFon(drawing::Colour colour) {
  bar_->SetBackColor(colour);
  Changed(P::Key(P::TrScrlCvFon));
}
std::int32_t Tray::ScrolBegunokVisota() const { return bar_->BegunokVisota(); }
void Tray::SetScrolBegunokVisota(std::int32_t value) {
  bar_->SetBegunokVisota(value);
  Changed(P::Key(P::ScrolBegunokVisota));
}
void Tray::SetVibran(std::int32_t index) {
  const bool moved = model_.Vibran() != index;
  model_.SetVibran(index);
  // The keyboard row starts at the selected entry.
  keyboardRow_ = index;
  Changed(P::Key(P::Vibran));
  if (moved) Announce(TreeNotice::Selection, index);
}
void Tray::SetTrCvetPodRazdelVb(drawing::Colour colour) {
  look_.TrCvetPodRazdelVb = colour;
  Changed(P::Key(P::TrCvetPodRazdelVb));
}
void Tray::SetTrVipodaPerviy(bool value) {
  look_.TrVipodaPerviy = value;
  Changed(P::Key(P::TrVipodaPerviy));
}
void Tray::SetColorBlackProzShap(std::int32_t value) {
  look_.ColorBlackProzShap = ClampAlpha(value);
  Changed(P::Key(P::ColorBlackProzShap));
}
void Tray::SetBorderStyle(std::int16_t value) {
  surface_->SetBorderStyle(value);
  Changed(P::Key(P::BorderStyle));
}
void Tray::SetAppearance(std::int16_t value) {
  surface_->SetAppearance(value);
  Changed(P::Key(P::Appearance));
}
void Tray::SetTrCvetFon(drawing::Colour colour) {
  surface_->SetBackColor(colour);
  Changed(P::Key(P::TrCvetFon));
}

void Tray::ReadProperties(const drawing::PropertyBag& bag) {
  for (P::Id id : P::kReadOrder) {
    const P::Row& row = P::Rows()[id];
    row.load(*this, bag.ReadValue(row.key, row.fallback(*this)));
    if (id == P::Spisok) hotIndex_ = -1;
  }
}

void Tray::WriteProperties(drawing::PropertyBag& bag) const {
  for (const P::Row& row : P::Rows()) bag.WriteValue(row.key, row.get(*this), row.fallback(*this));
}

void Tray::ReadDesign(const drawing::Design& design, const std::string& name) {
  bar_->ReadProperties(design.Section(name + ".VerticalScroll1"));
  balloon_->ReadProperties(design.Section(name + ".PodskazV1"));
  // The tree's own values last: its forwarded ones win over the bar's.
  ReadProperties(design.Section(name));
}

}  // namespace tree
