#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineView>

#include <functional>

class QWebEngineProfile;

namespace platform {

class BrowserPage;
class LocalPageInterceptor;
class PageSchemeHandler;

// Whether an HTML page declares its own character set (byte order mark,
// XML declaration, or a meta element naming a charset).
bool PageDeclaresCharset(const QByteArray& page);

// The embedded page viewer. It shows one local HTML file at a time, treats
// that page as untrusted (the page text comes from a data file anyone can
// edit): the page reaches no network, reads no other file, opens no window
// and stores nothing on disk. loadFinished(bool) is QWebEngineView's own.
class Browser : public QWebEngineView {
  Q_OBJECT

 public:
  static constexpr int kMinZoomPercent = 20;
  static constexpr int kMaxZoomPercent = 300;

  // When the web engine behind the view starts. Starting it takes the
  // thread for a good part of a second on a slow machine; a window that
  // should be on screen before then lets its first paint go first.
  enum class EngineStart {
    AtOnce,
    // After the first paint of the window holding the view, or as soon as
    // something needs the page (page(), url(), title() or StartEngine()).
    AfterWindowPainted,
  };

  explicit Browser(QWidget* parent = nullptr, EngineStart start = EngineStart::AtOnce);
  ~Browser() override;

  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;

  // An empty address shows about:blank. A local path (relative ones are
  // taken from the working folder) or a file: URL shows that file and makes
  // it the only file the view may read. Any other address is loaded as a
  // URL and, not being local, ends in loadFinished(false). A local page
  // that declares no character set is read as Windows-1251, the book's code
  // page; one that declares its own keeps it.
  void Navigate(const QString& address);

  // The local file the view was last sent to (a clean absolute path), empty
  // after a blank or non-local address. Set at once, even while the engine
  // has yet to start.
  const QString& ShownFile() const { return shown_file_; }

  // Starts the web engine now if it has not started yet. Until it has, the
  // view shows an empty white area, Navigate only remembers the address
  // (the last one asked for is loaded when the engine starts), and zoom and
  // silence are kept for the page to come.
  void StartEngine();
  bool EngineRunning() const { return page_ != nullptr; }
  // The point where features hook into the page: fn runs once the engine has
  // started and the page exists, before the first navigation is carried
  // out; at once when it already runs. Code that needs the page must come
  // through here (or through page()), never through QWebEngineView's own
  // members that reach for a page before there is one of ours: those would
  // make a default page with none of this view's protections.
  void WhenEngineStarted(QObject* context, std::function<void()> fn);

  // QWebEngineView's, except that they start the engine when it has not
  // started yet (Qt's own would make an unprotected default page).
  QWebEnginePage* page() const;
  QUrl url() const;
  QString title() const;
  bool hasSelection() const;
  QString selectedText() const;

  // While silent, alert/confirm/prompt, beforeunload and script errors never
  // show a dialog or block: a confirm counts as OK, a prompt as OK with its
  // default text, and console messages are dropped.
  void SetSilent(bool silent);
  bool Silent() const { return silent_; }

  // Optical zoom of every page shown from now on. Values below 20 give 20 and
  // values above 300 give 300 (the zoom slider's range); ZoomPercent returns
  // the clamped value.
  void SetZoomPercent(int percent);
  int ZoomPercent() const { return zoom_percent_; }

  // The same zoom for a stream of requests, such as a slider being dragged:
  // the zoom is handed to the page as soon as the events already waiting
  // have run, and requests made before then only replace the waiting one.
  // So no backlog of stale zoom steps builds up, and the zoom in force at
  // the end is always the last one requested.
  void RequestZoomPercent(int percent);
  // The latest zoom requested or set (clamped like ZoomPercent).
  int RequestedZoomPercent() const { return requested_zoom_percent_; }

 signals:
  // The wheel turned over the page with Ctrl held, in whole notches (away
  // from the reader positive). The page itself does not zoom on it: the
  // window's zoom slider does, so the two never disagree.
  void CtrlWheelTurned(int notches);
  // The engine has started: page() is this view's own page.
  void EngineStarted();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Qt's own show, hide and close handlers and its drag handler reach for
  // the page; before the engine starts there is none to tell.
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;

 private:
  void ApplyZoomToCurrentDocument();
  void SetShownFile(const QString& clean_path);
  void Load(const QUrl& url);

  bool silent_ = false;
  int zoom_percent_ = 100;
  int requested_zoom_percent_ = 100;
  bool zoom_handover_queued_ = false;
  int ctrl_wheel_angle_ = 0;  // eighths of a degree short of a whole notch
  QWebEngineProfile* profile_ = nullptr;
  LocalPageInterceptor* interceptor_ = nullptr;
  PageSchemeHandler* page_scheme_ = nullptr;
  QString shown_file_;
  BrowserPage* page_ = nullptr;
  // The last address asked for before the engine started.
  QUrl pending_load_;
  bool load_pending_ = false;
  QObject* painted_window_ = nullptr;  // watched for its first paint
  QWidget* engine_stand_in_ = nullptr;
};

}  // namespace platform
