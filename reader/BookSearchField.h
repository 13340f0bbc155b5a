#pragma once
// Search the book: a field in the header band with a list that drops down
// under it as the reader types, best pages first, each with its name as the
// contents show it, its page number and a one-line snippet with the matched
// words in bold. Up and Down move through the list, Enter or a click chooses,
// Esc closes it. Until the index is ready the list says so, and shows the
// results as soon as it is.
#include <QFrame>
#include <QLineEdit>
#include <QString>
#include <functional>
#include <vector>

#include "search/BookIndex.h"

class QLabel;

namespace reader {

class SearchIndexer;

class BookSearchField : public QLineEdit {
  Q_OBJECT

 public:
  // window: where the list drops down (above everything in it) and where
  // Ctrl+K and Ctrl+Shift+F put the keyboard into the field.
  BookSearchField(const SearchIndexer& indexer, QWidget& window);

  // A result was chosen: its page slot and the first matched text of it.
  std::function<void(int slot, const QString& match)> chosen;
  // A query was typed before any index was asked for.
  std::function<void()> indexWanted;

  // The index has become ready (or was rebuilt): the open list is redone.
  void IndexReady();

  // What the list shows: its rows' plain texts (a message is one row), and
  // which row is current (-1 for none).
  QStringList Rows() const;
  int CurrentRow() const { return current_; }
  bool ListShown() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Update();
  void ShowMessage(const QString& text);
  void ShowHits();
  void SetCurrent(int row);
  void Choose(int row);
  void CloseList();
  void PlaceList();
  void AddRow();
  void WarmUpRows();

  const SearchIndexer& indexer_;
  QWidget& window_;
  QFrame* list_ = nullptr;
  std::vector<QLabel*> labels_;
  std::vector<search::Hit> hits_;
  int current_ = -1;
};

}  // namespace reader
