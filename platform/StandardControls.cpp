#include "platform/StandardControls.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/QtSurface.h"

namespace platform {

ListBox::ListBox(QWidget* parent) : QListWidget(parent) { setSelectionMode(QAbstractItemView::SingleSelection); }

void ListBox::AddItem(const QString& text) { addItem(text); }

void ListBox::SetListIndex(int index) {
  setCurrentRow(index);
  if (click) click();
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  if (itemAt(event->position().toPoint()) && click) click();
}

void ListBox::keyReleaseEvent(QKeyEvent* event) {
  QListWidget::keyReleaseEvent(event);
  // Arrow keys move the selection and show the page, as a click does.
  if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down || event->key() == Qt::Key_Home ||
       event->key() == Qt::Key_End || event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) &&
      click)
    click();
}

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {}

void FileListBox::SetFiles(const QString& folder, const std::vector<std::string>& names) {
  folder_ = folder;
  names_ = names;
  clear();
  for (const std::string& name : names_) addItem(QString::fromStdString(name));
}

std::string FileListBox::FileName(int index) const {
  if (index < 0 || index >= static_cast<int>(names_.size())) return {};
  return names_[static_cast<std::size_t>(index)];
}

Label::Label(QWidget* parent) : QLabel(parent) {
  setAutoFillBackground(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWordWrap(true);
}

void Label::SetBackColor(drawing::Colour colour) {
  back_ = colour;
  ApplyColours();
}

void Label::SetForeColor(drawing::Colour colour) {
  fore_ = colour;
  ApplyColours();
}

void Label::SetStoredFont(const drawing::Font& font) { setFont(ToQFont(font)); }

void Label::ApplyColours() {
  auto toQ = [this](drawing::Colour c) {
    const drawing::Colour plain = resolve ? resolve(c) : (c & 0x00FFFFFFu);
    return QColor(drawing::RedOf(plain), drawing::GreenOf(plain), drawing::BlueOf(plain));
  };
  QPalette p = palette();
  p.setColor(QPalette::Window, toQ(back_));
  p.setColor(QPalette::WindowText, toQ(fore_));
  setPalette(p);
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (rect().contains(event->position().toPoint()) && click) click();
}

Button::Button(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
  connect(this, &QPushButton::clicked, [this] {
    if (click) click();
  });
}

}  // namespace platform
