#include "platform/Browser.h"
#include "platform/PageStoppedCover.h"
#include "platform/QtSurface.h"

#include <QApplication>
#include <QChildEvent>
#include <QDragEnterEvent>
#include <QPalette>
#include <QQuickWidget>
#include <QWheelEvent>

#include <algorithm>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QBuffer>

namespace platform {

namespace {

// Below this factor QWebEnginePage::setZoomFactor silently keeps the old
// factor; smaller zooms add CSS zoom on the root element on top of it.
constexpr int kSmallestFactorPercent = 25;

const QString kZoomScriptName = QStringLiteral("platform-browser-optical-zoom");

// Runs in the application's own script world so that page scripts cannot
// redefine anything it calls. The root element may not exist yet when a
// document is created, so it waits for it.
QString RootZoomScript(const QString& css_zoom) {
  return QStringLiteral(
             "(function() {"
             "  function apply() {"
             "    var root = document.documentElement;"
             "    if (!root) return false;"
             "    root.style.setProperty('zoom', '%1');"
             "    return true;"
             "  }"
             "  if (apply()) return;"
             "  new MutationObserver(function(changes, observer) {"
             "    if (apply()) observer.disconnect();"
             "  }).observe(document, {childList: true});"
             "  document.addEventListener('DOMContentLoaded', apply);"
             "})();")
      .arg(css_zoom);
}

const QString kRemoveRootZoom = QStringLiteral(
    "if (document.documentElement) document.documentElement.style.removeProperty('zoom');");

QString CleanLocalPath(const QUrl& url) { return QDir::cleanPath(QFileInfo(url.toLocalFile()).absoluteFilePath()); }

// Local pages are served through this scheme rather than file:, because
// only a served page can carry a character set: the book's pages are
// Windows-1251 and many do not say so, and a file: page without a
// declaration is decoded by guesswork (Cyrillic came out as Hebrew).
const QByteArray kPageScheme = QByteArrayLiteral("reader-page");
// Every page is served under this one host. A scheme with a host gives its
// pages a real origin; a host-less (path) scheme gives each page an opaque
// origin of its own, and the engine then started a new renderer process for
// every page: 40-80 ms of each page switch went to that process start.
const QString kPageHost = QStringLiteral("book");

// Schemes must be registered before the application object exists; a
// static object does it before main() runs, for every program that shows
// pages.
const struct PageSchemeRegistration {
  PageSchemeRegistration() {
    QWebEngineUrlScheme scheme(kPageScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Like file: a page on the network may not link to or load it.
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
  }
} kPageSchemeRegistration;

QUrl PageUrl(const QString& clean_path) {
  QUrl url;
  url.setScheme(QString::fromLatin1(kPageScheme));
  url.setHost(kPageHost);
  url.setPath(clean_path);
  return url;
}

// Whether a page-scheme address names exactly the allowed file.
bool IsAllowedPage(const QUrl& url, const QString& allowed_file) {
  return !allowed_file.isEmpty() && url.host() == kPageHost && QDir::cleanPath(url.path()) == allowed_file;
}

}  // namespace

// Whether the page names its own encoding where a browser looks for one: a
// byte order mark, an XML declaration with an encoding, or a meta element
// that mentions a charset (charset=..., or http-equiv with content
// "...; charset=..."), anywhere in the page. Generous on purpose: a
// character set sent with the page overrides the page's own declaration,
// so it is sent only when surely there is none.
bool PageDeclaresCharset(const QByteArray& page) {
  if (page.startsWith("\xEF\xBB\xBF") || page.startsWith("\xFE\xFF") || page.startsWith("\xFF\xFE")) return true;
  const QByteArray lower = page.toLower();
  if (lower.startsWith("<?xml") && lower.left(lower.indexOf("?>")).contains("encoding")) return true;
  for (qsizetype at = lower.indexOf("<meta"); at >= 0; at = lower.indexOf("<meta", at + 5)) {
    qsizetype end = lower.indexOf('>', at);
    if (end < 0) end = lower.size();
    if (lower.mid(at, end - at).contains("charset")) return true;
  }
  return false;
}

// Serves the one page the view may show, as the bytes on disk; pages that
// declare no character set are sent as Windows-1251, the book's code page.
class PageSchemeHandler : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

  void SetAllowedFile(const QString& clean_path) {
    QMutexLocker lock(&mutex_);
    allowed_file_ = clean_path;
  }

  void requestStarted(QWebEngineUrlRequestJob* job) override {
    const QString path = QDir::cleanPath(job->requestUrl().path());
    {
      QMutexLocker lock(&mutex_);
      if (!IsAllowedPage(job->requestUrl(), allowed_file_)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
      }
    }
    QFile file(path);
    // Only a plain file: the page file is one the reader itself wrote.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
      job->fail(QWebEngineUrlRequestJob::UrlNotFound);
      return;
    }
    auto* body = new QBuffer(job);
    body->setData(file.readAll());
    body->open(QIODevice::ReadOnly);
    job->reply(PageDeclaresCharset(body->data()) ? QByteArrayLiteral("text/html")
                                                 : QByteArrayLiteral("text/html;charset=windows-1251"),
               body);
  }

 private:
  QMutex mutex_;
  QString allowed_file_;
};

// Lets through only what the page being shown needs: its own file and the
// schemes that never leave the process (about:, data:, blob:). Everything
// else, network of every kind (loopback included) and every other file, is
// blocked, so a page cannot reach a server or read a neighbouring file even
// through a path the settings do not cover.
class LocalPageInterceptor : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

  void SetAllowedFile(const QString& clean_path) {
    QMutexLocker lock(&mutex_);
    allowed_file_ = clean_path;
  }

  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    const QUrl url = info.requestUrl();
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("about") || scheme == QLatin1String("data") || scheme == QLatin1String("blob")) return;
    if (scheme == QLatin1String(kPageScheme)) {
      // Navigate sets the allowed file on the UI thread; the lock keeps
      // this right whichever thread Qt runs the interceptor on.
      QMutexLocker lock(&mutex_);
      if (IsAllowedPage(url, allowed_file_)) return;
    }
    info.block(true);
  }

 private:
  QMutex mutex_;
  QString allowed_file_;
};

// Answers every question a page can ask without a dialog when the browser
// is silent, and never opens a window or a file chooser or grants a
// permission.
class BrowserPage : public QWebEnginePage {
 public:
  BrowserPage(QWebEngineProfile* profile, const Browser& browser) : QWebEnginePage(profile), browser_(browser) {
    // Geolocation, notifications, camera, microphone, screen capture and
    // mouse lock: an untrusted page gets none, and no prompt is shown.
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, QWebEnginePage::Feature feature) {
              setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
  }

 protected:
  // A page never gets a second window (window.open, target=_blank,
  // "open in new window" from the context menu).
  QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

  // No file chooser: the page must not learn about, or upload, any file.
  QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override { return {}; }

  void javaScriptAlert(const QUrl& origin, const QString& message) override {
    if (!browser_.Silent()) QWebEnginePage::javaScriptAlert(origin, message);
  }

  // beforeunload arrives here too; answering false would silently cancel the
  // next Navigate, so the silent answer is always OK.
  bool javaScriptConfirm(const QUrl& origin, const QString& message) override {
    if (!browser_.Silent()) return QWebEnginePage::javaScriptConfirm(origin, message);
    return true;
  }

  bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& default_value,
                        QString* result) override {
    if (!browser_.Silent()) return QWebEnginePage::javaScriptPrompt(origin, message, default_value, result);
    if (result) *result = default_value;
    return true;
  }

  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override {
    if (!browser_.Silent()) QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
  }

 private:
  const Browser& browser_;
};

Browser::Browser(QWidget* parent, EngineStart start) : QWebEngineView(parent) {
  // The page counts as a window of its own under the pointer, apart from
  // the main window around it.
  setProperty(kOwnWindowProperty, true);
  if (start == EngineStart::AtOnce) {
    StartEngine();
    return;
  }
  // Until the engine draws, the view is the blank white page it will show
  // first, not a hole onto the controls it covers.
  QPalette blank = palette();
  blank.setColor(QPalette::Window, Qt::white);
  setPalette(blank);
  setAutoFillBackground(true);
  // The engine draws through a Qt Quick widget, and a window that gains its
  // first such child once it is on screen is destroyed and made anew for
  // the other kind of drawing it needs (a new native window: a flicker, and
  // a window id that dies under whoever holds it). A hidden one of our own
  // makes the window of the right kind from the start.
  engine_stand_in_ = new QQuickWidget(this);
  engine_stand_in_->hide();
  // Watched through the application: a widget wholly covered by opaque
  // children is never sent a paint of its own, so any widget of the window
  // counts.
  painted_window_ = window();
  qApp->installEventFilter(this);
}

void Browser::StartEngine() {
  if (page_) return;
  if (painted_window_) qApp->removeEventFilter(this);
  painted_window_ = nullptr;
  // No storage name: an off-the-record profile, so cookies, local storage
  // and the HTTP cache live in memory only and nothing lands on disk. The
  // profile belongs to this view and outlives its page (see the destructor).
  profile_ = new QWebEngineProfile(this);
  profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
  profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  profile_->setSpellCheckEnabled(false);
  interceptor_ = new LocalPageInterceptor(profile_);
  profile_->setUrlRequestInterceptor(interceptor_);
  page_scheme_ = new PageSchemeHandler(profile_);
  profile_->installUrlSchemeHandler(kPageScheme, page_scheme_);
  // Downloads (a download link, "save page" in the context menu) would
  // write files; none is ever started.
  connect(profile_, &QWebEngineProfile::downloadRequested, this,
          [](QWebEngineDownloadRequest* download) { download->cancel(); });

  QWebEngineSettings* settings = profile_->settings();
  // By default a file: page may read any file (/etc/hostname, neighbouring
  // folders); the page we show may read nothing but itself.
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  // window.open returns null; createWindow is never even asked.
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
  // No plugin or PDF viewer code runs on page content.
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
  // Dropping a file on the view would navigate to it.
  settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
  settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
  settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
  // Keep WebRTC from listing local addresses to the page.
  settings->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
  settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
  settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
  settings->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
  settings->setAttribute(QWebEngineSettings::AllowGeolocationOnInsecureOrigins, false);
  // The pages share one origin: none may leave data for the next to read.
  settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
  // A favicon request is one more file read the page did not ask for.
  settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
  settings->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
  // A failed load shows an empty view, not Chromium's error page with the
  // file path in it.
  settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);

  page_ = new BrowserPage(profile_, *this);
  interceptor_->SetAllowedFile(shown_file_);
  page_scheme_->SetAllowedFile(shown_file_);
  if (zoom_percent_ != 100) SetZoomPercent(zoom_percent_);
  QWebEngineView::setPage(page_);
  new PageStoppedCover(this, page_);
  delete engine_stand_in_;
  engine_stand_in_ = nullptr;
  // Features hook in before the first navigation, so they see all of it.
  emit EngineStarted();
  if (load_pending_) {
    load_pending_ = false;
    Load(pending_load_);
  }
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
  return page_;
}

QUrl Browser::url() const { return page()->url(); }

QString Browser::title() const { return page()->title(); }

bool Browser::hasSelection() const { return page()->hasSelection(); }

QString Browser::selectedText() const { return page()->selectedText(); }

void Browser::Load(const QUrl& url) {
  if (!page_) {
    pending_load_ = url;
    load_pending_ = true;
    return;
  }
  page_->load(url);
}

void Browser::showEvent(QShowEvent* event) {
  if (page_)
    QWebEngineView::showEvent(event);
  else
    QWidget::showEvent(event);
}

void Browser::hideEvent(QHideEvent* event) {
  if (page_)
    QWebEngineView::hideEvent(event);
  else
    QWidget::hideEvent(event);
}

void Browser::closeEvent(QCloseEvent* event) {
  if (page_)
    QWebEngineView::closeEvent(event);
  else
    QWidget::closeEvent(event);
}

void Browser::dragEnterEvent(QDragEnterEvent* event) {
  if (page_)
    QWebEngineView::dragEnterEvent(event);
  else
    event->ignore();
}

bool Browser::event(QEvent* event) {
  // Chromium's view widget arrives as a child after the page is set; it is
  // the one that receives the mouse.
  if (event->type() == QEvent::ChildPolished)
    if (auto* child = static_cast<QChildEvent*>(event)->child(); child && child->isWidgetType())
      child->installEventFilter(this);
  return QWebEngineView::event(event);
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
  // Ctrl+wheel would zoom the page by itself, behind the zoom slider's
  // back (and Qt reports no change): the slider alone sets the zoom, and
  // the window hears of the notches to move it.
  if (event->type() == QEvent::Wheel && (static_cast<QWheelEvent*>(event)->modifiers() & Qt::ControlModifier)) {
    // A notch is 120; finer wheels add up to whole notches.
    constexpr int kNotch = QWheelEvent::DefaultDeltasPerStep;
    ctrl_wheel_angle_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
    const int notches = ctrl_wheel_angle_ / kNotch;
    ctrl_wheel_angle_ -= notches * kNotch;
    if (notches != 0) emit CtrlWheelTurned(notches);
    return true;
  }
  return QWebEngineView::eventFilter(watched, event);
}

Browser::~Browser() {
  // The page must go before its profile (a child of this widget, deleted
  // after this body); Qt warns of trouble when a profile is released under a
  // live page. Deleting the page also detaches it from this view.
  delete page_;
  page_ = nullptr;
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
  if (!page_) return;  // handed over when the engine starts
  interceptor_->SetAllowedFile(clean_path);
  page_scheme_->SetAllowedFile(clean_path);
}

void Browser::SetSilent(bool silent) { silent_ = silent; }

void Browser::SetZoomPercent(int percent) {
  zoom_percent_ = std::clamp(percent, kMinZoomPercent, kMaxZoomPercent);
  requested_zoom_percent_ = zoom_percent_;
  if (!page_) return;  // applied when the engine starts
  page_->setZoomFactor(std::max(zoom_percent_, kSmallestFactorPercent) / 100.0);
  ApplyZoomToCurrentDocument();
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

void Browser::ApplyZoomToCurrentDocument() {
  QWebEngineScriptCollection& scripts = page_->scripts();
  for (const QWebEngineScript& old : scripts.find(kZoomScriptName)) scripts.remove(old);

  if (zoom_percent_ >= kSmallestFactorPercent) {
    page_->runJavaScript(kRemoveRootZoom, QWebEngineScript::ApplicationWorld);
    return;
  }
  const double css_zoom = static_cast<double>(zoom_percent_) / kSmallestFactorPercent;
  const QString source = RootZoomScript(QString::number(css_zoom, 'g', 6));
  QWebEngineScript script;
  script.setName(kZoomScriptName);
  script.setSourceCode(source);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::ApplicationWorld);
  script.setRunsOnSubFrames(false);
  scripts.insert(script);
  // The injected script covers documents loaded from now on; this one is
  // already there.
  page_->runJavaScript(source, QWebEngineScript::ApplicationWorld);
}

}  // namespace platform
