// The zoom slider's cost per drag step and per full repaint on the design
// instance (its own skins, Qt surfaces offscreen), and what a reader waits
// for at the end of a fast drag: 140 pointer moves across the whole track
// with the real browser showing a page of the book, timed from the last move
// until the page is at the final zoom, with the window's hand-over of only
// the latest zoom and with every step sent to the browser.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <memory>
#include <cstdio>
#include <optional>
#include <string>

#include "controls/slider/Hscroll.h"
#include "drawing/DesignFile.h"
#include "platform/Browser.h"
#include "platform/QtHost.h"
#include "platform/QtSurface.h"
#include "platform/WebEngineSetup.h"

namespace {

drawing::Design LoadDesign() {
  QFile file(QStringLiteral(DESIGN_DIR "/Form1.design"));
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("no design file");
  const QByteArray text = file.readAll();
  return drawing::Design::Parse(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                                [](const std::string& name) {
                                  QFile picture(QStringLiteral(DESIGN_DIR "/pictures/") + QString::fromStdString(name));
                                  return picture.open(QIODevice::ReadOnly) ? platform::DecodePicture(picture.readAll())
                                                                           : nullptr;
                                });
}

// The window's slider as the design stores it, on a hidden window.
struct DesignSlider {
  QWidget window;
  platform::QtHost host{&window};
  drawing::ControlSite site{&host, nullptr, {}};
  std::unique_ptr<slider::Hscroll> control;
  int scrolls = 0;

  DesignSlider() {
    control = std::make_unique<slider::Hscroll>(site, nullptr);
    control->ReadDesign(LoadDesign(), "Hscroll2");
    control->Surface().Move(0, 0, 183, 17);
    control->Surface().SetVisible(true);
    control->Scroll = [this] { ++scrolls; };
  }
};

void DragStep(benchmark::State& state) {
  DesignSlider s;
  drawing::SurfaceEvents& track = s.control->Volum().events;
  track.mouseDown(drawing::kLeftButton, 0, 45, 8);  // on the thumb
  double x = 45;
  for (auto _ : state) {
    x = x == 45 ? 46 : 45;
    track.mouseMove(drawing::kLeftButton, 0, x, 8);
  }
  track.mouseUp(drawing::kLeftButton, 0, x, 8);
  state.counters["scrolls"] = s.scrolls;
}
BENCHMARK(DragStep);

void RepaintAll(benchmark::State& state) {
  DesignSlider s;
  // A button's release repaints the whole control and nothing else.
  drawing::SurfaceEvents& button = s.control->UpDow(0).events;
  for (auto _ : state) button.mouseUp(drawing::kLeftButton, 0, 8, 8);
}
BENCHMARK(RepaintAll);

// ---- the real browser ----

void Wait(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// The page's zoom in percent, measured in the page: the rendered width of a
// 100 px element in device pixels (the page scale shows in devicePixelRatio,
// a CSS zoom below 25 % on the root element's style).
std::optional<int> PageZoom(platform::Browser& browser) {
  std::optional<int> zoom;
  bool done = false;
  QEventLoop loop;
  browser.page()->runJavaScript(
      "(function(){var d=document.createElement('div');"
      "d.style.cssText='position:absolute;left:0;top:0;width:100px;height:1px';"
      "document.documentElement.appendChild(d);"
      "var w=d.getBoundingClientRect().width*window.devicePixelRatio;d.remove();"
      "return Math.round(w*(parseFloat(document.documentElement.style.zoom)||1));})()",
      [&](const QVariant& v) {
        if (v.isValid()) zoom = v.toInt();
        done = true;
        loop.quit();
      });
  if (!done) loop.exec();
  return zoom;
}

bool WaitForZoom(platform::Browser& browser, int expected, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < timeoutMs)
    if (PageZoom(browser) == expected) return true;
  return false;
}

struct ReaderPage {
  QWidget window;
  platform::QtHost host{&window};
  drawing::ControlSite site{&host, nullptr, {}};
  platform::Browser* browser = nullptr;
  std::unique_ptr<slider::Hscroll> control;
  bool coalesce = true;

  QTemporaryDir folder;
  QString bookPage = QStringLiteral(BOOK_DIR "/Lor2/02.html");
  QString longPage;

  ReaderPage() {
    // A page as long as the longest of a real book (about 50 KB of text):
    // the book's page 2 with its body repeated.
    QFile source(bookPage);
    source.open(QIODevice::ReadOnly);
    QByteArray html = source.readAll();
    const qsizetype open = html.indexOf("<body"), close = html.lastIndexOf("</body>");
    if (open >= 0 && close > open) {
      const qsizetype start = html.indexOf('>', open) + 1;
      const QByteArray body = html.mid(start, close - start);
      QByteArray longBody;
      while (longBody.size() < 50000) longBody += body;
      html = html.left(start) + longBody + html.mid(close);
    }
    longPage = folder.filePath("long.html");
    QFile out(longPage);
    out.open(QIODevice::WriteOnly);
    out.write(html);
    out.close();

    window.resize(1195, 639);
    browser = new platform::Browser(&window);
    browser->setGeometry(376, 64, 819, 550);
    browser->SetSilent(true);
    control = std::make_unique<slider::Hscroll>(site, nullptr);
    control->ReadDesign(LoadDesign(), "Hscroll2");
    control->Surface().Move(1012, 617, 183, 17);
    control->Surface().SetVisible(true);
    control->Scroll = [this] {
      if (coalesce)
        browser->RequestZoomPercent(control->Value());
      else
        browser->SetZoomPercent(control->Value());
    };
    window.show();
    Show(bookPage);
  }

  void Show(const QString& file) {
    if (shown == file) return;
    QEventLoop loop;
    QObject::connect(browser, &platform::Browser::loadFinished, &loop, &QEventLoop::quit);
    browser->Navigate(file);
    loop.exec();
    shown = file;
  }
  QString shown;
};

// One page for every run: the browser starts once, and goes before the
// application does.
std::unique_ptr<ReaderPage> g_page;

ReaderPage& Page() {
  if (!g_page) g_page = std::make_unique<ReaderPage>();
  return *g_page;
}

// 140 moves, one every spacing ms like a fast mouse (0: all at once, as
// when the window was busy and its queued moves run together), from the left
// end of the track past its right end, over the book's page or a long one;
// the time from the last move until the page is at 300 %.
void DragAcrossTrack(benchmark::State& state) {
  ReaderPage& page = Page();
  page.coalesce = state.range(0) != 0;
  const int spacingMs = static_cast<int>(state.range(1));
  page.Show(state.range(2) != 0 ? page.longPage : page.bookPage);
  drawing::SurfaceEvents& track = page.control->Volum().events;
  for (auto _ : state) {
    page.control->SetValue(20);
    if (!WaitForZoom(*page.browser, 20, 5000)) state.SkipWithError("the page never reached 20 %");
    Wait(100);
    track.mouseDown(drawing::kLeftButton, 0, 5, 8);  // on the thumb at the left end
    QElapsedTimer sinceLastMove;
    for (int move = 1; move <= 140; ++move) {
      if (spacingMs > 0) Wait(spacingMs);
      track.mouseMove(drawing::kLeftButton, 0, 5 + move, 8);
      sinceLastMove.start();
    }
    track.mouseUp(drawing::kLeftButton, 0, 145, 8);
    if (!WaitForZoom(*page.browser, 300, 10000)) {
      std::fprintf(stderr, "page %d, browser %d, requested %d, slider %d\n", PageZoom(*page.browser).value_or(-1),
                   page.browser->ZoomPercent(), page.browser->RequestedZoomPercent(), page.control->Value());
      state.SkipWithError("the page never reached 300 %");
    }
    state.SetIterationTime(static_cast<double>(sinceLastMove.nsecsElapsed()) / 1e9);
  }
}
BENCHMARK(DragAcrossTrack)
    ->ArgNames({"coalesced", "spacing_ms", "long_page"})
    ->ArgsProduct({{1, 0}, {0, 1, 4}, {0, 1}})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Chromium refuses to start as root with its sandbox on.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  qputenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false;js.*=false");
  platform::PrepareWebEngineProcess();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_page.reset();
  return 0;
}
