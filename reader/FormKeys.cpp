// The window from the keyboard. Only what can be seen and used takes the
// focus; every key that stands for a mouse action goes through that
// action's own path (a zoom key assigns the slider's Value through its
// setter, so Scroll fires and the page zooms as on a drag).
#include <QAccessible>
#include <QApplication>
#include <QKeySequence>
#include <QShortcut>
#include <algorithm>
#include <limits>

#include "controls/slider/Hscroll.h"
#include "controls/tree/Tray.h"
#include "platform/Browser.h"
#include "platform/StandardControls.h"
#include "reader/Accessibility.h"
#include "reader/Form1.h"

namespace reader {

namespace {

// One zoom key or Ctrl+wheel notch changes the zoom by this many percent.
constexpr int kZoomKeyStep = 10;
constexpr int kZoomReset = 100;

}  // namespace

void Form1::SetUpKeyboard() {
  // Covered by the page view: they keep working as sources (the start-up
  // selection, the swatch colours) but are never reached from the keyboard.
  for (QWidget* covered : std::initializer_list<QWidget*>{list1_, file1_, command2_, label1_[0], label1_[1]}) {
    covered->setFocusPolicy(Qt::NoFocus);
    HideFromAccessibility(*covered);
  }
  QWidget* tree = &Tray1Widget();
  QWidget* slider = &Hscroll2Widget();
  tree->setFocusPolicy(Qt::StrongFocus);
  slider->setFocusPolicy(Qt::StrongFocus);
  // Tab walks the window left to right: contents, page, zoom, then the
  // two buttons on the header band.
  QWidget::setTabOrder(tree, browser_);
  QWidget::setTabOrder(browser_, slider);
  QWidget::setTabOrder(slider, command1_);
  QWidget::setTabOrder(command1_, command3_);

  ExposeTree(*tree, *tray1_);
  ExposeSlider(*slider, *hscroll2_);
  // A screen reader hears the zoom change, whoever changed it.
  hscroll2_->Scroll = [this, zoom = hscroll2_->Scroll] {
    if (zoom) zoom();
    if (!QAccessible::isActive()) return;
    QAccessibleValueChangeEvent changed(&Hscroll2Widget(), hscroll2_->Value());
    QAccessible::updateAccessibility(&changed);
  };

  auto* pane = new QShortcut(QKeySequence(Qt::Key_F6), this);
  connect(pane, &QShortcut::activated, this, [this] { SwitchPane(); });
  const struct {
    QKeyCombination keys;
    int step;
  } zoomKeys[] = {{Qt::CTRL | Qt::Key_Plus, kZoomKeyStep},
                  {Qt::CTRL | Qt::Key_Equal, kZoomKeyStep},
                  {Qt::CTRL | Qt::Key_Minus, -kZoomKeyStep},
                  {Qt::CTRL | Qt::Key_0, 0}};
  for (const auto& zoom : zoomKeys) {
    auto* shortcut = new QShortcut(QKeySequence(zoom.keys), this);
    const int step = zoom.step;
    connect(shortcut, &QShortcut::activated, this, [this, step] {
      if (step == 0)
        ZoomTo(kZoomReset);
      else
        ZoomBy(step);
    });
  }
  connect(browser_, &platform::Browser::CtrlWheelTurned, this,
          [this](int notches) { ZoomBy(static_cast<int>(std::clamp(static_cast<long long>(notches) * kZoomKeyStep,
                                                                     -1000000LL, 1000000LL))); });
}

void Form1::SwitchPane() {
  QWidget* tree = &Tray1Widget();
  QWidget* focus = QApplication::focusWidget();
  const bool inTree = focus && (focus == tree || tree->isAncestorOf(focus));
  if (inTree)
    browser_->setFocus(Qt::ShortcutFocusReason);
  else
    tree->setFocus(Qt::ShortcutFocusReason);
}

void Form1::ZoomBy(int percent) {
  // Past a bound the setter's repaint brings Value back to it.
  const long long next = static_cast<long long>(hscroll2_->Value()) + percent;
  ZoomTo(static_cast<int>(std::clamp<long long>(next, std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max())));
}

void Form1::ZoomTo(int percent) { hscroll2_->SetValue(percent); }

}  // namespace reader
