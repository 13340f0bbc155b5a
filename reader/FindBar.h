#pragma once
// Find in the page: a small bar over the bottom edge of the page view, in
// the window's colours. It searches the shown page as the reader types
// (case-insensitively; the page highlights every match and scrolls to the
// current one), shows "current / count", and turns red with a message when
// nothing matches. Enter or F3 goes to the next match, Shift+Enter or
// Shift+F3 to the previous one, Esc closes the bar and clears the highlight.
// While it is open, every page the view shows next is searched too.
#include <QFrame>
#include <QString>

class QLabel;
class QLineEdit;
class QToolButton;

namespace platform {
class Browser;
}

namespace reader {

class FindBar : public QFrame {
  Q_OBJECT

 public:
  // window: the main window, whose colours the bar takes and on which its
  // keys (Ctrl+F, F3, Shift+F3) are live; the bar lies above the view.
  FindBar(platform::Browser& view, QWidget& window);

  // Shows the bar with the keyboard in its field. With text, the field
  // holds it and the page is searched for it: at once, or, with
  // whenPageLoads, once the next page is shown (the page a search result
  // is about to show, not the one still in the view).
  void Open(const QString& text = QString(), bool whenPageLoads = false);
  // Hides the bar and clears the highlight.
  void Close();

  // "3 / 12", the no-match message, or empty.
  QString Status() const;
  bool NothingMatches() const { return nothingMatches_; }
  int Matches() const { return matches_; }
  QLineEdit& Field() { return *field_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Find(bool backward);
  void Step(bool backward);
  void ShowResult(int activeMatch, int numberOfMatches);
  void SetNothingMatches(bool nothing);
  void Place();

  platform::Browser& view_;
  QLineEdit* field_ = nullptr;
  QLabel* status_ = nullptr;
  int matches_ = 0;
  bool nothingMatches_ = false;
};

}  // namespace reader
