#include "tests/x11/ForeignWindow.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace x11test {
namespace {

class ReportingWindow : public QWidget {
 protected:
  void wheelEvent(QWheelEvent* event) override {
    std::printf("wheel %d\n", event->angleDelta().y());
    std::fflush(stdout);
    event->accept();
  }
};

class ExposeAnnouncer : public QObject {
 public:
  explicit ExposeAnnouncer(const QWidget& window) : window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && !announced_ && static_cast<QWindow*>(watched)->isExposed()) {
      announced_ = true;
      std::printf("window %llu\n", static_cast<unsigned long long>(window_.winId()));
      std::fflush(stdout);
    }
    return false;
  }

 private:
  const QWidget& window_;
  bool announced_ = false;
};

}  // namespace

int RunForeignWindow(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: %s %s x y width height\n", argv[0], kForeignWindowFlag);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  int appArgc = 1;
  QApplication app(appArgc, argv);
  ReportingWindow window;
  window.setWindowFlag(Qt::FramelessWindowHint);
  window.setGeometry(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  // The parent waits for this line before it moves the pointer here.
  ExposeAnnouncer announcer(window);
  window.winId();
  window.windowHandle()->installEventFilter(&announcer);
  window.show();

  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[64];
    if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) QCoreApplication::quit();
  });
  return app.exec();
}

}  // namespace x11test
