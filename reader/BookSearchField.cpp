#include "reader/BookSearchField.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QShortcut>
#include <QTextDocument>

#include <algorithm>

#include "reader/SearchIndexer.h"

namespace reader {
namespace {

constexpr std::size_t kMaxRows = 8;
constexpr int kListWidth = 560;
// About one line of the list's width.
constexpr std::size_t kSnippetBytes = 170;

QFont BoldFont(QFont font) {
  font.setBold(true);
  return font;
}

QString Escaped(const std::string& utf8) { return QString::fromStdString(utf8).toHtmlEscaped(); }

QString RowHtml(const search::Hit& hit, const QString& pageWord) {
  QString snippet;
  for (const search::SnippetPart& part : hit.snippet)
    snippet += part.match ? QStringLiteral("<b>%1</b>").arg(Escaped(part.text)) : Escaped(part.text);
  // The page number first: names are often wider than the list, and a
  // number after them was cut off with their end.
  return QStringLiteral("%2&nbsp;%3&nbsp;&nbsp; <b>%1</b><div style=\"white-space:pre\">%4</div>")
      .arg(Escaped(hit.name), pageWord, QString::number(hit.slot), snippet);
}

}  // namespace

BookSearchField::BookSearchField(const SearchIndexer& indexer, QWidget& window)
    : QLineEdit(&window), indexer_(indexer), window_(window) {
  setObjectName(QStringLiteral("BookSearchField"));
  setPlaceholderText(tr("Search the book"));
  setAccessibleName(tr("Search the book"));

  list_ = new QFrame(&window);
  list_->setObjectName(QStringLiteral("BookSearchList"));
  list_->setFrameShape(QFrame::Box);
  list_->setAutoFillBackground(true);
  // The window's colours: its dark background, light text.
  QPalette colours = window.palette();
  colours.setColor(QPalette::WindowText, Qt::white);
  list_->setPalette(colours);
  list_->hide();

  connect(this, &QLineEdit::textChanged, this, [this] {
    // The button shows only over text; enabled at the first, not at
    // start-up, as its icon is read through the image plugins (see
    // DecodeImage).
    setClearButtonEnabled(true);
    Update();
  });
  for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_K), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)}) {
    auto* shortcut = new QShortcut(keys, &window);
    connect(shortcut, &QShortcut::activated, this, [this] {
      setFocus(Qt::ShortcutFocusReason);
      selectAll();
      if (!text().trimmed().isEmpty()) Update();
    });
  }
}

void BookSearchField::IndexReady() {
  if (list_->isVisible()) {
    Update();
    return;
  }
  WarmUpRows();
}

void BookSearchField::AddRow() {
  auto* label = new QLabel(list_);
  label->installEventFilter(this);
  label->setAutoFillBackground(true);
  label->hide();
  labels_.push_back(label);
}

// The list's first showing would otherwise make its rows and their rich
// text, load the bold face and draw each letter for the first time: some
// 10 ms on the key that shows it. The rows are made and given a row of every
// Cyrillic and Latin letter in both faces, drawn once off screen, when the
// index arrives, while the reader reads.
void BookSearchField::WarmUpRows() {
  const QString letters = QStringLiteral(
      "АБВГДЕЁЖЗИЙКЛМНОПР"
      "СТУФХЦЧШЩЪЫЬЭЮЯ "
      "абвгдеёжзийклмнопр"
      "стуфхцчшщъыьэюя "
      "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789 .,:;!?()«»…–—");
  const std::string sample = letters.toStdString();
  search::Hit hit;
  hit.name = sample;
  hit.snippet = {{sample, false}, {sample, true}};
  const QString row = RowHtml(hit, tr("page"));
  while (labels_.size() < kMaxRows) AddRow();
  for (QLabel* label : labels_) {
    label->ensurePolished();
    label->setTextFormat(Qt::RichText);
    label->setText(row);
  }
  QLabel& probe = *labels_.front();
  probe.resize(kListWidth, probe.sizeHint().height());
  QImage canvas(probe.size(), QImage::Format_RGB32);
  probe.render(&canvas);
  // Hidden rows keep their text machinery but no text a screen reader
  // could find.
  for (QLabel* label : labels_) label->setText(QString());
}

void BookSearchField::Update() {
  hits_.clear();
  // One letter finds nothing worth a list yet.
  if (text().trimmed().size() < 2) {
    CloseList();
    return;
  }
  const search::BookIndex* index = indexer_.Index();
  if (index == nullptr) {
    if (!indexer_.Started() && indexWanted) indexWanted();
    ShowMessage(tr("Indexing\u2026"));
    return;
  }
  search::SearchOptions options;
  options.typing = !text().endsWith(QLatin1Char(' '));
  options.limit = kMaxRows;
  options.snippetBytes = kSnippetBytes;
  hits_ = index->Search(text().toStdString(), options);
  if (hits_.empty()) {
    ShowMessage(tr("Nothing found"));
    return;
  }
  ShowHits();
}

void BookSearchField::ShowMessage(const QString& message) {
  hits_.clear();
  for (QLabel* label : labels_) label->hide();
  if (labels_.empty()) AddRow();
  labels_[0]->setTextFormat(Qt::PlainText);
  labels_[0]->setText(message);
  labels_[0]->setContentsMargins(8, 6, 8, 6);
  labels_[0]->show();
  current_ = -1;
  SetCurrent(-1);
  PlaceList();
}

void BookSearchField::ShowHits() {
  while (labels_.size() < hits_.size()) AddRow();
  const QString pageWord = tr("page");
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    QLabel* label = labels_[i];
    if (i >= hits_.size()) {
      label->hide();
      continue;
    }
    label->setTextFormat(Qt::RichText);
    label->setContentsMargins(8, 4, 8, 4);
    label->setText(RowHtml(hits_[i], pageWord));
    label->show();
  }
  SetCurrent(0);
  PlaceList();
}

void BookSearchField::PlaceList() {
  const QRect field = geometry();
  const int width = std::min(kListWidth, window_.width());
  const int left = std::max(0, std::min(field.right() + 1 - width, window_.width() - width));
  // Rows are placed by hand: a layout asks every rich-text row for its
  // preferred size, which lays its text out several times over and cost
  // 7-14 ms a key. Each row is known to be one line of text (a message) or
  // two (name and page, then the snippet, kept to one line).
  const int line = std::max(QFontMetrics(font()).lineSpacing(), QFontMetrics(BoldFont(font())).lineSpacing());
  constexpr int kFrame = 1;
  int top = kFrame;
  for (QLabel* label : labels_) {
    if (label->isHidden()) continue;
    const QMargins margins = label->contentsMargins();
    const int lines = label->textFormat() == Qt::PlainText ? 1 : 2;
    const int height = lines * line + margins.top() + margins.bottom();
    label->setGeometry(kFrame, top, width - 2 * kFrame, height);
    top += height;
  }
  list_->setFixedSize(width, top + kFrame);
  list_->move(left, field.bottom() + 2);
  list_->show();
  list_->raise();
}

void BookSearchField::SetCurrent(int row) {
  current_ = hits_.empty() ? -1 : std::clamp(row, 0, static_cast<int>(hits_.size()) - 1);
  const QPalette normal = list_->palette();
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    QPalette p = normal;
    if (static_cast<int>(i) == current_) {
      p.setColor(QPalette::Window, normal.color(QPalette::Highlight));
      p.setColor(QPalette::WindowText, normal.color(QPalette::HighlightedText));
    }
    labels_[i]->setPalette(p);
  }
}

void BookSearchField::Choose(int row) {
  if (row < 0 || row >= static_cast<int>(hits_.size())) return;
  const search::Hit hit = hits_[static_cast<std::size_t>(row)];
  CloseList();
  if (chosen) chosen(hit.slot, QString::fromStdString(hit.firstMatch));
}

void BookSearchField::CloseList() {
  list_->hide();
  current_ = -1;
}

bool BookSearchField::ListShown() const { return list_->isVisible(); }

QStringList BookSearchField::Rows() const {
  QStringList rows;
  if (!list_->isVisible()) return rows;
  for (QLabel* label : labels_) {
    if (label->isHidden()) continue;
    if (label->textFormat() == Qt::PlainText) {
      rows << label->text();
    } else {
      QTextDocument document;
      document.setHtml(label->text());
      rows << document.toPlainText();
    }
  }
  return rows;
}

void BookSearchField::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Down:
      if (!list_->isVisible()) Update();
      else SetCurrent(current_ + 1);
      return;
    case Qt::Key_Up:
      SetCurrent(current_ - 1);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Choose(current_);
      return;
    case Qt::Key_Escape:
      if (list_->isVisible()) {
        CloseList();
        return;
      }
      break;
    default:
      break;
  }
  QLineEdit::keyPressEvent(event);
}

void BookSearchField::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Clicking a row takes no focus (the rows do not accept it), so only
  // leaving for another control closes the list.
  if (event->reason() != Qt::PopupFocusReason) CloseList();
}

bool BookSearchField::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (std::size_t i = 0; i < labels_.size(); ++i) {
      if (watched == labels_[i] && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Choose(static_cast<int>(i));
        return true;
      }
    }
  }
  return QLineEdit::eventFilter(watched, event);
}

}  // namespace reader
