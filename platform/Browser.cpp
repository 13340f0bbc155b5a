#include "platform/Browser.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPalette>
#include <QOpenGLWidget>
#include <QResizeEvent>

#include <algorithm>

#include "platform/PageEngine.h"
#include "platform/PageShared.h"
#include "platform/QtSurface.h"
#include "platform/WebEngineModule.h"

namespace platform {

namespace {

QString CleanLocalPath(const QUrl& url) { return QDir::cleanPath(QFileInfo(url.toLocalFile()).absoluteFilePath()); }

}  // namespace

Browser::Browser(QWidget* parent, EngineStart start) : QWidget(parent) {
  // The page counts as a window of its own under the pointer, apart from
  // the main window around it.
  setProperty(kOwnWindowProperty, true);
  // Until the engine draws, the view is the blank white page it will show
  // first, not a hole onto the controls it covers.
  QPalette blank = palette();
  blank.setColor(QPalette::Window, Qt::white);
  setPalette(blank);
  setAutoFillBackground(true);
  if (start == EngineStart::AtOnce) {
    StartEngine();
    return;
  }
  // The engine draws through a Qt Quick widget, and a window that gains its
  // first such child once it is on screen is destroyed and made anew for
  // the OpenGL drawing it needs (a new native window: a flicker, and a
  // window id that dies under whoever holds it). A hidden OpenGL widget of
  // our own makes the window of the right kind from the start; it is one,
  // not a Qt Quick widget, because Qt Quick's libraries would add a tenth
  // of the program's start-up before the window (they come with the engine).
  // Headless platforms draw no OpenGL and never remake the window.
  const QString platform = QGuiApplication::platformName();
  if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
    engine_stand_in_ = new QOpenGLWidget(this);
    engine_stand_in_->hide();
  }
  // Watched through the application: a widget wholly covered by opaque
  // children is never sent a paint of its own, so any widget of the window
  // counts.
  painted_window_ = window();
  qApp->installEventFilter(this);
}

Browser::~Browser() {
  if (painted_window_) qApp->removeEventFilter(this);
  delete engine_;
}

void Browser::StartEngine() {
  if (engine_tried_) return;
  engine_tried_ = true;
  if (painted_window_) qApp->removeEventFilter(this);
  painted_window_ = nullptr;
  if (const CreatePageEngineFunction create = WebEngineModule(&engine_problem_)) {
    PageEngineHooks hooks;
    hooks.loadFinished = [this](bool ok) { emit loadFinished(ok); };
    hooks.titleChanged = [this](const QString& title) { emit titleChanged(title); };
    hooks.printFinished = [this](bool ok) { emit printFinished(ok); };
    hooks.findTextFinished = [this](int active, int count) { emit findTextFinished(active, count); };
    hooks.ctrlWheelTurned = [this](int notches) { emit CtrlWheelTurned(notches); };
    hooks.silent = [this] { return silent_; };
    engine_ = create(this, std::move(hooks));
  }
  delete engine_stand_in_;
  engine_stand_in_ = nullptr;
  if (engine_) {
    QWidget& view = engine_->Widget();
    view.setGeometry(rect());
    setFocusProxy(&view);
    engine_->SetAllowedFile(shown_file_);
    if (zoom_percent_ != 100) engine_->SetZoomPercent(zoom_percent_);
    if (print_backgrounds_) engine_->SetPrintElementBackgrounds(true);
    view.show();
    // Features hook in before the first navigation, so they see all of it.
    emit EngineStarted();
  } else {
    ShowEngineProblem();
  }
  // Without an engine, the address asked for fails now.
  if (load_pending_) {
    load_pending_ = false;
    Load(pending_load_);
  }
}

void Browser::ShowEngineProblem() {
  qWarning("The web engine could not be loaded: %s", qPrintable(engine_problem_));
  problem_label_ = new QLabel(
      QCoreApplication::translate("platform::Browser", "The pages cannot be shown: %1").arg(engine_problem_), this);
  problem_label_->setWordWrap(true);
  problem_label_->setAlignment(Qt::AlignCenter);
  problem_label_->setGeometry(rect());
  problem_label_->show();
}

void Browser::WhenEngineStarted(QObject* context, std::function<void()> fn) {
  if (EngineRunning()) {
    fn();
    return;
  }
  auto connection = std::make_shared<QMetaObject::Connection>();
  *connection = connect(this, &Browser::EngineStarted, context, [connection, fn = std::move(fn)] {
    QObject::disconnect(*connection);
    fn();
  });
}

QWebEnginePage* Browser::page() const {
  const_cast<Browser*>(this)->StartEngine();
  return engine_ ? engine_->Page() : nullptr;
}

// Without an engine, the address that failed to load.
QUrl Browser::url() const { return page() ? engine_->Url() : failed_url_; }

QString Browser::title() const { return page() ? engine_->Title() : QString(); }

bool Browser::hasSelection() const { return page() && engine_->HasSelection(); }

QString Browser::selectedText() const { return page() ? engine_->SelectedText() : QString(); }

qreal Browser::zoomFactor() const { return page() ? engine_->ZoomFactor() : 1.0; }

void Browser::findText(const QString& text, bool backward) {
  if (page()) engine_->FindText(text, backward);
}

void Browser::SelectAll() {
  if (page()) engine_->SelectAll();
}

void Browser::SetPrintElementBackgrounds(bool on) {
  print_backgrounds_ = on;
  if (engine_) engine_->SetPrintElementBackgrounds(on);
}

void Browser::print(QPrinter* printer) {
  if (page())
    engine_->Print(printer);
  else
    QMetaObject::invokeMethod(this, [this] { emit printFinished(false); }, Qt::QueuedConnection);
}

void Browser::printToPdf(std::function<void(const QByteArray&)> done, const QPageLayout& layout) {
  if (page())
    engine_->PrintToPdf(std::move(done), layout);
  else
    QMetaObject::invokeMethod(this, [done = std::move(done)] { done(QByteArray()); }, Qt::QueuedConnection);
}

void Browser::Load(const QUrl& url) {
  if (!engine_tried_) {
    pending_load_ = url;
    load_pending_ = true;
    return;
  }
  if (engine_) {
    engine_->Load(url);
    return;
  }
  failed_url_ = url;
  QMetaObject::invokeMethod(this, [this] { emit loadFinished(false); }, Qt::QueuedConnection);
}

void Browser::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (engine_) engine_->Widget().setGeometry(rect());
  if (problem_label_) problem_label_->setGeometry(rect());
}

bool Browser::eventFilter(QObject* watched, QEvent* event) {
  if (painted_window_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == painted_window_) {
    // Queued: the paint still has to reach the screen, and the engine's
    // start would hold it back.
    qApp->removeEventFilter(this);
    painted_window_ = nullptr;
    QMetaObject::invokeMethod(this, &Browser::StartEngine, Qt::QueuedConnection);
    return false;
  }
  return QWidget::eventFilter(watched, event);
}

void Browser::Navigate(const QString& address) {
  if (address.isEmpty()) {
    SetShownFile(QString());
    Load(QUrl(QStringLiteral("about:blank")));
    return;
  }
  QUrl url(address);
  // A one-letter scheme is a drive letter, and a path with a colon in a
  // file name is still a path.
  const bool is_url = url.scheme().size() > 1 && !address.startsWith(QLatin1Char('/'));
  if (!is_url) url = QUrl::fromLocalFile(QFileInfo(address).absoluteFilePath());
  if (!url.isLocalFile()) {
    SetShownFile(QString());
    Load(url);
    return;
  }
  SetShownFile(CleanLocalPath(url));
  // The query and fragment travel along: a query that changes makes the
  // same file a new document.
  QUrl page = PageUrl(shown_file_);
  if (url.hasQuery()) page.setQuery(url.query(QUrl::FullyEncoded), QUrl::StrictMode);
  if (url.hasFragment()) page.setFragment(url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
  Load(page);
}

void Browser::SetShownFile(const QString& clean_path) {
  shown_file_ = clean_path;
  if (engine_) engine_->SetAllowedFile(clean_path);  // else handed over when the engine starts
}

void Browser::SetSilent(bool silent) { silent_ = silent; }

void Browser::SetZoomPercent(int percent) {
  zoom_percent_ = std::clamp(percent, kMinZoomPercent, kMaxZoomPercent);
  requested_zoom_percent_ = zoom_percent_;
  if (engine_) engine_->SetZoomPercent(zoom_percent_);  // else applied when the engine starts
}

void Browser::RequestZoomPercent(int percent) {
  requested_zoom_percent_ = std::clamp(percent, kMinZoomPercent, kMaxZoomPercent);
  if (zoom_handover_queued_) return;
  zoom_handover_queued_ = true;
  // Handed over once the events already waiting have run: requests made in
  // the meantime only replace the waiting one. The page's renderer merges
  // zooms that reach it while it draws, so waiting any longer here (for it
  // to confirm the last one, say) would only add a layout to the end of a
  // drag.
  QMetaObject::invokeMethod(
      this,
      [this] {
        zoom_handover_queued_ = false;
        if (requested_zoom_percent_ != zoom_percent_) SetZoomPercent(requested_zoom_percent_);
      },
      Qt::QueuedConnection);
}

}  // namespace platform
