// The tree's answers to the keyboard: the keyboard row, its focus
// rectangle, and what each key does through the tree's own paths.
#include <algorithm>
#include <exception>

#include "controls/tree/Tray.h"
#include "drawing/Arithmetic.h"
#include "drawing/Primitives.h"

namespace tree {

void Tray::WireKeyboard() {
  drawing::SurfaceEvents& ev = surface_->events;
  ev.keyDown = [this](const drawing::KeyPress& key) { return KeyDown(key); };
  // The focus entering the tree (also through its scroll bar) raises FoksGo
  // as before, then shows or hides the focus rectangle.
  ev.enterFocus = [this, foksGo = ev.enterFocus] {
    if (foksGo) foksGo();
    FocusMoved(true);
  };
  ev.exitFocus = [this] { FocusMoved(false); };
  ev.keyboardFocus = [this] { ShowFocusCues(); };
  typeAheadTimer_ = site_.services->CreateTimer();
  typeAheadTimer_->SetInterval(TypeAheadBuffer::kPauseMs);
  typeAheadTimer_->tick = [this] {
    typeAheadTimer_->SetEnabled(false);
    typed_.Clear();
  };
}

std::int32_t Tray::KeyboardRow() const {
  return EffectiveKeyboardRow(model_.Items(), visibleRows_, keyboardRow_, model_.Vibran());
}

bool Tray::IsVisibleRow(std::int32_t entry) const {
  return entry >= 0 && std::find(visibleRows_.begin() + 1, visibleRows_.end(), entry) != visibleRows_.end();
}

void Tray::FocusMoved(bool focused) {
  if (focused_ == focused) return;
  const bool showed = ShowsFocus();
  focused_ = focused;
  if (!focused) typed_.Clear();
  if (showed != ShowsFocus()) Lina();
  Announce(TreeNotice::FocusRow, KeyboardRow());
}

void Tray::ShowFocusCues() {
  if (focusCues_) return;
  focusCues_ = true;
  if (ShowsFocus()) Lina();
}

bool Tray::KeepInView(std::int32_t entry) {
  const TreeItem* item = ItemAt(entry);
  if (!item) return false;
  const long long value = bar_->Value(), height = surface_->ScaleHeight();
  const long long top = item->RowTop, bottom = top + item->RowHeight;
  long long wanted = value;
  if (top < value)
    wanted = top;
  else if (bottom > value + height)
    wanted = bottom - height;
  if (wanted == value) return false;
  // The bar clamps and reports the change; the tree repaints on it.
  bar_->SetValue(drawing::CheckedInt32(wanted), true);
  return bar_->Value() != value;
}

void Tray::MoveKeyboardRow(std::int32_t entry) {
  if (!IsVisibleRow(entry)) return;
  keyboardRow_ = entry;
  if (!KeepInView(entry)) Lina();
  Announce(TreeNotice::FocusRow, entry);
}

void Tray::FocusEntry(std::int32_t entry) { MoveKeyboardRow(entry); }

void Tray::SetEntryOpen(std::int32_t entry, bool open) {
  TreeItem* item = const_cast<TreeItem*>(ItemAt(entry));
  if (!item || !item->HasChildren || item->IsOpen == open || !IsVisibleRow(entry)) return;
  keyboardRow_ = entry;
  // As a click does: the new rows slide in from the first frame's speed.
  slideStep_ = 1.0;
  item->IsOpen = open;
  ++openings_;
  if (static_cast<std::size_t>(entry) < rows_.size()) rows_[static_cast<std::size_t>(entry)].IsOpen = open;
  Lina();
  KeepInView(entry);
}

void Tray::ChooseEntry(std::int32_t entry) {
  // Only a row the reader can see is chosen: not one of a list that has
  // been replaced, not one inside a closed section.
  if (!IsVisibleRow(entry)) return;
  keyboardRow_ = entry;
  KeepInView(entry);
  const TreeItem* item = ItemAt(entry);
  if (!item) return;
  // The release path reads the hot entry; the pointer's own hot entry comes
  // back afterwards, so its hint and hover stay with what it is over.
  const std::int32_t pointerHot = hotIndex_;
  const std::string pointerText = hotText_;
  hotIndex_ = entry;
  hotText_ = item->Texts[1];
  try {
    OnMouseUp();
  } catch (...) {
    hotIndex_ = pointerHot;
    hotText_ = pointerText;
    throw;
  }
  hotIndex_ = pointerHot;
  hotText_ = pointerText;
  // Choosing may have scrolled the rows under a resting pointer.
  RecheckHotEntry();
}

bool Tray::KeyDown(const drawing::KeyPress& key) {
  ShowFocusCues();
  const std::int32_t current = KeyboardRow();
  // Letters (and a space inside a typed prefix) look for a row by name.
  const bool typing = !key.text.empty() && static_cast<unsigned char>(key.text[0]) >= 0x20 &&
                      key.text[0] != 0x7F &&
                      (key.key == drawing::Key::Other || (key.key == drawing::Key::Space && !typed_.Empty()));
  if (typing) {
    typed_.Add(key.text);
    typeAheadTimer_->SetEnabled(true);  // restarts the pause
    const bool again = typed_.OneLetterRepeated();
    const std::string_view prefix =
        again ? LeadingCharacters(typed_.Text(), 1) : std::string_view(typed_.Text());
    const bool extends = !again && typed_.Text().size() > key.text.size();
    const std::int32_t found = TypeAheadMatch(model_.Items(), visibleRows_, current, prefix, extends);
    if (found >= 0) MoveKeyboardRow(found);
    return true;
  }
  if (current < 0) return key.key != drawing::Key::Other;
  const KeyAction action = KeyActionFor(key.key, model_.Items(), visibleRows_, current,
                                        RowsPerPage(model_.Items(), visibleRows_, current, surface_->ScaleHeight(),
                                                    key.key == drawing::Key::PageUp));
  switch (action.kind) {
    case KeyAction::Move: MoveKeyboardRow(action.entry); break;
    case KeyAction::Open: SetEntryOpen(action.entry, true); break;
    case KeyAction::Close: SetEntryOpen(action.entry, false); break;
    case KeyAction::Choose: ChooseEntry(action.entry); break;
    case KeyAction::None: break;
  }
  return key.key != drawing::Key::Other;
}

void Tray::PaintKeyboardFocus(std::int32_t scrollValue) {
  if (!ShowsFocus()) return;
  const std::int32_t e = KeyboardRow();
  const TreeItem* item = ItemAt(e);
  if (!item) return;
  const long long top = static_cast<long long>(item->RowTop) - scrollValue;
  if (top > surface_->ScaleHeight() || top + item->RowHeight < 0) return;
  const RowStyle style = PickRowStyle(look_, *item, model_.Vibran() == e, [this](drawing::Colour c) { return Plain(c); });
  const MarkerRect r = FocusRectFor(look_.Kvadrat, *item, scrollValue,
                                    drawing::RoundHalfEven(look_.TrOtstSleva / 2.0), Available());
  drawing::DrawDottedBox(surface_->Pixels(), r.left, r.top, static_cast<long long>(r.right) - 1,
                         static_cast<long long>(r.top) + r.height - 1, drawing::ToPixel(Plain(style.textColour)));
}

void Tray::AnnounceChanges() {
  if (!Notice) return;
  if (openings_ != announcedOpenings_) {
    announcedOpenings_ = openings_;
    Announce(TreeNotice::OpenState, -1);
  }
  if (visibleRows_ != announcedRows_) {
    announcedRows_ = visibleRows_;
    Announce(TreeNotice::Rows, -1);
  }
}

}  // namespace tree
