#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>

#include "platform/PageShared.h"

class QLabel;
class QPageLayout;
class QPrinter;
class QWebEnginePage;

namespace platform {

class PageEngine;

// The embedded page viewer. It shows one local HTML file at a time, treats
// that page as untrusted (the page text comes from a data file anyone can
// edit): the page reaches no network, reads no other file, opens no window
// and stores nothing on disk. The web engine itself lives in a module of
// its own (see WebEngineModule.h); this widget holds it once it runs, and
// until then keeps what it is asked for.
class Browser : public QWidget {
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
  // silence are kept for the page to come. When the engine cannot be
  // loaded, the view says so in place of the page, EngineProblem tells why,
  // and every navigation ends in loadFinished(false).
  void StartEngine();
  bool EngineRunning() const { return engine_ != nullptr; }
  const QString& EngineProblem() const { return engine_problem_; }
  // The point where features hook into the page: fn runs once the engine has
  // started and the page exists, before the first navigation is carried
  // out; at once when it already runs.
  void WhenEngineStarted(QObject* context, std::function<void()> fn);

  // These start the engine when it has not started yet. page() is the
  // engine's own page (nullptr when the engine could not be loaded), for
  // code that links the engine itself.
  QWebEnginePage* page() const;
  QUrl url() const;
  QString title() const;
  bool hasSelection() const;
  QString selectedText() const;
  qreal zoomFactor() const;

  // Finds text in the page, from the current match on; findTextFinished
  // reports the outcome. An empty text ends the search and its highlight.
  void findText(const QString& text, bool backward = false);
  void SelectAll();
  // Whether printing and PDF keep the page's background colours.
  void SetPrintElementBackgrounds(bool on);
  // printFinished reports the end; the printer must live until then.
  void print(QPrinter* printer);
  // done gets the document, empty when it could not be made.
  void printToPdf(std::function<void(const QByteArray& pdf)> done, const QPageLayout& layout);

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
  void loadFinished(bool ok);
  void titleChanged(const QString& title);
  void printFinished(bool ok);
  void findTextFinished(int activeMatch, int numberOfMatches);
  // The wheel turned over the page with Ctrl held, in whole notches (away
  // from the reader positive). The page itself does not zoom on it: the
  // window's zoom slider does, so the two never disagree.
  void CtrlWheelTurned(int notches);
  // The engine has started: page() is this view's own page.
  void EngineStarted();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void SetShownFile(const QString& clean_path);
  void Load(const QUrl& url);
  void ShowEngineProblem();

  bool silent_ = false;
  bool print_backgrounds_ = false;
  int zoom_percent_ = 100;
  int requested_zoom_percent_ = 100;
  bool zoom_handover_queued_ = false;
  QString shown_file_;
  PageEngine* engine_ = nullptr;
  bool engine_tried_ = false;
  QString engine_problem_;
  QLabel* problem_label_ = nullptr;
  QUrl failed_url_;
  // The last address asked for before the engine started.
  QUrl pending_load_;
  bool load_pending_ = false;
  QObject* painted_window_ = nullptr;  // watched for its first paint
  QWidget* engine_stand_in_ = nullptr;
};

}  // namespace platform
