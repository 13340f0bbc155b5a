#pragma once
// The plain controls of the main window. Each keeps the behaviour the window
// relies on: the list box raises its click also when the program sets the
// index (start-up shows page 2 that way), labels sit beneath every other
// control, and every handler is a plain callback.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

#include "drawing/Colour.h"
#include "drawing/Font.h"

namespace platform {

class ListBox : public QListWidget {
 public:
  explicit ListBox(QWidget* parent);
  void AddItem(const QString& text);
  int ListCount() const { return count(); }
  int ListIndex() const { return currentRow(); }
  // Selects the item and raises Click, as a user's click would.
  void SetListIndex(int index);

  std::function<void()> click;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
};

// The file names of one folder, in the order the caller gives them.
class FileListBox : public QListWidget {
 public:
  explicit FileListBox(QWidget* parent);
  void SetFiles(const QString& folder, const std::vector<std::string>& names);
  const QString& Path() const { return folder_; }
  int ListCount() const { return count(); }
  int ListIndex() const { return currentRow(); }
  void SetListIndex(int index) { setCurrentRow(index); }
  std::string FileName(int index) const;

 private:
  QString folder_;
  std::vector<std::string> names_;
};

class Label : public QLabel {
 public:
  explicit Label(QWidget* parent);
  void SetBackColor(drawing::Colour colour);
  drawing::Colour BackColor() const { return back_; }
  void SetForeColor(drawing::Colour colour);
  drawing::Colour ForeColor() const { return fore_; }
  void SetCaption(const QString& caption) { setText(caption); }
  QString Caption() const { return text(); }
  void SetStoredFont(const drawing::Font& font);

  std::function<void()> click;
  // Resolves system colours for the palette; set by the window.
  std::function<drawing::Colour(drawing::Colour)> resolve;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ApplyColours();
  drawing::Colour back_ = drawing::kButtonFace;
  drawing::Colour fore_ = 0x80000012u;
};

class Button : public QPushButton {
 public:
  Button(const QString& caption, QWidget* parent);
  std::function<void()> click;
};

}  // namespace platform
