#include "reader/Form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QResizeEvent>
#include <QUrl>
#include <exception>
#include <stdexcept>

#include "controls/slider/Hscroll.h"
#include "controls/tree/Tray.h"
#include "drawing/Arithmetic.h"
#include "platform/Browser.h"
#include "platform/QtSurface.h"
#include "platform/StandardControls.h"
#include "reader/BookFolder.h"
#include "reader/BookSearchField.h"
#include "reader/FindBar.h"
#include "reader/SearchIndexer.h"
#include "reader/PageMenu.h"
#include "reader/Translations.h"
#include "reader/ZoomHint.h"
#include "reader/WheelHook.h"
#include "reader/core/Cp1251.h"
#include "reader/core/PageTheme.h"
#include "reader/core/TempFolder.h"
#include "reader/packing/Packing.h"

// The design is compiled into this library; a static library's resources
// must be registered by hand.
static void RegisterDesignResources() { Q_INIT_RESOURCE(design); }

namespace reader {
namespace {

constexpr int kPageListItems = 139;
constexpr const char* kPageFileName = "tmp.html";

// Start-up and layout run every step even when one fails: a failing step
// leaves what it would have set unchanged.
template <typename Fn>
void Step(Fn&& fn) {
  try {
    fn();
  } catch (const std::exception&) {
  }
}

drawing::Design LoadDesign() {
  RegisterDesignResources();
  QFile file(QStringLiteral(":/design/Form1.design"));
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("the window design is missing from the program");
  const QByteArray text = file.readAll();
  return drawing::Design::Parse(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                                [](const std::string& name) {
                                  QFile picture(QStringLiteral(":/pictures/") + QString::fromStdString(name));
                                  return picture.open(QIODevice::ReadOnly) ? platform::DecodePicture(picture.readAll())
                                                                           : nullptr;
                                });
}

// A negative size is refused: a window laid out with a negative width or
// height would be garbage, so the layout step that computed it is skipped.
int CheckedSize(long long value) {
  if (value < 0) throw std::invalid_argument("negative size");
  return drawing::CheckedInt32(value);
}

void PlaceWidget(QWidget& widget, const drawing::PropertyBag& bag) {
  widget.setGeometry(bag.Read<std::int32_t>("Left", 0), bag.Read<std::int32_t>("Top", 0),
                     bag.Read<std::int32_t>("Width", 0), bag.Read<std::int32_t>("Height", 0));
}

void PlaceSurface(drawing::Surface& surface, const drawing::PropertyBag& bag) {
  surface.Move(bag.Read<std::int32_t>("Left", 0), bag.Read<std::int32_t>("Top", 0),
               bag.Read<std::int32_t>("Width", 0), bag.Read<std::int32_t>("Height", 0));
}

drawing::Colour ColourOf(const drawing::PropertyBag& bag, std::string_view key, drawing::Colour fallback) {
  return static_cast<drawing::Colour>(bag.Read<std::int32_t>(key, static_cast<std::int32_t>(fallback)));
}

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// The window's own messages, in the user's language.
QString Tr(const char* english) { return QCoreApplication::translate("Form1", english); }

}  // namespace

Form1::Form1(std::filesystem::path appFolder, QWidget* parent)
    : QWidget(parent), appFolder_(std::move(appFolder)), host_(this), design_(LoadDesign()) {
  const drawing::PropertyBag& form = design_.Section("Form1");
  setWindowTitle(Text(form.Read<std::string>("Caption", "Form1")));
  const drawing::Colour back = host_.ResolveColour(ColourOf(form, "BackColor", drawing::kButtonFace));
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(drawing::RedOf(back), drawing::GreenOf(back), drawing::BlueOf(back)));
  setPalette(p);
  setAutoFillBackground(true);
  CreateControls();
  SetUpKeyboard();
  // The book search stands right of the header's buttons, and comes after them.
  QWidget::setTabOrder(command3_, bookSearch_);
  resize(form.Read<std::int32_t>("ClientWidth", kDesignWidth), form.Read<std::int32_t>("ClientHeight", kDesignHeight));
}

Form1::~Form1() {
  Unload();
  // The menu acts on the controls below; it goes before them.
  delete pageMenu_;
  pageMenu_ = nullptr;
  // The controls' surfaces are children of this widget; drop them first.
  tray1_.reset();
  hscroll2_.reset();
}

void Form1::CreateControls() {
  auto resolve = [this](drawing::Colour c) { return host_.ResolveColour(c); };
  auto makeLabel = [&](QWidget* parent, const char* section) {
    const drawing::PropertyBag& bag = design_.Section(section);
    auto* label = new platform::Label(parent);
    label->resolve = resolve;
    PlaceWidget(*label, bag);
    label->SetCaption(Text(bag.Read<std::string>("Caption", "")));
    label->SetBackColor(ColourOf(bag, "BackColor", drawing::kButtonFace));
    label->SetForeColor(ColourOf(bag, "ForeColor", 0x80000012u));
    if (bag.Contains("Font")) label->SetStoredFont(bag.Read<drawing::Font>("Font", {}));
    // 0 left, 1 right, 2 centre, as the stored designs number them.
    const int alignment = bag.Read<std::int32_t>("Alignment", 0);
    label->setAlignment((alignment == 2 ? Qt::AlignHCenter : alignment == 1 ? Qt::AlignRight : Qt::AlignLeft) |
                        Qt::AlignVCenter);
    return label;
  };
  auto makeButton = [&](const char* section) {
    const drawing::PropertyBag& bag = design_.Section(section);
    auto* button = new platform::Button(Text(bag.Read<std::string>("Caption", section)), this);
    PlaceWidget(*button, bag);
    return button;
  };

  // Creation order is stacking order: each control lies above the ones
  // created before it.
  picture1_ = new QWidget(this);
  {
    const drawing::PropertyBag& bag = design_.Section("Picture1");
    PlaceWidget(*picture1_, bag);
    const drawing::Colour c = resolve(ColourOf(bag, "BackColor", drawing::kButtonFace));
    QPalette p = picture1_->palette();
    p.setColor(QPalette::Window, QColor(drawing::RedOf(c), drawing::GreenOf(c), drawing::BlueOf(c)));
    picture1_->setPalette(p);
    picture1_->setAutoFillBackground(true);
  }
  label2_[0] = makeLabel(picture1_, "Label2_0");
  command3_ = makeButton("Command3");
  command1_ = makeButton("Command1");
  file1_ = new platform::FileListBox(this);
  PlaceWidget(*file1_, design_.Section("File1"));
  command2_ = makeButton("Command2");
  list1_ = new platform::ListBox(this);
  PlaceWidget(*list1_, design_.Section("List1"));
  for (int k = 0; k < kPageListItems; ++k)
    list1_->AddItem(QStringLiteral("%1 - bet").arg(k + 1, 3, 10, QLatin1Char(' ')));
  // The web engine starts only after the window's first paint: starting it
  // holds the thread long enough to keep an empty window off the screen.
  // Start-up's navigations are remembered and carried out when it is up.
  browser_ = new platform::Browser(this, platform::Browser::EngineStart::AfterWindowPainted);
  PlaceWidget(*browser_, design_.Section("WebBrowser1"));
  browser_->hide();  // shown at the end of start-up

  const drawing::ControlSite site{&host_, nullptr, {}};
  hscroll2_ = std::make_unique<slider::Hscroll>(site, nullptr);
  PlaceSurface(hscroll2_->Surface(), design_.Section("Hscroll2"));
  hscroll2_->ReadDesign(design_, "Hscroll2");
  hscroll2_->Surface().SetVisible(true);
  zoomHint_ = new ZoomHint(*this, Hscroll2Widget(), host_.CreateTimer(), hscroll2_->Value());

  tray1_ = std::make_unique<tree::Tray>(site, nullptr);
  PlaceSurface(tray1_->Surface(), design_.Section("Tray1"));
  tray1_->ReadDesign(design_, "Tray1");
  tray1_->Surface().SetVisible(true);

  label2_[1] = makeLabel(this, "Label2_1");
  label1_[0] = makeLabel(this, "Label1_0");
  label1_[1] = makeLabel(this, "Label1_1");
  // Labels are painted on the window itself, beneath every other control,
  // in their own creation order.
  for (platform::Label* label : {label1_[1], label1_[0], label2_[1]}) label->lower();

  list1_->click = [this] { List1Click(); };
  tray1_->VibranFil = [this](std::int32_t&, std::string&, std::string&, std::string& pageField) {
    Tray1VibranFil(pageField);
  };
  hscroll2_->Scroll = [this] { Hscroll2Scroll(); };
  label1_[0]->click = [this] { Label1Click(); };
  label1_[1]->click = [this] { Label1Click(); };
  command1_->click = [this] { Command1Click(); };
  command2_->click = [this] { Command2Click(); };
  command3_->click = [] {};
  pageMenu_ = new PageMenu(*browser_, *this,
                           {[this] { GoBack(); }, [this] { GoForward(); }, [this] { return history_.CanGoBack(); },
                            [this] { return history_.CanGoForward(); }, [this] { return hscroll2_->Value(); },
                            [this](int value) { hscroll2_->SetValue(value); },
                            [this](const QString& text) { ReportError(text); },
                            [this] {
                              return Tr(QT_TRANSLATE_NOOP("Form1", "page %1")).arg(history_.Current().value_or(0));
                            }});
  Step([this] {
    const std::filesystem::path folder = PageFolderPath(appFolder_);
    file1_->SetFiles(QString::fromStdString(folder.string()), ListPageFolder(folder));
  });
  CreateSearch();
}

// Find in the page, and the book search in the header band right of
// Command3, where nothing else stands.
void Form1::CreateSearch() {
  indexer_ = new SearchIndexer(this);
  findBar_ = new FindBar(*browser_, *this);
  bookSearch_ = new BookSearchField(*indexer_, *this);
  bookSearch_->setGeometry(command3_->geometry().right() + 13, command3_->y(), 330, command3_->height());
  indexer_->ready = [this] { bookSearch_->IndexReady(); };
  bookSearch_->indexWanted = [this] { indexer_->Rebuild(store_); };
  pageMenu_->SetFindInPage([this] { findBar_->Open(); });
  // A result is shown as a click on its page row shows it, then its first
  // match is found in it.
  bookSearch_->chosen = [this](int slot, const QString& match) {
    Tray1VibranFil(std::to_string(slot));
    browser_->setFocus(Qt::OtherFocusReason);
    if (!match.isEmpty()) findBar_->Open(match, true);
  };
  // The index is built once the first page is on screen, never on the way
  // to it. Queued: copying the book and starting the worker take a few
  // milliseconds, which the page's own loadFinished handlers would wait for.
  connect(
      browser_, &platform::Browser::loadFinished, indexer_,
      [this] {
        if (!indexer_->Started() && !browser_->ShownFile().isEmpty()) indexer_->Rebuild(store_);
      },
      Qt::QueuedConnection);
}

QWidget& Form1::Tray1Widget() { return *static_cast<platform::QtSurface&>(tray1_->Surface()).Widget(); }

QWidget& Form1::Hscroll2Widget() { return *static_cast<platform::QtSurface&>(hscroll2_->Surface()).Widget(); }

void Form1::Load() {
  Step([this] {
    try {
      pageFile_ = TempFolder() / kPageFileName;
    } catch (const IoError& e) {
      tempFolderProblem_ = e.what();
      throw;
    }
  });
  Step([this] {
    BookReadReport report;
    try {
      store_ = LoadBook(BookPath(appFolder_), &report);
    } catch (const IoError& e) {
      ReportError(Tr(QT_TRANSLATE_NOOP("Form1", "The book file %1 cannot be read: %2. The book opens empty."))
                      .arg(Text(BookPath(appFolder_).string()), Text(e.what())));
      throw;
    }
    if (report.damaged)
      ReportError(Tr(QT_TRANSLATE_NOOP("Form1", "The book file %1 is damaged: %2. %3 of 140 parts were read; the rest "
                                                "are empty."))
                      .arg(Text(BookPath(appFolder_).string()), Text(report.problem))
                      .arg(report.slotsRead));
  });
  Step([this] { browser_->Navigate(QString()); });
  Step([this] { tray1_->PoluchiSpisok(Cp1251ToUtf8(store_.Slot(kContentsSlot))); });
  Step([this] { tray1_->RRscrfoll(); });
  Step([this] { list1_->SetListIndex(1); });
  Step([this] { browser_->show(); });
  // The contents have the keyboard when the window first opens.
  Step([this] { Tray1Widget().setFocus(Qt::OtherFocusReason); });
  Step([this] {
    InstallWheelHook([this](std::string& direction) { Scrol(direction); });
    hookInstalled_ = true;
  });
}

void Form1::Unload() {
  if (!hookInstalled_) return;
  RemoveWheelHook();
  hookInstalled_ = false;
}

void Form1::Scrol(std::string& direction) {
  tray1_->ScrollM(direction);
}

void Form1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutControls();
}

void Form1::closeEvent(QCloseEvent* event) {
  Unload();
  QWidget::closeEvent(event);
}

void Form1::LayoutControls() {
  // Each step reads the sizes earlier steps set.
  drawing::Surface& tray = tray1_->Surface();
  drawing::Surface& slider = hscroll2_->Surface();
  Step([&] { browser_->resize(CheckedSize(static_cast<long long>(width()) - browser_->x()), browser_->height()); });
  Step([&] {
    browser_->resize(browser_->width(), CheckedSize(static_cast<long long>(height()) - browser_->y() - 25));
  });
  Step([&] { list1_->move(list1_->x(), browser_->y()); });
  Step([&] { list1_->resize(list1_->width(), CheckedSize(browser_->height())); });
  Step([&] { tray.Move(tray.Left(), browser_->y(), tray.Width(), tray.Height()); });
  Step([&] { tray.Move(tray.Left(), tray.Top(), tray.Width(), CheckedSize(browser_->height())); });
  Step([&] {
    slider.Move(slider.Left(), drawing::CheckedInt32(static_cast<long long>(height()) - slider.Height() - 5),
                slider.Width(), slider.Height());
  });
  Step([&] {
    slider.Move(drawing::CheckedInt32(static_cast<long long>(width()) - slider.Width()), slider.Top(), slider.Width(),
                slider.Height());
  });
  Step([&] { label2_[1]->move(label2_[1]->x(), height() - label2_[1]->height()); });
  if (zoomHint_) zoomHint_->Follow();
}

std::string Form1::RGBtoHTML(long long red, long long green, long long blue) {
  return reader::RGBtoHTML(red, green, blue);
}

std::string Form1::ColorToHtml(drawing::Colour colour) const {
  return PlainColourToHtml(host_.ResolveColour(colour));
}

void Form1::ShowPage(int slot) {
  // The view is emptied before a page is prepared. When the page follows in
  // the same pass, its load replaces the empty one before anything is drawn,
  // and asking for the empty address first only cost every switch a
  // navigation of its own; so the view is emptied only when no page follows
  // (a failure below), and the reader never keeps seeing a page it did not
  // choose.
  struct EmptyUnlessPageFollows {
    platform::Browser& browser;
    bool pageFollows = false;
    ~EmptyUnlessPageFollows() {
      if (!pageFollows) browser.Navigate(QString());
    }
  } emptied{*browser_};
  const ThemeColours colours{ColorToHtml(label1_[0]->BackColor()), ColorToHtml(label1_[1]->BackColor()),
                             ColorToHtml(label1_[0]->ForeColor())};
  const std::string page = PreparePage(store_.Slot(slot), colours);
  if (pageFile_.empty()) {
    ReportError(Tr(QT_TRANSLATE_NOOP("Form1", "The page cannot be shown: there is no private temporary folder for the "
                                                 "page file (%1)."))
                    .arg(tempFolderProblem_.empty() ? Tr(QT_TRANSLATE_NOOP("Form1", "the folder was not looked for"))
                                               : Text(tempFolderProblem_)));
    return;
  }
  try {
    WritePrivateFile(pageFile_, page);
  } catch (const IoError& e) {
    ReportError(Tr(QT_TRANSLATE_NOOP("Form1", "The page cannot be shown: %1")).arg(Text(e.what())));
    return;
  }
  browser_->SetSilent(true);
  // The page file keeps its name from page to page, and the engine takes a
  // load of the address it shows for a reload, which keeps the old page's
  // scroll position; a number that changes with every page makes each page a
  // document of its own, shown from its top.
  QUrl address = QUrl::fromLocalFile(QString::fromStdString(pageFile_.string()));
  address.setQuery(QString::number(++pagesShown_));
  browser_->Navigate(address.toString(QUrl::FullyEncoded));
  emptied.pageFollows = true;
  history_.Show(slot);
}

void Form1::GoBack() {
  if (const std::optional<int> page = history_.Back()) ShowPage(*page);
}

void Form1::GoForward() {
  if (const std::optional<int> page = history_.Forward()) ShowPage(*page);
}

void Form1::List1Click() {
  const int slot = list1_->ListIndex() + 1;
  if (slot < 0 || slot > kLastSlot) return;
  ShowPage(slot);
}

void Form1::Tray1VibranFil(const std::string& pageField) {
  int slot = -1;
  try {
    slot = drawing::RoundHalfEven(LeadingNumber(pageField));
  } catch (const drawing::OverflowError&) {
  }
  if (slot < 0 || slot > kLastSlot) {
    ReportError(Tr(QT_TRANSLATE_NOOP("Form1",
                                     "This contents entry names page \"%1\", but the book has pages 0 to %2 only."))
                    .arg(Text(pageField))
                    .arg(kLastSlot));
    return;
  }
  ShowPage(slot);
}

// A drag raises Scroll on every pointer move; the browser gets only the
// latest zoom while it is still busy with an earlier one, so the page keeps
// up with the thumb and ends at the last Value.
void Form1::Hscroll2Scroll() {
  browser_->RequestZoomPercent(hscroll2_->Value());
  zoomHint_->Zoomed(hscroll2_->Value());
}

void Form1::Label1Click() {
  label1_[0]->SetCaption(QString::number(label1_[0]->BackColor(), 16).toUpper());
}

void Form1::Command1Click() {
  try {
    bool outlineFound = true;
    const std::string contents = RunContentsBuilder(appFolder_, store_, &outlineFound);
    tray1_->PoluchiSpisok(Cp1251ToUtf8(contents));
    indexer_->Rebuild(store_);
    if (!outlineFound)
      ReportError(Tr(QT_TRANSLATE_NOOP("Form1", "The outline %1 does not exist, so the contents are now empty."))
                      .arg(Text(OutlinePath(appFolder_).string())));
  } catch (const std::exception& e) {
    ReportError(Tr(QT_TRANSLATE_NOOP("Form1", "The contents could not be built: %1")).arg(Text(e.what())));
  }
}

void Form1::Command2Click() {
  if (const std::string blocker = BookSaveBlocker(appFolder_); !blocker.empty()) {
    QString text = Text(blocker) + QLatin1Char('.');
    text[0] = text[0].toUpper();
    ReportError(text);
    return;
  }
  try {
    const PackReport report = RunPageFolderPass(appFolder_, store_);
    indexer_->Rebuild(store_);
    file1_->SetFiles(file1_->Path(), report.files);
    QStringList problems;
    if (!report.keptBook.empty())
      problems << Tr(QT_TRANSLATE_NOOP("Form1", "The old book %1 did not read whole; it was kept as %2."))
                      .arg(Text(BookPath(appFolder_).string()), Text(report.keptBook.string()));
    if (!report.folderFound)
      problems << Tr(QT_TRANSLATE_NOOP("Form1", "The page folder %1 does not exist."))
                      .arg(Text(PageFolderPath(appFolder_).string()));
    for (const PageFailure& f : report.failed)
      problems << Tr(QT_TRANSLATE_NOOP("Form1", "%1 was not packed: %2; its page keeps what it had."))
                      .arg(Text(f.file), Text(f.reason));
    for (const PageFailure& f : report.leftOut)
      problems << Tr(QT_TRANSLATE_NOOP("Form1", "Not packed: %1.")).arg(Text(f.reason));
    if (!report.ignored.empty())
      problems << Tr(QT_TRANSLATE_NOOP("Form1", "%1 files beyond page %2 were not packed (first: %3)."))
                      .arg(report.ignored.size())
                      .arg(kLastSlot)
                      .arg(Text(report.ignored.front()));
    if (!problems.isEmpty()) ReportError(problems.join(QLatin1Char('\n')));
  } catch (const std::exception& e) {
    ReportError(Tr(QT_TRANSLATE_NOOP("Form1", "The book was not saved: %1")).arg(Text(e.what())));
  }
}

void Form1::ReportError(const QString& text) {
  lastError_ = text;
  // Never modal: the reader keeps running, and nothing waits for the user.
  // The window is the message's parent, so it belongs to the window and a
  // window manager keeps it above.
  auto* box = new QMessageBox(QMessageBox::Warning, DisplayName(), text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  messages_.append(box);
  if (isVisible()) ShowMessages();
}

void Form1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A message from start-up waits until the window itself is on screen:
  // without a window manager, whichever is mapped last lies on top.
  QMetaObject::invokeMethod(this, [this] { ShowMessages(); }, Qt::QueuedConnection);
}

void Form1::ShowMessages() {
  messages_.removeAll(nullptr);
  for (const QPointer<QWidget>& box : messages_) {
    box->show();
    box->raise();
  }
}

}  // namespace reader
