#pragma once
// The boundary between the window's program and the web engine module
// (web/reader_web.so). The program does not link the web engine: loading it
// takes longer than drawing the whole window, so the module is loaded on
// the side while the window is built and painted. Everything the program
// asks of the engine goes through these virtual calls, so nothing in the
// program names a symbol of the engine's libraries.
#include <QString>
#include <QUrl>

#include <functional>

class QByteArray;
class QPageLayout;
class QPrinter;
class QWebEnginePage;
class QWidget;

namespace platform {

// What the engine tells the view that holds it.
struct PageEngineHooks {
  std::function<void(bool ok)> loadFinished;
  std::function<void(const QString& title)> titleChanged;
  std::function<void(bool ok)> printFinished;
  std::function<void(int activeMatch, int numberOfMatches)> findTextFinished;
  // Ctrl+wheel over the page, in whole notches (away from the reader
  // positive); the page does not zoom on it by itself.
  std::function<void(int notches)> ctrlWheelTurned;
  // Whether alert/confirm/prompt and console messages stay silent.
  std::function<bool()> silent;
};

// One page view of the engine, a child widget of the view that made it.
// Deleting it deletes the widget, its page and its profile.
class PageEngine {
 public:
  virtual ~PageEngine() = default;

  virtual QWidget& Widget() = 0;
  virtual QWebEnginePage* Page() const = 0;
  // The only file the page may read (a clean absolute path), or none.
  virtual void SetAllowedFile(const QString& clean_path) = 0;
  virtual void Load(const QUrl& url) = 0;
  // Already clamped to the zoom slider's range.
  virtual void SetZoomPercent(int percent) = 0;
  virtual qreal ZoomFactor() const = 0;
  virtual QUrl Url() const = 0;
  virtual QString Title() const = 0;
  virtual bool HasSelection() const = 0;
  virtual QString SelectedText() const = 0;
  // An empty text ends the search and its highlight.
  virtual void FindText(const QString& text, bool backward) = 0;
  virtual void SelectAll() = 0;
  virtual void SetPrintElementBackgrounds(bool on) = 0;
  virtual void Print(QPrinter* printer) = 0;
  virtual void PrintToPdf(std::function<void(const QByteArray& pdf)> done, const QPageLayout& layout) = 0;
};

// The module's one exported function, looked up by this name.
inline constexpr char kCreatePageEngineSymbol[] = "reader_create_page_engine";
using CreatePageEngineFunction = PageEngine* (*)(QWidget* parent, PageEngineHooks hooks);

}  // namespace platform
