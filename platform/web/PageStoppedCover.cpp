#include "platform/web/PageStoppedCover.h"

#include "platform/PageShared.h"

#include <QEvent>
#include <QPalette>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace platform {

PageStoppedCover::PageStoppedCover(QWebEngineView* view, QWebEnginePage* page) : QLabel(view), view_(view) {
  setText(PageStoppedNotice());
  setAccessibleName(PageStoppedNotice());
  setAlignment(Qt::AlignCenter);
  setWordWrap(true);
  // An empty page, as the view shows one: white, the notice in grey.
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::white);
  colours.setColor(QPalette::WindowText, QColor(0x60, 0x60, 0x60));
  setPalette(colours);
  setAutoFillBackground(true);
  hide();
  view->installEventFilter(this);
  connect(page, &QWebEnginePage::renderProcessTerminated, this, [this] { Cover(); });
  connect(page, &QWebEnginePage::loadStarted, this, [this] {
    if (isVisible()) reloading_ = true;
  });
  connect(page, &QWebEnginePage::loadFinished, this, [this] {
    if (!reloading_) return;
    reloading_ = false;
    hide();
  });
}

void PageStoppedCover::Cover() {
  reloading_ = false;
  setGeometry(view_->rect());
  show();
  // Above the engine's own child, which may be created again later.
  raise();
}

bool PageStoppedCover::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && event->type() == QEvent::Resize) setGeometry(view_->rect());
  if (watched == view_ && event->type() == QEvent::ChildAdded && isVisible()) raise();
  return QLabel::eventFilter(watched, event);
}

}  // namespace platform
