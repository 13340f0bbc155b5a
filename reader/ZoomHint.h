#pragma once
// The zoom percentage in a small label just above the zoom slider, for a
// moment after every change, and in the slider's tool tip. The slider
// itself is not touched: the hint is a separate widget of the window.
#include <QLabel>
#include <QPointer>
#include <memory>

#include "drawing/HostServices.h"
#include "reader/core/ZoomHintModel.h"

namespace reader {

class ZoomHint : public QLabel {
  Q_OBJECT

 public:
  // slider is the zoom slider's widget, a child of window like the hint;
  // the timer comes from the window's host, so tests can use a fake clock.
  // The tool tip tells percent, the zoom at the start, from the first.
  ZoomHint(QWidget& window, QWidget& slider, std::unique_ptr<drawing::Timer> timer, int percent);
  ~ZoomHint() override;

  // The zoom is now percent (the slider raised Scroll).
  void Zoomed(int percent);
  // The slider moved (a layout): the hint follows it.
  void Follow();

  const ZoomHintModel& Model() const { return model_; }
  static QString PercentText(int percent);
  static QString ToolTipText(int percent);

 private:
  void Tick();
  void Update();

  QPointer<QWidget> slider_;
  std::unique_ptr<drawing::Timer> timer_;
  ZoomHintModel model_;
};

}  // namespace reader
