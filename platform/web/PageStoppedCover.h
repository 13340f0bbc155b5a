#pragma once

#include <QLabel>

class QWebEnginePage;
class QWebEngineView;

namespace platform {

// When the renderer process of a page ends (it crashed, or the engine
// killed a page that grew without bound), the view has nothing left to draw
// and whatever lies beneath it in the window shows through. This cover, a
// child of the view, fills it with an empty page carrying a short notice from
// that moment until the next page has loaded.
class PageStoppedCover : public QLabel {
  Q_OBJECT

 public:
  PageStoppedCover(QWebEngineView* view, QWebEnginePage* page);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Cover();

  QWebEngineView* view_;
  // A load began after the renderer ended; its end brings a new renderer.
  bool reloading_ = false;
};

}  // namespace platform
