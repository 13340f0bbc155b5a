// The tree's repaint: visibility, row layout, the slide-in animation and
// the drawing of the rows in view.
#include <algorithm>
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
struct Tray::Frame {
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
  std::function<drawing::Colour(drawing::Colour)> resolve;
};

std::int32_t Tray::Available() const {
  return drawing::CheckedSub(surface_->ScaleWidth(), barSurface_->Width());
}

void Tray::SelectFont(const drawing::Font& wanted) {
  surface_->SetFont(wanted);
  metrics_.FontSelected();
}

void Tray::Lina() {
  visibleRows_.assign(1, 0);
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
  VisibilityWalk walk;
  for (std::size_t i = 0; i < items.size(); ++i) {
    Step([&] {
      TreeItem& item = items[i];
      if (item.Level == 0) item.AnimState = 2;  // top-level rows never slide
      if (!walk.Visible(item)) {
        item.RowTop = 0;
        item.AnimState = 0;
        return;
      }
      visibleRows_.push_back(static_cast<std::int32_t>(i));
      LayOutRow(f, static_cast<std::int32_t>(i));
    });
  }

  Step([&] {
    if (bar_->Max() != f.scrollMax) bar_->SetMax(f.scrollMax);
  });
  Step([&] {
    if (!f.sliding)
      timer1_->SetEnabled(false);
    else if (!timer1_->Enabled())
      timer1_->SetEnabled(true);
    slideStep_ = f.step;
  });
  Step([&] {
    surface_->SetAutoRedraw(false);
    pe1_->SetAutoRedraw(false);
    pe2_->SetAutoRedraw(false);
    surface_->Refresh();
  });
}

void Tray::LayOutRow(Frame& f, std::int32_t e) {
  std::vector<TreeItem>& items = model_.Items();
  TreeItem& item = items[static_cast<std::size_t>(e)];
  const RowStyle style = PickRowStyle(look_, item, model_.Vibran() == e, f.resolve);
  if (FontNeedsReplacing(surface_->GetFont(), *style.font)) SelectFont(*style.font);
  f.y = drawing::CheckedAdd(f.y, style.extraAbove);

  item.TextLeft = TextLeftFor(item.Level, look_.TrOtstSleva);
  const std::int32_t target = drawing::CheckedSub(f.y, f.halfGap);
  if (item.AnimState != 2) {
    if (item.AnimState == 0) {
      // A newly shown row starts under the row placed last and slides out.
      item.RowTop = items[static_cast<std::size_t>(f.lastPlaced)].RowTop;
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

  const double heightOfA = metrics_.HeightOfA();
  item.RowHeight = drawing::RoundHalfEven(heightOfA + look_.TrVisotaPlanki);
  item.TextRight = drawing::RoundHalfEven(metrics_.NameWidth(static_cast<std::size_t>(e), item.Texts[1]) +
                                          item.TextLeft + look_.TrOtstSleva);
  const long long top = item.RowTop;
  if (top <= static_cast<long long>(f.value) + f.height && top + item.RowHeight >= f.value) {
    Step([&] { DrawRow(f, e, style); });
  }
  f.y = drawing::RoundHalfEven(heightOfA + f.y + look_.TrVisotaPlanki + look_.TrOtstMegPodRazdel);
  f.scrollMax = drawing::RoundHalfEven(static_cast<double>(item.RowTop) + item.RowHeight - f.height +
                                       2.0 * look_.TrOtstMegRazdel);
}

void Tray::DrawRow(Frame& f, std::int32_t e, const RowStyle& style) {
  const std::vector<TreeItem>& items = model_.Items();
  const TreeItem& item = items[static_cast<std::size_t>(e)];
  const std::int32_t viewTop = drawing::CheckedSub(item.RowTop, f.value);
  marker_ = MarkerFor(look_.Kvadrat, item, f.value, f.halfIndent, f.available, marker_);
  Step([&] { pe1_->Cls(); });

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
  Step([&] {
    if (pe2_->ScaleHeight() < item.RowHeight || pe2_->ScaleWidth() != f.width) {
      pe1_->Move(0, 0, f.width, std::max(item.RowHeight, pe1_->ScaleHeight()));
      pe2_->Move(0, 0, f.width, std::max(item.RowHeight, pe2_->ScaleHeight()));
    }
    if (item.AnimState == 1 && visibleRows_.size() >= 3) {
      const TreeItem& previous = items[static_cast<std::size_t>(visibleRows_[visibleRows_.size() - 2])];
      drawing::BitBlt(surface_->Pixels(), 0, drawing::CheckedSub(previous.RowTop, f.value), f.width,
                      previous.RowHeight, pe2_->Pixels(), 0, 0);
      drawing::BitBlt(pe2_->Pixels(), 0, 0, f.width, item.RowHeight, surface_->Pixels(), 0, viewTop);
    } else if (item.AnimState == 2) {
      pe2_->Cls();
      drawing::BitBlt(pe2_->Pixels(), 0, 0, f.width, item.RowHeight, surface_->Pixels(), 0, viewTop);
    }
  });
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
