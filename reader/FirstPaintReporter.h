#pragma once
// The bench protocol's clock and its "painted NS" line, shared by the reader's
// probe and the bare web view it is measured against, so that both report
// their first paint in exactly the same way. Header-only: the bare view links
// nothing of the reader's.
#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace bench_protocol {

inline long long SteadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Prints "painted NS" once the window's first paint has gone to the screen:
// the paint is seen as it starts, and the line waits for the events already
// queued, the flush of that paint among them. Any widget of the window
// counts: where an opaque child covers its parent, only the child is sent
// the paint.
class FirstPaintReporter : public QObject {
 public:
  explicit FirstPaintReporter(QWidget& window) : QObject(&window), window_(window) { qApp->installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == &window_) {
      qApp->removeEventFilter(this);
      QMetaObject::invokeMethod(
          this,
          [] {
            std::printf("painted %lld\n", SteadyNanoseconds());
            std::fflush(stdout);
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  QWidget& window_;
};

}  // namespace bench_protocol
