// From Risuy to a visible balloon with the values stored for the contents
// tree's hint (a two-line caption, with and without the screen copy), next
// to destroying, creating and showing a plain frameless popup of the same
// size. Run under X (xvfb-run) for the figures that matter; offscreen works
// too.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <memory>
#include <string>

#include "controls/balloon/PodskazV.h"
#include "platform/QtHost.h"

namespace {

// A name long enough to wrap once at the stored 750 px.
const char* const kCaption =
    "Раздел 3. Знаки и тексты в культуре: семиотика повседневности, письменность, "
    "книга и чтение, визуальные коды, реклама, мода, кино и другие тексты культуры";

struct StoredBalloon {
  platform::QtHost host;
  std::unique_ptr<drawing::Surface> face = host.CreateSurface(nullptr);
  drawing::PropertyBag bag;
  std::unique_ptr<balloon::PodskazV> balloon;

  StoredBalloon(bool capture, bool shadow) {
    balloon = std::make_unique<balloon::PodskazV>(*face, drawing::ControlSite{&host, &bag, {}});
    balloon::PodskazV& b = *balloon;
    drawing::Font font;
    font.face = "Arial";
    font.sizePoints = 9.75;
    b.SetFont(font);
    b.SetBackColor(0x00FFFFFF);
    b.SetProzrachostFona(240);
    b.SetPsetPicture(5);
    b.SetShadow(shadow);
    b.SetZakruglenie(3);
    b.SetSdvigOtKursora(50);
    b.SetMaxWidth(750);
    b.SetForeColorTxtPod(0x00C0C0C0);
    b.SetTextOtstup(10);
    b.SetZadergkaTime(10);
    b.SetPoyavlenieS(4);
    // The stored delay only postpones the showing; what is timed is the
    // work until the balloon is on screen.
    b.SetZadergka(false);
    b.SetScreenShotEnable(capture);
  }
};

// Arguments: screen copy on, drop shadow on (the stored value; the shadow is
// a second popup painted from the screen, so it is also timed without).
void Risuy(benchmark::State& state) {
  StoredBalloon stored(state.range(0) != 0, state.range(1) != 0);
  for (auto _ : state) {
    stored.balloon->SetCaption(kCaption);
    stored.balloon->Risuy();
    QCoreApplication::processEvents();
  }
  const drawing::Surface* w = stored.balloon->BalloonWindow();
  state.counters["width"] = w ? w->Width() : 0;
  state.counters["height"] = w ? w->Height() : 0;
  state.SetLabel(std::string(state.range(0) ? "screen copy on" : "screen copy off") +
                 (state.range(1) ? ", shadow" : ", no shadow"));
}
BENCHMARK(Risuy)->Args({0, 1})->Args({1, 1})->Args({0, 0})->Unit(benchmark::kMicrosecond);

void PlainPopup(benchmark::State& state) {
  QSize size;
  {
    StoredBalloon stored(false, false);
    stored.balloon->SetCaption(kCaption);
    stored.balloon->Risuy();
    size = QSize(stored.balloon->BalloonWindow()->Width(), stored.balloon->BalloonWindow()->Height());
  }
  std::unique_ptr<QWidget> popup;
  for (auto _ : state) {
    popup.reset();
    popup = std::make_unique<QWidget>(nullptr, Qt::ToolTip | Qt::WindowStaysOnTopHint |
                                                   Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint |
                                                   Qt::WindowDoesNotAcceptFocus);
    popup->setAttribute(Qt::WA_ShowWithoutActivating);
    popup->setGeometry(450, 300, size.width(), size.height());
    popup->show();
    QCoreApplication::processEvents();
  }
  state.counters["width"] = size.width();
  state.counters["height"] = size.height();
}
BENCHMARK(PlainPopup)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
