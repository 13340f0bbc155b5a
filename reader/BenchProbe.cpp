#include "reader/BenchProbe.h"

#include <unistd.h>

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QKeyEvent>
#include <QList>
#include <QScreen>
#include <QSocketNotifier>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/Browser.h"
#include "platform/StandardControls.h"
#include "reader/BookSearchField.h"
#include "reader/FirstPaintReporter.h"
#include "reader/Form1.h"
#include "reader/SearchIndexer.h"

namespace reader {
namespace {

using bench_protocol::FirstPaintReporter;
using bench_protocol::SteadyNanoseconds;

// The 256 most frequent colours, every other pixel taken to the nearest of
// them without dithering: flat areas and gradients stay exact and the file
// stays small enough to keep in the repository.
QImage SmallPng(const QImage& image) {
  QHash<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) ++counts[row[x]];
  }
  QList<QPair<int, QRgb>> byCount;
  for (auto it = counts.cbegin(); it != counts.cend(); ++it) byCount.append({it.value(), it.key()});
  // Ties broken by the colour, so the same screen gives the same file.
  std::sort(byCount.begin(), byCount.end(),
            [](const auto& a, const auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
  QList<QRgb> table;
  for (int k = 0; k < byCount.size() && k < 256; ++k) table.append(byCount[k].second);
  return image.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
}

// Each character as a key press into the book search field, timed from the
// press to the drop-down list drawn with the new results.
void TypeIntoBookSearch(Form1& window, const QString& text) {
  BookSearchField& field = window.BookSearch();
  field.setFocus(Qt::OtherFocusReason);
  for (const QChar c : text) {
    const long long start = SteadyNanoseconds();
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(&field, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(&field, &release);
    if (auto* list = window.findChild<QWidget*>(QStringLiteral("BookSearchList")); list && list->isVisible())
      list->repaint();
    const long long elapsed = SteadyNanoseconds() - start;
    std::printf("typed %lld %d\n", elapsed, static_cast<int>(field.Rows().size()));
  }
  std::fflush(stdout);
}

void RunCommand(Form1& window, const std::string& line) {
  if (line.rfind("list ", 0) == 0) {
    window.List1().SetListIndex(std::stoi(line.substr(5)) - 1);
  } else if (line.rfind("grab ", 0) == 0) {
    // The screen's pixels, not a widget rendering: the web view's content
    // comes from another process and only the screen shows it as the
    // reader sees it.
    const QImage shot = window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const bool saved = SmallPng(shot).save(QString::fromStdString(line.substr(5)));
    std::printf("grabbed %d\n", saved ? 1 : 0);
    std::fflush(stdout);
  } else if (line == "indexed") {
    std::printf("indexed %d\n", window.Indexer().Index() != nullptr ? 1 : 0);
    std::fflush(stdout);
  } else if (line.rfind("type ", 0) == 0) {
    TypeIntoBookSearch(window, QString::fromStdString(line.substr(5)));
  } else if (line == "quit") {
    QApplication::quit();
  }
}

}  // namespace

bool AttachBenchProbeIfAsked(Form1& window) {
  if (qEnvironmentVariableIsEmpty("READER_BENCH")) return false;
  // The application's filter sees the first paint before the browser's own
  // filter does, so the line is queued ahead of the engine's start.
  new FirstPaintReporter(window);
  QObject::connect(&window.WebBrowser1(), &platform::Browser::loadFinished, &window, [&window](bool ok) {
    // The empty address before each page is not a page.
    const platform::Browser& browser = window.WebBrowser1();
    if (browser.ShownFile().isEmpty() || browser.url().path() != browser.ShownFile()) return;
    std::printf("loaded %lld %d\n", SteadyNanoseconds(), ok ? 1 : 0);
    std::fflush(stdout);
  });
  auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &window);
  QObject::connect(input, &QSocketNotifier::activated, &window, [&window, input] {
    static std::string pending;
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
      input->setEnabled(false);
      QApplication::quit();
      return;
    }
    pending.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
      const std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      try {
        RunCommand(window, line);
      } catch (const std::exception&) {
        std::printf("bad command\n");
        std::fflush(stdout);
      }
    }
  });
  return true;
}

}  // namespace reader
