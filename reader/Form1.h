#pragma once
// The reader's one window. It owns the page store, the page file in the
// user's private temporary folder, and every control; it starts the book,
// lays the controls out on every resize, shows pages in the window's colour
// theme and carries the author's packing buttons.
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "drawing/DesignFile.h"
#include "reader/core/History.h"
#include "reader/core/PageStore.h"
#include "platform/QtHost.h"

namespace platform {
class Browser;
class ListBox;
class FileListBox;
class Label;
class Button;
class QtSurface;
}  // namespace platform
namespace tree {
class Tray;
}
namespace slider {
class Hscroll;
}

namespace reader {

class BookSearchField;
class FindBar;
class SearchIndexer;
class PageMenu;
class ZoomHint;

class Form1 : public QWidget {
 public:
  // appFolder holds Data.dat, Data/names.txt and Lor2.
  explicit Form1(std::filesystem::path appFolder, QWidget* parent = nullptr);
  ~Form1() override;

  // The window's load: every step runs even when an earlier one failed.
  void Load();
  // The window's unload; harmless to repeat.
  void Unload();

  // "RRGGBB" for three components, "err" when one is outside 0..255.
  static std::string RGBtoHTML(long long red, long long green, long long blue);

  // One wheel notch from anywhere on the desktop: hands the direction text
  // ("+" or "-") unchanged to the tree's ScrollM.
  void Scrol(std::string& direction);

  platform::Browser& WebBrowser1() { return *browser_; }
  platform::ListBox& List1() { return *list1_; }
  platform::FileListBox& File1() { return *file1_; }
  platform::Label& Label1(int index) { return *label1_[index]; }
  platform::Label& Label2(int index) { return *label2_[index]; }
  platform::Button& Command1() { return *command1_; }
  platform::Button& Command2() { return *command2_; }
  platform::Button& Command3() { return *command3_; }
  QWidget& Picture1() { return *picture1_; }
  tree::Tray& Tray1() { return *tray1_; }
  QWidget& Tray1Widget();
  slider::Hscroll& Hscroll2() { return *hscroll2_; }
  QWidget& Hscroll2Widget();
  FindBar& PageFind() { return *findBar_; }
  BookSearchField& BookSearch() { return *bookSearch_; }
  SearchIndexer& Indexer() { return *indexer_; }

  const PageStore& Store() const { return store_; }
  const std::filesystem::path& PageFile() const { return pageFile_; }
  // Back and Forward through the pages shown, each shown afresh.
  void GoBack();
  void GoForward();
  const History& PageHistory() const { return history_; }
  PageMenu& PageContextMenu() { return *pageMenu_; }
  ZoomHint& Hscroll2Hint() { return *zoomHint_; }

  // The most recent error shown to the user, empty when none was.
  const QString& LastError() const { return lastError_; }

  // Client size of the design.
  static constexpr int kDesignWidth = 1195;
  static constexpr int kDesignHeight = 639;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void LayoutControls();
  void ShowPage(int slot);
  std::string ColorToHtml(drawing::Colour colour) const;

  void List1Click();
  void Tray1VibranFil(const std::string& pageField);
  void Hscroll2Scroll();
  void Label1Click();
  void Command1Click();
  void Command2Click();

  void CreateSearch();
  // Keyboard use (FormKeys.cpp): the focus order, F6 between the contents
  // and the page, the zoom keys and Ctrl+wheel over the page.
  void SetUpKeyboard();
  void SwitchPane();
  void ZoomBy(int percent);
  void ZoomTo(int percent);

  void ReportError(const QString& text);
  void ShowMessages();

  std::filesystem::path appFolder_;
  std::filesystem::path pageFile_;
  PageStore store_;
  platform::QtHost host_;
  drawing::Design design_;
  bool hookInstalled_ = false;
  unsigned long long pagesShown_ = 0;
  QString lastError_;
  // Why there is no page file, for the message when a page is asked for.
  std::string tempFolderProblem_;
  // Messages waiting for the window to be shown, or shown above it.
  QList<QPointer<QWidget>> messages_;
  History history_;
  PageMenu* pageMenu_ = nullptr;
  ZoomHint* zoomHint_ = nullptr;

  QWidget* picture1_ = nullptr;
  platform::Label* label2_[2] = {};
  platform::Button* command3_ = nullptr;
  platform::Button* command1_ = nullptr;
  platform::FileListBox* file1_ = nullptr;
  platform::Button* command2_ = nullptr;
  platform::ListBox* list1_ = nullptr;
  platform::Browser* browser_ = nullptr;
  std::unique_ptr<slider::Hscroll> hscroll2_;
  std::unique_ptr<tree::Tray> tray1_;
  platform::Label* label1_[2] = {};
  SearchIndexer* indexer_ = nullptr;
  FindBar* findBar_ = nullptr;
  BookSearchField* bookSearch_ = nullptr;
};

}  // namespace reader
