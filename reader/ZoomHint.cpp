#include "reader/ZoomHint.h"

#include <QWidget>

namespace reader {

ZoomHint::ZoomHint(QWidget& window, QWidget& slider, std::unique_ptr<drawing::Timer> timer, int percent)
    : QLabel(&window), slider_(&slider), timer_(std::move(timer)) {
  setObjectName(QStringLiteral("ZoomHint"));
  setAlignment(Qt::AlignCenter);
  // The colours of a tool tip: it is one, only shown without hovering.
  setAutoFillBackground(true);
  setForegroundRole(QPalette::ToolTipText);
  setBackgroundRole(QPalette::ToolTipBase);
  setFrameShape(QFrame::Box);
  setMargin(2);
  // Never in the way of the slider or the page below it.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  hide();
  timer_->SetInterval(ZoomHintModel::kTickMilliseconds);
  timer_->tick = [this] { Tick(); };
  slider.setToolTip(ToolTipText(percent));
}

ZoomHint::~ZoomHint() { timer_->tick = nullptr; }

QString ZoomHint::PercentText(int percent) { return tr("%1 %").arg(percent); }

QString ZoomHint::ToolTipText(int percent) { return tr("Zoom: %1").arg(PercentText(percent)); }

void ZoomHint::Zoomed(int percent) {
  model_.Zoomed(percent);
  setText(PercentText(percent));
  if (slider_) slider_->setToolTip(ToolTipText(percent));
  timer_->SetEnabled(true);  // restarts the period
  Update();
}

void ZoomHint::Tick() {
  if (!model_.Tick()) timer_->SetEnabled(false);
  Update();
}

void ZoomHint::Follow() {
  if (isVisible()) Update();
}

void ZoomHint::Update() {
  if (!model_.Visible() || !slider_) {
    hide();
    return;
  }
  adjustSize();
  const QRect s = slider_->geometry();
  const HintRect at = PlaceZoomHint({s.x(), s.y(), s.width(), s.height()}, width(), height(),
                                    parentWidget() ? parentWidget()->width() : s.right() + 1);
  setGeometry(at.left, at.top, at.width, at.height);
  show();
  raise();
}

}  // namespace reader
