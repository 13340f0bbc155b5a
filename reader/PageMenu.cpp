#include "reader/PageMenu.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QShortcut>
#include <QStandardPaths>

#include "platform/Browser.h"

namespace reader {

namespace {

bool IsHistoryKey(const QKeyEvent& key) {
  return key.modifiers() == Qt::AltModifier && (key.key() == Qt::Key_Left || key.key() == Qt::Key_Right);
}

}  // namespace

QString WriteWholeFile(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(bytes) != bytes.size()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return reason;
  }
  if (!file.commit()) return file.errorString();
  return {};
}

PageMenu::PageMenu(platform::Browser& browser, QWidget& window, PageActions actions)
    : QObject(&window), browser_(browser), browserAlive_(&browser), window_(window), actions_(std::move(actions)) {
  choosePrinter = [](QWidget* parent) -> std::unique_ptr<QPrinter> {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), parent);
    dialog.setWindowTitle(tr("Print"));
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return printer;
  };
  choosePdfFile = [](QWidget* parent, const QString& suggestedPath) {
    QString path = QFileDialog::getSaveFileName(parent, tr("Save as PDF"), suggestedPath, tr("PDF documents (*.pdf)"));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    return path;
  };

  // The page is saved and printed in the colours the reader sees.
  browser_.SetPrintElementBackgrounds(true);
  browser_.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&browser_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu* menu = Build(&browser_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(browser_.mapToGlobal(at));
  });
  connect(&browser_, &platform::Browser::printFinished, this, [this](bool ok) {
    printer_.reset();
    if (!ok && actions_.report) actions_.report(tr("The page could not be printed."));
    if (printDone) printDone(ok);
  });

  auto* print = new QShortcut(QKeySequence::Print, &window_);
  connect(print, &QShortcut::activated, this, &PageMenu::Print);
  auto* back = new QShortcut(QKeySequence(Qt::AltModifier | Qt::Key_Left), &window_);
  connect(back, &QShortcut::activated, this, [this] { actions_.back(); });
  auto* forward = new QShortcut(QKeySequence(Qt::AltModifier | Qt::Key_Right), &window_);
  connect(forward, &QShortcut::activated, this, [this] { actions_.forward(); });
  // The page's widgets come and go with the engine; one filter on the
  // application sees them all.
  qApp->installEventFilter(this);
}

PageMenu::~PageMenu() { qApp->removeEventFilter(this); }

QMenu* PageMenu::Build(QWidget* parent) {
  auto* menu = new QMenu(parent);
  auto add = [menu](const QString& text, bool enabled, std::function<void()> act) {
    QAction* action = menu->addAction(text);
    action->setEnabled(enabled);
    QObject::connect(action, &QAction::triggered, menu, [act = std::move(act)] { act(); });
    return action;
  };
  add(tr("Back"), actions_.canGoBack(), actions_.back);
  add(tr("Forward"), actions_.canGoForward(), actions_.forward);
  menu->addSeparator();
  // Both act on the page whether or not it has the keyboard focus (the
  // engine's own editing commands need it, and a menu takes it away).
  add(tr("Copy"), browser_.hasSelection(), [this] { QApplication::clipboard()->setText(browser_.selectedText()); });
  add(tr("Select all"), true, [this] { browser_.SelectAll(); });
  if (findInPage_) add(tr("Find in the page"), true, findInPage_);
  menu->addSeparator();
  add(tr("Print…"), !printer_, [this] { Print(); });
  add(tr("Save as PDF…"), !saving_, [this] { SaveAsPdf(); });
  menu->addSeparator();
  add(tr("Zoom in"), true, [this] { actions_.setZoom(actions_.zoom() + kZoomStep); });
  add(tr("Zoom out"), true, [this] { actions_.setZoom(actions_.zoom() - kZoomStep); });
  add(tr("Actual size"), true, [this] { actions_.setZoom(kActualSize); });
  return menu;
}

void PageMenu::Print() {
  // One print at a time: the engine holds the printer until it is done.
  if (printer_) return;
  std::unique_ptr<QPrinter> printer = choosePrinter(&window_);
  if (!printer) return;
  printer_ = std::move(printer);
  browser_.print(printer_.get());
}

QString PageMenu::StartFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void PageMenu::SaveAsPdf() {
  if (saving_) return;
  const QString name = (actions_.suggestedName ? actions_.suggestedName() : QString()) + QStringLiteral(".pdf");
  const QString path = choosePdfFile(&window_, QDir(StartFolder()).filePath(name));
  if (path.isEmpty()) return;
  saving_ = true;
  // The engine hands over the document in memory; it is written here so
  // that a failed write leaves any earlier file of that name untouched.
  const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                           QPageLayout::Millimeter);
  QPointer<PageMenu> self(this);
  browser_.printToPdf(
      [self, path](const QByteArray& pdf) {
        if (!self) return;
        self->saving_ = false;
        const QString reason = pdf.isEmpty() ? tr("the page could not be turned into PDF") : WriteWholeFile(path, pdf);
        if (!reason.isEmpty() && self->actions_.report)
          self->actions_.report(
              tr("The page was not saved as PDF to %1: %2.").arg(QDir::toNativeSeparators(path), reason));
        if (self->pdfDone) self->pdfDone(path, reason.isEmpty());
      },
      layout);
}

bool PageMenu::OnPage(QObject* object) const {
  auto* widget = qobject_cast<QWidget*>(object);
  return widget && (widget == &browser_ || browser_.isAncestorOf(widget));
}

bool PageMenu::EditingText(QObject* object) const {
  // The engine turns input methods on for its widget while a text field
  // of the page has the caret.
  auto* widget = qobject_cast<QWidget*>(object);
  return widget && widget->testAttribute(Qt::WA_InputMethodEnabled);
}

bool PageMenu::eventFilter(QObject* watched, QEvent* event) {
  if (!browserAlive_) return false;
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // The engine would claim Alt+Left and Alt+Right for its own history;
      // left unaccepted, they reach the window's shortcuts.
      return OnPage(watched) && IsHistoryKey(*static_cast<QKeyEvent*>(event));
    case QEvent::KeyPress: {
      const auto& key = *static_cast<QKeyEvent*>(event);
      if (!OnPage(watched)) return false;
      if (IsHistoryKey(key)) return true;
      if (key.key() == Qt::Key_Backspace && key.modifiers() == Qt::NoModifier && !EditingText(watched)) {
        actions_.back();
        return true;
      }
      return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
      if (button != Qt::BackButton && button != Qt::ForwardButton) return false;
      if (!OnPage(watched) && watched != &window_) return false;
      if (event->type() == QEvent::MouseButtonPress) (button == Qt::BackButton ? actions_.back : actions_.forward)();
      return true;
    }
    default:
      return false;
  }
}

}  // namespace reader
