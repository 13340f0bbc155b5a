#include "reader/FindBar.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

#include "platform/Browser.h"

namespace reader {
namespace {

constexpr int kBarWidth = 420;
constexpr int kBarHeight = 32;
constexpr int kMargin = 6;
// The field's colour when nothing matches: a light red that keeps dark
// text readable.
const QColor kNoMatchColour(0xF4, 0xA6, 0xA6);

}  // namespace

FindBar::FindBar(platform::Browser& view, QWidget& window) : QFrame(&window), view_(view) {
  setObjectName(QStringLiteral("FindBar"));
  setFrameShape(QFrame::StyledPanel);
  // The window's own colours: its dark background, light text.
  QPalette colours = window.palette();
  colours.setColor(QPalette::WindowText, Qt::white);
  setPalette(colours);
  setAutoFillBackground(true);

  field_ = new QLineEdit(this);
  field_->setPlaceholderText(tr("Find in the page"));
  field_->setAccessibleName(tr("Find in the page"));
  field_->installEventFilter(this);
  status_ = new QLabel(this);
  status_->setMinimumWidth(90);
  auto* previous = new QToolButton(this);
  previous->setText(QStringLiteral("\u25B2"));
  previous->setToolTip(tr("Previous match (Shift+F3)"));
  auto* next = new QToolButton(this);
  next->setText(QStringLiteral("\u25BC"));
  next->setToolTip(tr("Next match (F3)"));
  auto* close = new QToolButton(this);
  close->setText(QStringLiteral("\u2715"));
  close->setToolTip(tr("Close (Esc)"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 2, 4, 2);
  row->setSpacing(4);
  row->addWidget(field_, 1);
  row->addWidget(status_);
  row->addWidget(previous);
  row->addWidget(next);
  row->addWidget(close);

  connect(field_, &QLineEdit::textChanged, this, [this] { Find(false); });
  connect(previous, &QToolButton::clicked, this, [this] { Step(true); });
  connect(next, &QToolButton::clicked, this, [this] { Step(false); });
  connect(close, &QToolButton::clicked, this, [this] { Close(); });
  connect(&view_, &platform::Browser::findTextFinished, this,
          [this](int activeMatch, int numberOfMatches) { ShowResult(activeMatch, numberOfMatches); });
  // Another page shown while the bar is open is searched in its turn.
  connect(&view_, &platform::Browser::loadFinished, this, [this](bool ok) {
    if (ok && isVisible() && !field_->text().isEmpty()) Find(false);
  });

  // Live wherever the keyboard is in the window, the page view included.
  auto* open = new QShortcut(QKeySequence::Find, &window);
  connect(open, &QShortcut::activated, this, [this] { Open(); });
  auto* findNext = new QShortcut(QKeySequence(Qt::Key_F3), &window);
  connect(findNext, &QShortcut::activated, this, [this] { Step(false); });
  auto* findPrevious = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), &window);
  connect(findPrevious, &QShortcut::activated, this, [this] { Step(true); });

  view_.installEventFilter(this);
  hide();
}

void FindBar::Open(const QString& text, bool whenPageLoads) {
  // Not at start-up: the button's icon is read through the image plugins
  // (see DecodeImage), and the bar is hidden until now anyway.
  field_->setClearButtonEnabled(true);
  Place();
  show();
  raise();
  field_->setFocus(Qt::ShortcutFocusReason);
  if (text.isNull()) {
    field_->selectAll();
    return;
  }
  {
    // The page about to be shown is searched when it is there.
    const QSignalBlocker quiet(field_);
    field_->setText(text);
  }
  if (!whenPageLoads) Find(false);
}

void FindBar::Close() {
  hide();
  view_.findText(QString());
  matches_ = 0;
  SetNothingMatches(false);
  status_->clear();
  view_.setFocus(Qt::OtherFocusReason);
}

QString FindBar::Status() const { return status_->text(); }

void FindBar::Find(bool backward) {
  const QString text = field_->text();
  if (text.isEmpty()) {
    view_.findText(QString());
    matches_ = 0;
    SetNothingMatches(false);
    status_->clear();
    return;
  }
  // Case-insensitive unless asked otherwise; the page highlights every
  // match and scrolls to the current one.
  view_.findText(text, backward);
}

void FindBar::Step(bool backward) {
  if (!isVisible()) {
    Open();
    return;
  }
  Find(backward);
}

void FindBar::ShowResult(int activeMatch, int numberOfMatches) {
  // A result for a search the field no longer holds (cleared meanwhile).
  if (field_->text().isEmpty()) return;
  matches_ = numberOfMatches;
  SetNothingMatches(matches_ == 0);
  status_->setText(matches_ == 0 ? tr("No matches")
                                 : QStringLiteral("%1 / %2").arg(activeMatch).arg(matches_));
}

void FindBar::SetNothingMatches(bool nothing) {
  nothingMatches_ = nothing;
  QPalette p = field_->palette();
  p.setColor(QPalette::Base, nothing ? kNoMatchColour : QApplication::palette().color(QPalette::Base));
  field_->setPalette(p);
}

void FindBar::Place() {
  const QRect view = view_.geometry();
  const int width = std::min(kBarWidth, std::max(0, view.width() - 2 * kMargin));
  setGeometry(view.left() + kMargin, view.bottom() + 1 - kBarHeight - kMargin, width, kBarHeight);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &view_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
    Place();
  } else if (watched == field_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
      Close();
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      Step((key->modifiers() & Qt::ShiftModifier) != 0);
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace reader
