// The yardstick for the reader: a bare QWebEngineView with Qt's defaults that
// shows the same page files straight from a page folder. It speaks the
// reader's bench protocol (reader/BenchProbe.h): it starts on page 2, prints
// "painted NS" after its first paint, "loaded NS OK" for every finished load
// and takes "list N" and "quit".
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QSocketNotifier>
#include <QUrl>
#include <QWebEngineView>
#include <chrono>
#include <cstdio>
#include <string>

#include "reader/FirstPaintReporter.h"

namespace {

using bench_protocol::FirstPaintReporter;
const auto Now = bench_protocol::SteadyNanoseconds;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bare_view PAGE_FOLDER\n");
    return 2;
  }
  QApplication app(argc, argv);
  const QStringList pages = QDir(QString::fromLocal8Bit(argv[1])).entryList(QDir::Files, QDir::Name);
  QWebEngineView view;
  FirstPaintReporter painted(view);
  view.resize(1195, 639);
  auto show = [&](int page) {
    if (page >= 1 && page <= pages.size())
      view.load(QUrl::fromLocalFile(QDir(QString::fromLocal8Bit(argv[1])).absoluteFilePath(pages[page - 1])));
  };
  QObject::connect(&view, &QWebEngineView::loadFinished, [](bool ok) {
    std::printf("loaded %lld %d\n", Now(), ok ? 1 : 0);
    std::fflush(stdout);
  });
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  std::string pending;
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
      input.setEnabled(false);
      QApplication::quit();
      return;
    }
    pending.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
      const std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (line.rfind("list ", 0) == 0) show(std::atoi(line.c_str() + 5));
      if (line == "quit") QApplication::quit();
    }
  });
  show(2);
  view.show();
  return app.exec();
}
