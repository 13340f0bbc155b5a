#pragma once
// The zoom percentage shown beside the zoom slider for a moment after each
// change. Time reaches it only as timer ticks, so a test steps it exactly.
namespace reader {

struct HintRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const HintRect&) const = default;
};

class ZoomHintModel {
 public:
  // How long the hint stays after the last change, and the tick that counts
  // it down; a change restarts the count.
  static constexpr int kShowMilliseconds = 1000;
  static constexpr int kTickMilliseconds = 100;

  // The zoom became percent: the hint shows it, for the full time again.
  void Zoomed(int percent);
  // One timer tick; returns whether the timer is still needed.
  bool Tick();

  bool Visible() const { return remaining_ > 0; }
  int Percent() const { return percent_; }

 private:
  int percent_ = 0;
  int remaining_ = 0;
};

// Where the hint goes: just above the slider, right edges aligned, kept
// inside the window's client area (clientWidth wide) when it is wider than
// the space left of the slider's right edge.
HintRect PlaceZoomHint(const HintRect& slider, int hintWidth, int hintHeight, int clientWidth);

}  // namespace reader
