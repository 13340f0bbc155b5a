#pragma once
// The page's own context menu and what it offers: Back and Forward through
// the reader's history, Copy, Select all, Find in the page, Print…, Save as
// PDF… and the three zoom entries, which go through the zoom slider. Also
// the page's keys and mouse buttons for Back and Forward, and Ctrl+P.
// The engine's own menu, history and downloads are never used.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QMenu;
class QPrinter;
class QWidget;

namespace platform {
class Browser;
}

namespace reader {

// What the menu acts on; every entry goes through one of these.
struct PageActions {
  std::function<void()> back;
  std::function<void()> forward;
  std::function<bool()> canGoBack;
  std::function<bool()> canGoForward;
  // The zoom slider's Value and its setter.
  std::function<int()> zoom;
  std::function<void(int)> setZoom;
  // A message for the user (a failed print or save).
  std::function<void(const QString&)> report;
  // A name for the saved file, without folder or extension.
  std::function<QString()> suggestedName;
};

// Writes bytes to path as a whole or not at all (an existing file stays as
// it was on failure); returns the reason for a failure, empty on success.
QString WriteWholeFile(const QString& path, const QByteArray& bytes);

class PageMenu : public QObject {
  Q_OBJECT

 public:
  static constexpr int kZoomStep = 10;
  static constexpr int kActualSize = 100;

  // window receives the Ctrl+P and Alt+Left/Alt+Right shortcuts; the page's
  // own widgets and the window's background get the mouse's back and
  // forward buttons and, on the page, Backspace.
  PageMenu(platform::Browser& browser, QWidget& window, PageActions actions);
  ~PageMenu() override;

  // A new menu with the entries enabled as things stand now; the caller
  // owns it.
  QMenu* Build(QWidget* parent);

  // Find in the page: the entry appears once this is set.
  void SetFindInPage(std::function<void()> find) { findInPage_ = std::move(find); }

  void Print();
  void SaveAsPdf();

  // The dialogs. choosePrinter returns the printer to print on, or nothing
  // when the user cancelled; choosePdfFile a file name, or an empty one.
  // Tests put their own in place.
  std::function<std::unique_ptr<QPrinter>(QWidget* parent)> choosePrinter;
  std::function<QString(QWidget* parent, const QString& suggestedPath)> choosePdfFile;
  // Called once a print or a save has ended (ok false: it failed and the
  // user was told).
  std::function<void(bool ok)> printDone;
  std::function<void(const QString& path, bool ok)> pdfDone;

  // The folder the PDF dialog starts in: the user's documents folder when
  // it exists, else the home folder (no folder is created for it).
  static QString StartFolder();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool OnPage(QObject* object) const;
  // A text field on the page has the keyboard.
  bool EditingText(QObject* object) const;

  platform::Browser& browser_;
  // Events still pass the application's filter while the window is torn down.
  QPointer<platform::Browser> browserAlive_;
  QWidget& window_;
  PageActions actions_;
  std::function<void()> findInPage_;
  std::unique_ptr<QPrinter> printer_;  // lives until the engine is done with it
  bool saving_ = false;
};

}  // namespace reader
