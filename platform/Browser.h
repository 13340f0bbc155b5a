#pragma once

#include <QString>
#include <QWebEngineView>

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

  explicit Browser(QWidget* parent = nullptr);
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
  // after a blank or non-local address.
  const QString& ShownFile() const { return shown_file_; }

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

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyZoomToCurrentDocument();
  void SetShownFile(const QString& clean_path);

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
};

}  // namespace platform
