// The web engine module: the page view proper, loaded by the reader while
// its window is built, so that the window can be painted before the web
// engine's libraries are even in memory.
#include <QApplication>
#include <QBuffer>
#include <QChildEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFindTextResult>
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
#include <QWebEngineView>
#include <QWheelEvent>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

#include "platform/PageEngine.h"
#include "platform/PageShared.h"
#include "platform/web/PageStoppedCover.h"

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

// The engine reads its schemes once, when its first profile is made; the
// module registers its own before that, on first use.
void RegisterPageScheme() {
  static const bool registered = [] {
    QWebEngineUrlScheme scheme(kPageScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Like file: a page on the network may not link to or load it.
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
    return true;
  }();
  (void)registered;
}

// The one file the view may read, set on the UI thread and asked from
// whichever thread Qt runs the scheme handler and the interceptor on. Both
// hold it, so it outlives whichever of them goes last.
class AllowedPage {
 public:
  void Set(const QString& clean_path) {
    QMutexLocker lock(&mutex_);
    file_ = clean_path;
  }

  bool Allows(const QUrl& url) {
    QMutexLocker lock(&mutex_);
    return IsAllowedPage(url, file_);
  }

 private:
  QMutex mutex_;
  QString file_;
};

// Serves the one page the view may show, as the bytes on disk. The book's
// pages were written in Windows-1251 and many do not say so; left to guess,
// the engine has read such a Cyrillic page as Hebrew. So a page that
// declares no character set is sent as Windows-1251, and one that declares
// its own keeps it.
class PageSchemeHandler : public QWebEngineUrlSchemeHandler {
 public:
  PageSchemeHandler(std::shared_ptr<AllowedPage> allowed, QObject* parent)
      : QWebEngineUrlSchemeHandler(parent), allowed_(std::move(allowed)) {}

  void requestStarted(QWebEngineUrlRequestJob* job) override {
    const QString path = QDir::cleanPath(job->requestUrl().path());
    if (!allowed_->Allows(job->requestUrl())) {
      job->fail(QWebEngineUrlRequestJob::RequestDenied);
      return;
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
  std::shared_ptr<AllowedPage> allowed_;
};

// Lets through only what the page being shown needs: its own file and the
// schemes that never leave the process (about:, data:, blob:). Everything
// else, network of every kind (loopback included) and every other file, is
// blocked, so a page cannot reach a server or read a neighbouring file even
// through a path the settings do not cover.
class LocalPageInterceptor : public QWebEngineUrlRequestInterceptor {
 public:
  LocalPageInterceptor(std::shared_ptr<AllowedPage> allowed, QObject* parent)
      : QWebEngineUrlRequestInterceptor(parent), allowed_(std::move(allowed)) {}

  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    const QUrl url = info.requestUrl();
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("about") || scheme == QLatin1String("data") || scheme == QLatin1String("blob")) return;
    if (scheme == QLatin1String(kPageScheme) && allowed_->Allows(url)) return;
    info.block(true);
  }

 private:
  std::shared_ptr<AllowedPage> allowed_;
};

// Answers every question a page can ask without a dialog when the browser
// is silent, and never opens a window or a file chooser or grants a
// permission.
class BrowserPage : public QWebEnginePage {
 public:
  BrowserPage(QWebEngineProfile* profile, std::function<bool()> silent)
      : QWebEnginePage(profile), silent_(std::move(silent)) {
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
    if (!Silent()) QWebEnginePage::javaScriptAlert(origin, message);
  }

  // beforeunload arrives here too; answering false would silently cancel the
  // next Navigate, so the silent answer is always OK.
  bool javaScriptConfirm(const QUrl& origin, const QString& message) override {
    if (!Silent()) return QWebEnginePage::javaScriptConfirm(origin, message);
    return true;
  }

  bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& default_value,
                        QString* result) override {
    if (!Silent()) return QWebEnginePage::javaScriptPrompt(origin, message, default_value, result);
    if (result) *result = default_value;
    return true;
  }

  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override {
    if (!Silent()) QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
  }

 private:
  bool Silent() const { return silent_ && silent_(); }

  std::function<bool()> silent_;
};

// The engine's own view, filling the view that made it. It treats the page
// as untrusted (the page text comes from a data file anyone can edit): the
// page reaches no network, reads no other file, opens no window and stores
// nothing on disk.
class EngineView : public QWebEngineView, public PageEngine {
 public:
  EngineView(QWidget* parent, PageEngineHooks hooks);
  ~EngineView() override;

  QWidget& Widget() override { return *this; }
  QWebEnginePage* Page() const override { return page_; }
  void SetAllowedFile(const QString& clean_path) override {
    allowed_->Set(clean_path);
  }
  void Load(const QUrl& url) override { page_->load(url); }
  void SetZoomPercent(int percent) override;
  qreal ZoomFactor() const override { return page_->zoomFactor(); }
  QUrl Url() const override { return page_->url(); }
  QString Title() const override { return page_->title(); }
  bool HasSelection() const override { return page_->hasSelection(); }
  QString SelectedText() const override { return page_->selectedText(); }
  void FindText(const QString& text, bool backward) override {
    page_->findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
  }
  void SelectAll() override {
    page_->runJavaScript(QStringLiteral("if (document.body) window.getSelection().selectAllChildren(document.body);"),
                         QWebEngineScript::ApplicationWorld);
  }
  void SetPrintElementBackgrounds(bool on) override {
    page_->settings()->setAttribute(QWebEngineSettings::PrintElementBackgrounds, on);
  }
  void Print(QPrinter* printer) override { QWebEngineView::print(printer); }
  void PrintToPdf(std::function<void(const QByteArray&)> done, const QPageLayout& layout) override {
    page_->printToPdf(std::move(done), layout);
  }

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyZoomToCurrentDocument();

  PageEngineHooks hooks_;
  int zoom_percent_ = 100;
  int ctrl_wheel_angle_ = 0;  // eighths of a degree short of a whole notch
  QWebEngineProfile* profile_ = nullptr;
  std::shared_ptr<AllowedPage> allowed_ = std::make_shared<AllowedPage>();
  BrowserPage* page_ = nullptr;
};

EngineView::EngineView(QWidget* parent, PageEngineHooks hooks) : QWebEngineView(parent), hooks_(std::move(hooks)) {
  RegisterPageScheme();
  // No storage name: an off-the-record profile, so cookies, local storage
  // and the HTTP cache live in memory only and nothing lands on disk. The
  // profile belongs to this view and outlives its page (see the destructor).
  profile_ = new QWebEngineProfile(this);
  profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
  profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  profile_->setSpellCheckEnabled(false);
  profile_->setUrlRequestInterceptor(new LocalPageInterceptor(allowed_, profile_));
  profile_->installUrlSchemeHandler(kPageScheme, new PageSchemeHandler(allowed_, profile_));
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

  page_ = new BrowserPage(profile_, hooks_.silent);
  QWebEngineView::setPage(page_);
  new PageStoppedCover(this, page_);

  connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
    if (hooks_.loadFinished) hooks_.loadFinished(ok);
  });
  connect(this, &QWebEngineView::titleChanged, this, [this](const QString& title) {
    if (hooks_.titleChanged) hooks_.titleChanged(title);
  });
  connect(this, &QWebEngineView::printFinished, this, [this](bool ok) {
    if (hooks_.printFinished) hooks_.printFinished(ok);
  });
  connect(page_, &QWebEnginePage::findTextFinished, this, [this](const QWebEngineFindTextResult& result) {
    if (hooks_.findTextFinished) hooks_.findTextFinished(result.activeMatch(), result.numberOfMatches());
  });
}

EngineView::~EngineView() {
  // The page must go before its profile (a child of this widget, deleted
  // after this body); Qt warns of trouble when a profile is released under a
  // live page. Deleting the page also detaches it from this view.
  delete page_;
  page_ = nullptr;
}

bool EngineView::event(QEvent* event) {
  // Chromium's view widget arrives as a child after the page is set; it is
  // the one that receives the mouse.
  if (event->type() == QEvent::ChildPolished)
    if (auto* child = static_cast<QChildEvent*>(event)->child(); child && child->isWidgetType())
      child->installEventFilter(this);
  return QWebEngineView::event(event);
}

bool EngineView::eventFilter(QObject* watched, QEvent* event) {
  // Ctrl+wheel would zoom the page by itself, behind the zoom slider's
  // back (and Qt reports no change): the slider alone sets the zoom, and
  // the window hears of the notches to move it.
  if (event->type() == QEvent::Wheel && (static_cast<QWheelEvent*>(event)->modifiers() & Qt::ControlModifier)) {
    // A notch is 120; finer wheels add up to whole notches.
    constexpr int kNotch = QWheelEvent::DefaultDeltasPerStep;
    ctrl_wheel_angle_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
    const int notches = ctrl_wheel_angle_ / kNotch;
    ctrl_wheel_angle_ -= notches * kNotch;
    if (notches != 0 && hooks_.ctrlWheelTurned) hooks_.ctrlWheelTurned(notches);
    return true;
  }
  return QWebEngineView::eventFilter(watched, event);
}

void EngineView::SetZoomPercent(int percent) {
  zoom_percent_ = percent;
  page_->setZoomFactor(std::max(zoom_percent_, kSmallestFactorPercent) / 100.0);
  ApplyZoomToCurrentDocument();
}

void EngineView::ApplyZoomToCurrentDocument() {
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

}  // namespace

}  // namespace platform

extern "C" __attribute__((visibility("default"))) platform::PageEngine* reader_create_page_engine(
    QWidget* parent, platform::PageEngineHooks hooks) {
  return new platform::EngineView(parent, std::move(hooks));
}
