// The balloon's 10 ms tick: the delay before showing, and the cursor and
// button rules that hide it. Also Minus, which every rule ends in.
#include <exception>

#include "controls/balloon/PodskazV.h"
#include "drawing/Arithmetic.h"

namespace balloon {

namespace {

// A failing step is skipped and the tick goes on: the tick runs from the
// event loop, where nothing may escape.
template <typename Step>
void Run(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

}  // namespace

void PodskazV::Minus() {
  if (!balloonWindow_) return;
  balloonWindow_->SetVisible(false);
  balloonWindow_.reset();
  trackingTimer_->SetEnabled(false);
  enteredBalloon_ = false;
  SetCaption(std::string());
  SetActive(false);
}

bool PodskazV::IsBalloonWindow(drawing::WindowHandle hWnd) const {
  return balloonWindow_ && hWnd == balloonWindow_->hWnd();
}

int PodskazV::MouseButtonDown() const {
  const int held = site_.services->AsyncMouseButtons();
  if (held & drawing::kLeftButton) return 1;
  if (held & drawing::kRightButton) return 2;
  if (held & drawing::kMiddleButton) return 4;
  return 0;
}

void PodskazV::Tick() {
  Run([&] {
    if (Zadergka() && delayTicks_ < ZadergkaTime()) {
      delayTicks_ = drawing::CheckedAdd(delayTicks_, 1);
      if (delayTicks_ == ZadergkaTime() && balloonWindow_) balloonWindow_->SetVisible(true);
      SetActive(true);
    }
  });
  // Unread, the window counts as unchanged rather than as a departure.
  drawing::WindowHandle h = lastWindowUnderCursor_;
  Run([&] {
    cursorPos_ = site_.services->CursorPos();
    h = site_.services->WindowFromPoint(cursorPos_);
  });
  // A balloon that comes up under the cursor, or that the cursor moves onto,
  // is where the cursor now rests, not a place it left for.
  Run([&] {
    if (!enteredBalloon_ && IsBalloonWindow(h)) lastWindowUnderCursor_ = h;
  });
  Run([&] {
    if (h != lastWindowUnderCursor_ && lastWindowUnderCursor_ != 0) Minus();
  });
  lastWindowUnderCursor_ = h;
  Run([&] {
    if (!enteredBalloon_) {
      if (IsBalloonWindow(h)) enteredBalloon_ = true;
    } else if (!IsBalloonWindow(h)) {
      Minus();
    }
  });
  Run([&] {
    if (MouseButtonDown() > 0) Minus();
  });
}

}  // namespace balloon
