// The tree's answers to the pointer, the timers, focus and resizing.
#include <exception>

#include "controls/tree/Tray.h"
#include "drawing/Arithmetic.h"

namespace tree {

void Tray::WireInput() {
  drawing::SurfaceEvents& ev = surface_->events;
  ev.mouseMove = [this](int, int, double x, double y) { OnMouseMove(x, y); };
  ev.mouseDown = [this](int, int, double, double) {
    if (FoksGo) FoksGo();
  };
  ev.mouseUp = [this](int, int, double, double) { OnMouseUp(); };
  ev.doubleClick = [this](int, int, double, double) { OnDoubleClick(); };
  ev.gotFocus = [this] {
    if (FoksGo) FoksGo();
  };
  ev.enterFocus = [this] {
    if (FoksGo) FoksGo();
  };
  ev.hidden = [this] {
    if (FoksEx) FoksEx();
  };
  ev.resized = [this] { OnResize(); };
}

const TreeItem* Tray::ItemAt(std::int32_t index) const {
  const std::vector<TreeItem>& items = model_.Items();
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return nullptr;
  return &items[static_cast<std::size_t>(index)];
}

void Tray::OnMouseMove(double x, double y) {
  float X = static_cast<float>(x), Y = static_cast<float>(y);
  if (MovTray) MovTray(X, Y);
  try {
    const std::int32_t contentY = drawing::RoundHalfEven(static_cast<double>(Y) + bar_->Value());
    const std::int32_t hit = HitTest(model_.Items(), visibleRows_, look_.KvadratNagat, X, contentY);
    if (hit < 0) {
      hotIndex_ = -1;
      hotText_.clear();
    } else if (hit != hotIndex_) {
      const TreeItem& item = *ItemAt(hit);
      hotIndex_ = hit;
      hotText_ = item.Texts[1];
      bool truncated = Available() < item.TextRight;
      std::int32_t index = hit;
      std::string name = hotText_;
      if (HoverItem) HoverItem(index, name, truncated);
      balloon_->SetCaption(std::string());
      balloon_->Minus();
    }
  } catch (const std::exception&) {
    // A failed hit test leaves the hot entry as it was; the position is
    // still recorded below so the hint timer keeps working.
  }
  mouseX_[0] = X;
  mouseY_[0] = Y;
  timer2_->SetEnabled(true);
}

void Tray::OnHintTick() {
  try {
    if (hotIndex_ >= 0 && mouseX_[0] == mouseX_[1] && mouseY_[0] == mouseY_[1]) {
      try {
        const TreeItem* item = ItemAt(hotIndex_);
        // Only a name the tree had to shorten is worth a balloon, and only
        // while the pointer is still over the tree itself.
        if (item && Available() < item->TextRight) {
          const drawing::WindowHandle under = site_.services->WindowFromPoint(site_.services->CursorPos());
          if (under == surface_->hWnd()) {
            if (balloon_->Caption() != hotText_) {
              balloon_->SetCaption(hotText_);
              balloon_->Risuy();
            }
          } else {
            balloon_->SetCaption(std::string());
          }
        }
      } catch (const std::exception&) {
      }
      timer2_->SetEnabled(false);
    }
  } catch (const std::exception&) {
  }
  mouseX_[1] = mouseX_[0];
  mouseY_[1] = mouseY_[0];
}

void Tray::OnMouseUp() {
  slideStep_ = 1.0;
  if (hotIndex_ < 0) return;
  const std::int32_t hot = hotIndex_;
  SetVibran(hot);
  TreeItem* item = const_cast<TreeItem*>(ItemAt(hot));
  if (item && item->HasChildren) {
    item->IsOpen = !item->IsOpen;
    ++openings_;
    if (static_cast<std::size_t>(hot) < rows_.size()) rows_[static_cast<std::size_t>(hot)].IsOpen = item->IsOpen;
  }
  Lina();
  // The entry may be gone if a handler replaced the list during the repaint.
  item = const_cast<TreeItem*>(ItemAt(hot));
  if (!item) return;
  std::int32_t index = hot;
  std::string name = hotText_, field1 = item->Texts[2], field2 = item->Texts[3];
  if (item->HasChildren) {
    if (VibranPapka) VibranPapka(index, name, field1, field2);
  } else if (VibranFil) {
    VibranFil(index, name, field1, field2);
  }
}

void Tray::OnDoubleClick() {
  const TreeItem* item = ItemAt(hotIndex_);
  if (!item || item->HasChildren) return;
  std::int32_t index = hotIndex_;
  std::string name = hotText_, field1 = item->Texts[2], field2 = item->Texts[3];
  if (VibranFilDbl) VibranFilDbl(index, name, field1, field2);
}

void Tray::OnResize() {
  try {
    const int width = surface_->ScaleWidth(), height = surface_->ScaleHeight();
    pe1_->Move(0, 0, width, pe1_->Height());
    pe2_->Move(0, 0, width, pe2_->Height());
    barSurface_->Move(drawing::CheckedSub(width, barSurface_->Width()), 0, barSurface_->Width(), height);
    // A height of exactly 161 pixels schedules no repaint.
    if (height != 161) timer3_->SetEnabled(true);
  } catch (const std::exception&) {
  }
}

}  // namespace tree
