// The tree's repaint: visibility, row layout, the slide-in animation and
// the drawing of the rows in view.
#include <algorithm>
#include <array>
#include <limits>
#include <cmath>
#include <exception>

#include "controls/tree/Tray.h"
#include "drawing/Arithmetic.h"
#include "drawing/GradientRect.h"
#include "drawing/RasterOps.h"

namespace tree {

namespace {

// Every row band and background darkens towards the left by this much.
constexpr int kBandShade = 85;
// Icons are drawn this size whatever size the picture has.
constexpr double kIconSize = 16;
// The text area starts this far right of the icon column.
constexpr int kIconColumn = 18;

// A failing step of a repaint is skipped and the repaint goes on: a reader
// keeps a usable tree even when one row cannot be drawn.
template <typename F>
void Step(F&& f) {
  try {
    f();
  } catch (const std::exception&) {
  }
}

}  // namespace

// Values one repaint carries from row to row.
constexpr std::int32_t kUnknownLeft = std::numeric_limits<std::int32_t>::min();

struct Tray::Frame {
  Frame() { leftByLevel.fill(kUnknownLeft); }
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t value = 0;
  std::int32_t available = 0;
  std::int32_t halfGap = 0;
  std::int32_t halfIndent = 0;
  std::int32_t y = 0;
  std::int32_t step = 1;
  bool sliding = false;
  std::int32_t lastPlaced = 0;
  std::int32_t scrollMax = 0;
  // Worked out once per level and per font rather than for every row, since
  // a long list repeats them thousands of times.
  std::array<std::int32_t, 16> leftByLevel;
  double heightOfA = -1;
  std::int32_t rowHeight = 0;
  bool pitchWhole = false;  // the row pitch rounds the same at every y
  std::int32_t pitch = 0;
  const drawing::Font* checkedFont = nullptr;  // a look font already checked against the surface's
  bool fontChanged = true;
  std::int32_t fontKey = -1;
  std::int8_t surfaceFont = 0;  // look font index the surface holds
  bool failed = false;          // a row's layout stopped early
  bool ordered = true;          // visible rows stand top to bottom
  std::function<drawing::Colour(drawing::Colour)> resolve;
};

std::int32_t Tray::Available() const {
  return drawing::CheckedSub(surface_->ScaleWidth(), barSurface_->Width());
}

void Tray::SelectFont(const drawing::Font& wanted) {
  surface_->SetFont(wanted);
  metrics_.FontSelected();
}


Tray::LayoutInputs Tray::CurrentLayoutInputs() const {
  return {model_.Items().size(), openings_,           model_.Vibran(),        surface_->ScaleHeight(),
          look_.TrOtstSleva,     look_.TrVisotaPlanki, look_.TrOtstMegRazdel, look_.TrOtstMegPodRazdel,
          look_.FontShapka,      look_.FontElement,    look_.FontElementVibran};
}

// A repaint whose layout inputs match the last settled one: every row keeps
// its place, so only the rows in view are drawn, each with the font the
// surface held when it was laid out.
bool Tray::DrawSettledRows(Frame& f) {
  if (!metrics_.Caching() || !settled_ || rowsStale_ || rows_.size() != model_.Items().size() ||
      !(*settled_ == CurrentLayoutInputs()))
    return false;
  const std::array<const drawing::Font*, 3> fonts = {&look_.FontShapka, &look_.FontElement,
                                                     &look_.FontElementVibran};
  const auto firstInView = std::partition_point(visibleRows_.begin() + 1, visibleRows_.end(), [&](std::int32_t e) {
    const RowLayout& r = rows_[static_cast<std::size_t>(e)];
    return static_cast<long long>(r.RowTop) + r.RowHeight < f.value;
  });
  for (auto it = firstInView; it != visibleRows_.end(); ++it) {
    const std::int32_t e = *it;
    const RowLayout& r = rows_[static_cast<std::size_t>(e)];
    if (r.RowTop > static_cast<long long>(f.value) + f.height) break;
    const drawing::Font& font = *fonts[static_cast<std::size_t>(r.surfaceFont)];
    if (!(surface_->GetFont() == font)) SelectFont(font);
    const TreeItem& record = model_.Items()[static_cast<std::size_t>(e)];
    Step([&] { DrawRow(f, e, PickRowStyle(look_, record, model_.Vibran() == e, f.resolve)); });
  }
  return true;
}

void Tray::Lina() {
  Frame f;
  f.resolve = [this](drawing::Colour c) { return Plain(c); };
  Step([&] {
    surface_->SetAutoRedraw(true);
    pe1_->SetAutoRedraw(true);
    pe2_->SetAutoRedraw(true);
    surface_->Cls();
  });
  Step([&] { PaintBackground(); });
  Step([&] {
    SelectFont(look_.FontShapka);
    f.width = surface_->ScaleWidth();
    f.height = surface_->ScaleHeight();
    f.value = bar_->Value();
    f.available = Available();
    f.halfGap = drawing::RoundHalfEven(look_.TrVisotaPlanki / 2.0);
    f.halfIndent = drawing::RoundHalfEven(look_.TrOtstSleva / 2.0);
    f.y = look_.TrOtstMegRazdel;
    f.step = drawing::RoundHalfEven(slideStep_);
  });

  std::vector<TreeItem>& items = model_.Items();
  metrics_.Prepare(items.size());
  const bool settled = DrawSettledRows(f);
  if (!settled) visibleRows_.assign(1, 0);
  SyncRowLayouts();
  VisibilityWalk walk;
  std::int32_t previousTop = std::numeric_limits<std::int32_t>::min();
  long long previousBottom = std::numeric_limits<long long>::min();
  for (std::size_t i = 0; !settled && i < items.size(); ++i) {
    Step([&] {
      RowLayout& row = rows_[i];
      const RowLayout before = row;
      if (row.Level == 0) row.AnimState = 2;  // top-level rows never slide
      if (!walk.Visible(row)) {
        row.RowTop = 0;
        row.AnimState = 0;
        if (row != before) StoreLayout(row, items[i]);
        return;
      }
      visibleRows_.push_back(static_cast<std::int32_t>(i));
      try {
        LayOutRow(f, static_cast<std::int32_t>(i), row, before);
      } catch (...) {
        StoreLayout(row, items[i]);  // what was laid out before the failure
        f.failed = true;
        throw;
      }
      const long long bottom = static_cast<long long>(row.RowTop) + row.RowHeight;
      if (row.RowTop < previousTop || bottom < previousBottom) f.ordered = false;
      previousTop = row.RowTop;
      previousBottom = bottom;
    });
  }

  // The range ends with the last visible row.
  Step([&] {
    if (visibleRows_.size() < 2) return;
    const TreeItem& last = items[static_cast<std::size_t>(visibleRows_.back())];
    f.scrollMax = drawing::CheckedInt32(static_cast<long long>(last.RowTop) + last.RowHeight - f.height +
                                        2LL * look_.TrOtstMegRazdel);
  });
  Step([&] {
    if (bar_->Max() != f.scrollMax) bar_->SetMax(f.scrollMax);
  });
  // A new list hides the bar, and a range equal to the old one raises no
  // show: whatever happened before, the bar shows exactly when there is
  // something to scroll.
  Step([&] {
    const bool scrolls = bar_->Max() != 0;
    if (barSurface_->Visible() != scrolls) barSurface_->SetVisible(scrolls);
  });
  if (!settled) {
    if (!f.sliding && !f.failed && f.ordered && metrics_.Caching())
      settled_ = CurrentLayoutInputs();
    else
      settled_.reset();
  }
  Step([&] {
    // Enabling restarts the period: the next frame is 10 ms after this one,
    // whatever asked for it.
    timer1_->SetEnabled(f.sliding);
    slideStep_ = f.step;
  });
  Step([&] { PaintKeyboardFocus(f.value); });
  Step([&] {
    surface_->SetAutoRedraw(false);
    pe1_->SetAutoRedraw(false);
    pe2_->SetAutoRedraw(false);
    surface_->Refresh();
  });
  RecheckHotEntry();
  AnnounceChanges();
}

void Tray::SyncRowLayouts() {
  const std::vector<TreeItem>& items = model_.Items();
  if (!rowsStale_ && rows_.size() == items.size()) return;
  rows_.resize(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) rows_[i] = LayoutOf(items[i]);
  rowsStale_ = false;
}

void Tray::LayOutRow(Frame& f, std::int32_t e, RowLayout& item, const RowLayout& before) {
  std::vector<TreeItem>& items = model_.Items();
  const bool selected = model_.Vibran() == e;
  const drawing::Font& wanted =
      RowFont(look_.FontShapka, look_.FontElement, look_.FontElementVibran, item.Level, selected);
  // The answer for a font only changes when the surface's font does.
  if (&wanted != f.checkedFont) {
    if (FontNeedsReplacing(surface_->GetFont(), wanted)) {
      SelectFont(wanted);
      f.fontChanged = true;
      f.surfaceFont = static_cast<std::int8_t>(item.Level == 0 ? 0 : (selected ? 2 : 1));
    }
    f.checkedFont = &wanted;
  }
  if (f.fontChanged) {
    // Row height and pitch follow the font; between changes they are the
    // same for every row.
    f.fontChanged = false;
    f.fontKey = metrics_.FontKey();
    f.heightOfA = metrics_.HeightOfA();
    f.rowHeight = drawing::RoundHalfEven(f.heightOfA + look_.TrVisotaPlanki);
    const double pitch = f.heightOfA + look_.TrVisotaPlanki + look_.TrOtstMegPodRazdel;
    f.pitchWhole = std::fabs(pitch - std::trunc(pitch)) != 0.5;
    if (f.pitchWhole) f.pitch = drawing::RoundHalfEven(pitch);
  }
  item.surfaceFont = f.surfaceFont;
  if (item.Level == 0) f.y = drawing::CheckedAdd(f.y, look_.TrOtstMegRazdel);

  if (item.Level >= 0 && static_cast<std::size_t>(item.Level) < f.leftByLevel.size()) {
    std::int32_t& left = f.leftByLevel[static_cast<std::size_t>(item.Level)];
    if (left == kUnknownLeft) left = TextLeftFor(item.Level, look_.TrOtstSleva);
    item.TextLeft = left;
  } else {
    item.TextLeft = TextLeftFor(item.Level, look_.TrOtstSleva);
  }
  const std::int32_t target = drawing::CheckedSub(f.y, f.halfGap);
  if (item.AnimState != 2) {
    if (item.AnimState == 0) {
      // A newly shown row starts under the row placed last and slides out.
      item.RowTop = rows_[static_cast<std::size_t>(f.lastPlaced)].RowTop;
      item.AnimState = 1;
      f.step = drawing::CheckedAdd(f.step, 10);
    }
    f.sliding = true;
    item.RowTop = drawing::RoundHalfEven(item.RowTop + slideStep_);
    if (item.RowTop >= target) {
      item.RowTop = target;
      item.AnimState = 2;
      f.lastPlaced = e;
    }
  } else {
    item.RowTop = target;
    f.lastPlaced = e;
  }
  f.y = drawing::CheckedAdd(item.RowTop, f.halfGap);

  const double heightOfA = f.heightOfA;
  item.RowHeight = f.rowHeight;
  TreeItem& record = items[static_cast<std::size_t>(e)];
  const std::int32_t nameOffset = drawing::CheckedAdd(item.TextLeft, look_.TrOtstSleva);
  const std::int32_t fontKey = f.fontKey;
  if (fontKey < 0 || item.rightFont != fontKey || item.rightOffset != nameOffset) {
    item.TextRight = metrics_.NameRight(static_cast<std::size_t>(e), record.Texts[1], nameOffset);
    item.rightFont = fontKey;
    item.rightOffset = nameOffset;
  }
  if (item != before) StoreLayout(item, record);
  const long long top = item.RowTop;
  if (top <= static_cast<long long>(f.value) + f.height && top + item.RowHeight >= f.value) {
    Step([&] { DrawRow(f, e, PickRowStyle(look_, record, selected, f.resolve)); });
  }
  // Away from a half, adding a whole y does not change how the pitch rounds.
  f.y = f.pitchWhole ? drawing::CheckedAdd(f.y, f.pitch)
                     : drawing::RoundHalfEven(heightOfA + f.y + look_.TrVisotaPlanki + look_.TrOtstMegPodRazdel);
}

void Tray::DrawRow(Frame& f, std::int32_t e, const RowStyle& style) {
  const std::vector<TreeItem>& items = model_.Items();
  const TreeItem& item = items[static_cast<std::size_t>(e)];
  const std::int32_t viewTop = drawing::CheckedSub(item.RowTop, f.value);
  marker_ = MarkerFor(look_.Kvadrat, item, f.value, f.halfIndent, f.available, marker_);
  // Only the rows of a strip that lie in view can ever be seen again, so
  // the strip boxes hold no more than those, whatever height a row has.
  const std::int32_t stripTop = std::clamp(viewTop, 0, f.height);
  const std::int32_t stripRows =
      static_cast<std::int32_t>(std::clamp(static_cast<long long>(viewTop) + item.RowHeight, 0LL,
                                           static_cast<long long>(f.height))) - stripTop;
  Step([&] {
    if (pe2_->ScaleHeight() < stripRows || pe2_->ScaleWidth() != f.width) {
      pe1_->Move(0, 0, f.width, std::max(stripRows, pe1_->ScaleHeight()));
      pe2_->Move(0, 0, f.width, std::max(stripRows, pe2_->ScaleHeight()));
    }
  });
  Step([&] { ClearStrip(*pe1_, stripRows); });

  const drawing::PicturePtr& icon =
      !item.HasChildren ? look_.PicFileUp : (item.IsOpen ? look_.PicFolderOpen : look_.PicFolderUp);
  Step([&] {
    if (look_.ColorRamki == 1) {
      surface_->Box(marker_.left, marker_.top, marker_.right, static_cast<double>(marker_.top) + marker_.height,
                    style.rowColour);
    } else if (look_.ColorRamki == 2) {
      const drawing::Colour row = Plain(style.rowColour);
      drawing::GradientRect(surface_->Pixels(), drawing::ShiftColour(row, true, -kBandShade), row, 0, marker_.top,
                            f.width, marker_.height, 0);
    }
  });
  Step([&] {
    if (icon && !icon->Empty())
      surface_->PaintPicture(*icon, static_cast<double>(item.TextLeft) + f.halfIndent - kIconColumn,
                             (item.RowHeight - kIconSize) / 2.0 + viewTop - 1, kIconSize, kIconSize);
  });
  Step([&] {
    surface_->SetForeColor(style.textColour);
    surface_->SetFontTransparent(true);
    surface_->SetCurrentX(static_cast<double>(item.TextLeft) + f.halfIndent);
    surface_->SetCurrentY(static_cast<double>(viewTop) + f.halfGap);
    surface_->Print(metrics_.Fit(static_cast<std::size_t>(e), item.Texts[1], f.available, item.TextRight,
                                 drawing::CheckedAdd(item.TextLeft, f.halfIndent)));
  });

  // The slide strip: the row above is drawn again over a sliding row, so the
  // sliding row seems to come out from under it; Pe2 keeps the strip of the
  // row drawn last.
  // Pe2 keeps the strip's rows in view only, and the previous row is put
  // back where its strip was taken: in the same repaint, at the same scroll
  // position, where it lies on the surface now.
  const auto keepStrip = [&] {
    drawing::BitBlt(pe2_->Pixels(), 0, 0, f.width, stripRows, surface_->Pixels(), 0, stripTop);
    stripTop_ = stripTop;
    stripRows_ = stripRows;
  };
  Step([&] {
    if (item.AnimState == 1 && visibleRows_.size() >= 3) {
      const TreeItem& previous = items[static_cast<std::size_t>(visibleRows_[visibleRows_.size() - 2])];
      const long long previousTop = static_cast<long long>(previous.RowTop) - f.value;
      const long long from = std::max<long long>(previousTop, stripTop_);
      const long long to = std::min<long long>(previousTop + previous.RowHeight, 0LL + stripTop_ + stripRows_);
      if (from < to)
        drawing::BitBlt(surface_->Pixels(), 0, static_cast<std::int32_t>(from), f.width,
                        static_cast<std::int32_t>(to - from), pe2_->Pixels(), 0,
                        static_cast<std::int32_t>(from - stripTop_));
      keepStrip();
    } else if (item.AnimState == 2) {
      ClearStrip(*pe2_, stripRows);
      keepStrip();
    }
  });
}

void Tray::ClearStrip(drawing::Surface& box, std::int32_t rows) {
  // What Cls does, over the rows a strip uses.
  if (rows <= 0) return;
  box.FilledBox(0, 0, box.ScaleWidth() - 1, rows - 1, box.BackColor());
}

void Tray::setMeFon(const drawing::PixelView& source, std::int32_t x, std::int32_t y, std::int32_t Prz) {
  Step([&] {
    surface_->SetAutoRedraw(true);
    surface_->Cls();
  });
  Step([&] { PaintBackground(); });
  Step([&] {
    const auto alpha = static_cast<std::uint8_t>(std::clamp(Prz, 0, 255));
    const int w = surface_->ScaleWidth(), h = surface_->ScaleHeight();
    drawing::AlphaBlend(surface_->Pixels(), 0, 0, w, h, source, x, y, w, h, alpha);
  });
  Step([&] {
    surface_->SetAutoRedraw(false);
    surface_->Refresh();
  });
}

}  // namespace tree
