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
  ev.mouseUp = [this](int, int, double x, double y) { OnMouseUp(x, y); };
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

bool Tray::UpdateHotEntry(float x, float y) {
  const std::int32_t contentY = drawing::RoundHalfEven(static_cast<double>(y) + bar_->Value());
  const std::int32_t hit = HitTest(model_.Items(), visibleRows_, look_.KvadratNagat, x, contentY);
  if (hit < 0) {
    hotIndex_ = -1;
    hotText_.clear();
    return false;
  }
  if (hit == hotIndex_) return false;
  const TreeItem& item = *ItemAt(hit);
  hotIndex_ = hit;
  hotText_ = item.Texts[1];
  bool truncated = Available() < item.TextRight;
  std::int32_t index = hit;
  if (HoverItem) HoverItem(index, hotText_, truncated);
  balloon_->SetCaption(std::string());
  balloon_->Minus();
  return true;
}

void Tray::OnMouseMove(double x, double y) {
  float X = static_cast<float>(x), Y = static_cast<float>(y);
  if (MovTray) MovTray(X, Y);
  try {
    UpdateHotEntry(X, Y);
  } catch (const std::exception&) {
    // A failed hit test leaves the hot entry as it was; the position is
    // still recorded below so the hint timer keeps working.
  }
  mouseX_[0] = X;
  mouseY_[0] = Y;
  pointerSeen_ = true;
  timer2_->SetEnabled(true);
}

void Tray::RecheckHotEntry() {
  // Rows that move under a pointer at rest (a scroll, rows sliding in, a new
  // list) put another entry under it without any move being reported: the
  // hot entry is worked out again from where the pointer rests, as a move
  // there would, so that the hint and the next click follow what the reader
  // sees. A pointer that has gone to another window rests on no row.
  if (!pointerSeen_) return;
  try {
    if (site_.services->WindowFromPoint(site_.services->CursorPos()) != surface_->hWnd()) return;
    if (UpdateHotEntry(mouseX_[0], mouseY_[0])) timer2_->SetEnabled(true);
  } catch (const std::exception&) {
  }
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

void Tray::OnMouseUp(double x, double y) {
  // The release acts on the row under it, even when the rows moved since
  // the pointer last did.
  try {
    const float X = static_cast<float>(x), Y = static_cast<float>(y);
    mouseX_[0] = X;
    mouseY_[0] = Y;
    if (UpdateHotEntry(X, Y)) timer2_->SetEnabled(true);
  } catch (const std::exception&) {
  }
  OnMouseUp();
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
  const TreeItem* shown = ItemAt(hot);
  if (shown) RaiseSelection(shown->HasChildren ? VibranPapka : VibranFil, hot);
}

void Tray::OnDoubleClick() {
  const TreeItem* item = ItemAt(hotIndex_);
  if (!item || item->HasChildren) return;
  RaiseSelection(VibranFilDbl, hotIndex_);
}

void Tray::RaiseSelection(const SelectionEvent& event, std::int32_t entry) {
  // The entry may be gone if a handler replaced the list during the repaint.
  TreeItem* item = const_cast<TreeItem*>(ItemAt(entry));
  if (!item || !event) return;
  // The handler gets the tree's own values, so what it changes the tree
  // holds. A list it hands the tree meanwhile replaces the table; the old
  // one is kept until the handler returns.
  const RaisingEvent raising(*this);
  if (entry == hotIndex_) {
    event(hotIndex_, hotText_, item->Texts[2], item->Texts[3]);
  } else {
    // The repaint of the click moved another row under the pointer: the
    // event still names the row that was clicked.
    std::int32_t index = entry;
    std::string name = item->Texts[1];
    event(index, name, item->Texts[2], item->Texts[3]);
  }
}

Tray::RaisingEvent::RaisingEvent(Tray& tray) : tray_(tray) { ++tray_.raising_; }
Tray::RaisingEvent::~RaisingEvent() {
  if (--tray_.raising_ == 0) tray_.retiredTables_.clear();
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
