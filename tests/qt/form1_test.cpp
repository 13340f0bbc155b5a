// The main window headless: start-up, layout, page display in the colour
// theme, the handlers, and the packing buttons, over a book made per test.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QEventLoop>
#include <QFontInfo>
#include <QImage>
#include <QScreen>
#include <QWebEnginePage>
#include <filesystem>
#include <fstream>

#include "controls/slider/Hscroll.h"
#include "controls/tree/Tray.h"
#include "platform/Browser.h"
#include "platform/QtHost.h"
#include "platform/QtSurface.h"
#include "platform/StandardControls.h"
#include "reader/Form1.h"
#include "reader/WheelHook.h"
#include "reader/core/Base64.h"
#include "reader/core/Cp1251.h"
#include "reader/core/PageStore.h"
#include "reader/core/PageTheme.h"
#include "reader/packing/Packing.h"

namespace fs = std::filesystem;
using reader::Form1;

namespace {

const reader::ThemeColours kDesignTheme{"#E0E0E0", "#FFFFFF", "#042640"};

std::string PageText(int n) {
  return "<html><body style=\"background-color:#fff5d2\"><div style=\"background: #83776e\">"
         "<p style=\"font-family:'Calibri'; color:#000000\">page " +
         std::to_string(n) + " \xCF\xF0\xE8\xE2\xE5\xF2</p></div></body></html>";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// A book of five pages whose contents list names pages 1..3 in slot 139.
reader::PageStore SampleStore() {
  reader::PageStore store;
  for (int n = 1; n <= 5; ++n) store.SetSlot(n, reader::BytesToBase64(PageText(n)));
  store.SetSlot(139, reader::BuildContents(
                         "\xC3\xEB\xE0\xE2\xE0\tx\r\n`One\ta\r\n`Two\tb\r\nSecond\t\r\n`Three\tc"));
  return store;
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    app_ = fs::path(dir_.path().toStdString());
  }

  std::unique_ptr<Form1> Open(bool load = true) {
    auto form = std::make_unique<Form1>(app_);
    form->show();
    if (load) form->Load();
    return form;
  }

  // Waits for the browser to finish loading the page file (not the blank).
  static bool WaitForPage(Form1& form) {
    QSignalSpy spy(&form.WebBrowser1(), &platform::Browser::loadFinished);
    auto shown = [&] {
      const platform::Browser& b = form.WebBrowser1();
      return !b.ShownFile().isEmpty() && b.url().path() == b.ShownFile();
    };
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (shown()) return true;
      if (!spy.wait(10000)) return false;
    }
    return shown();
  }

  static QString DocumentHtml(Form1& form) {
    QString html;
    QEventLoop loop;
    form.WebBrowser1().page()->toHtml([&](const QString& text) {
      html = text;
      loop.quit();
    });
    loop.exec();
    return html;
  }

  QTemporaryDir dir_;
  fs::path app_;
};

TEST_F(Form1Test, StartUpShowsPageTwoInTheThemeAndTheContents) {
  reader::SaveBook(app_ / "Data.dat", SampleStore());
  auto form = Open();

  EXPECT_EQ(form->windowTitle(), "Form1");
  ASSERT_EQ(form->List1().ListCount(), 139);
  EXPECT_EQ(form->List1().item(0)->text(), "  1 - bet");
  EXPECT_EQ(form->List1().item(9)->text(), " 10 - bet");
  EXPECT_EQ(form->List1().item(138)->text(), "139 - bet");
  EXPECT_EQ(form->List1().ListIndex(), 1);
  EXPECT_EQ(form->List1().currentItem()->text(), "  2 - bet");
  EXPECT_TRUE(form->WebBrowser1().isVisible());
  EXPECT_TRUE(reader::WheelHookInstalled());
  EXPECT_EQ(form->Tray1().LastItemIndex(), 4);

  EXPECT_EQ(ReadFile(form->PageFile()), reader::ApplyTheme(PageText(2), kDesignTheme));
  ASSERT_TRUE(WaitForPage(*form));
  const QString html = DocumentHtml(*form);
  EXPECT_TRUE(html.contains("background-color:#E0E0E0")) << html.toStdString();
  EXPECT_TRUE(html.contains("background:#FFFFFF"));
  EXPECT_TRUE(html.contains("color:#042640"));
  EXPECT_FALSE(html.contains("fff5d2"));
  // The page bytes are Windows-1251 and reach the document as Cyrillic.
  EXPECT_TRUE(html.contains(QString::fromUtf8("Привет")));

  form->Unload();
  EXPECT_FALSE(reader::WheelHookInstalled());
  form->Unload();  // a second unload is harmless
}

TEST_F(Form1Test, ACleanStartPrintsNothing) {
  WriteFile(reader::BookPath(app_), reader::SerializeBook(SampleStore()));
  static std::vector<std::string>* printed = nullptr;
  std::vector<std::string> messages;
  printed = &messages;
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        // Lines of the web engine itself that only a root or a GPU-less
        // headless run brings; nothing of ours.
        const QString line = text.trimmed();
        if (line == "Sandboxing disabled by user." || line == "No suitable graphics backend found") return;
        printed->push_back(text.toStdString());
      });
  {
    auto form = Open();
    EXPECT_TRUE(WaitForPage(*form));
    form->resize(300, 200);
    QCoreApplication::processEvents();
  }
  qInstallMessageHandler(previous);
  EXPECT_EQ(messages, std::vector<std::string>{});
}

// Start-up as main runs it: the window is painted, header, tree, slider and
// an empty white page, before the web engine starts; page 2 follows.
TEST_F(Form1Test, TheFirstWindowIsOnScreenBeforeTheWebEngineStarts) {
  reader::SaveBook(app_ / "Data.dat", SampleStore());
  auto form = std::make_unique<Form1>(app_);
  platform::Browser& browser = form->WebBrowser1();
  QImage screenAtStart;
  browser.WhenEngineStarted(form.get(), [&] {
    screenAtStart = form->screen()->grabWindow(form->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  });
  form->Load();
  form->show();
  EXPECT_FALSE(browser.EngineRunning());
  QSignalSpy started(&browser, &platform::Browser::EngineStarted);
  ASSERT_TRUE(started.wait(10000));
  ASSERT_EQ(screenAtStart.size(), form->size());
  // Pixels of the control, as it draws itself, that the screen does not show.
  const auto missing = [&](QWidget& widget) {
    const QImage shown = screenAtStart.copy(QRect(widget.mapTo(form.get(), QPoint()), widget.size()));
    const QImage own = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shown.size() != own.size()) return -1;
    int differing = 0;
    for (int y = 0; y < own.height(); ++y)
      for (int x = 0; x < own.width(); ++x) differing += ((shown.pixel(x, y) ^ own.pixel(x, y)) & 0xFFFFFFu) != 0;
    return differing;
  };
  EXPECT_EQ(missing(form->Tray1Widget()), 0);
  EXPECT_EQ(missing(form->Hscroll2Widget()), 0);
  // The header: its band, and the title's white letters on it.
  const QRect header = form->Picture1().geometry();
  EXPECT_EQ(screenAtStart.pixelColor(header.right() - 5, header.top() + 5),
            form->Picture1().palette().color(QPalette::Window));
  const QRect title(form->Label2(0).mapTo(form.get(), QPoint()), form->Label2(0).size());
  int white = 0;
  for (int y = title.top(); y <= title.bottom(); ++y)
    for (int x = std::max(0, title.left()); x <= title.right(); ++x) white += screenAtStart.pixel(x, y) == qRgb(255, 255, 255);
  EXPECT_GT(white, 50);
  EXPECT_EQ(screenAtStart.pixelColor(form->WebBrowser1().geometry().center()), QColor(Qt::white));

  ASSERT_TRUE(WaitForPage(*form));
  EXPECT_EQ(form->List1().ListIndex(), 1);
  EXPECT_TRUE(DocumentHtml(*form).contains(QStringLiteral("page 2")));
}

TEST_F(Form1Test, TheBrowserAndTheTreeAreWindowsOfTheirOwnUnderThePointer) {
  WriteFile(reader::BookPath(app_), reader::SerializeBook(SampleStore()));
  auto form = Open();
  QCoreApplication::processEvents();
  platform::QtHost host;
  const auto centre = [](const QWidget& w) {
    const QPoint p = w.mapToGlobal(w.rect().center());
    return drawing::ScreenPoint{p.x(), p.y()};
  };
  const QWidget& browser = form->WebBrowser1();
  EXPECT_EQ(host.WindowFromPoint(centre(browser)), reinterpret_cast<drawing::WindowHandle>(&browser));
  const auto& tree = static_cast<platform::QtSurface&>(form->Tray1().Surface());
  EXPECT_EQ(host.WindowFromPoint(centre(*tree.Widget())), tree.hWnd());
}

TEST_F(Form1Test, MissingOrDamagedBookStillOpens) {
  {
    auto form = Open();
    EXPECT_EQ(form->Tray1().LastItemIndex(), -1);
    EXPECT_EQ(form->List1().ListIndex(), 1);
    EXPECT_EQ(ReadFile(form->PageFile()), "");
    EXPECT_TRUE(form->LastError().isEmpty());
  }
  // Cut inside slot 3: slots 0..2 survive, the rest are empty, the user is told.
  const std::string whole = reader::SerializeBook(SampleStore());
  const std::size_t cut = 2 + 2 + reader::BytesToBase64(PageText(1)).size() + 2 +
                          reader::BytesToBase64(PageText(2)).size() + 2 + 10;
  WriteFile(app_ / "Data.dat", whole.substr(0, cut));
  auto form = Open();
  EXPECT_EQ(ReadFile(form->PageFile()), reader::ApplyTheme(PageText(2), kDesignTheme));
  EXPECT_TRUE(form->Store().Slot(3).empty());
  EXPECT_TRUE(form->LastError().contains("damaged")) << form->LastError().toStdString();
}

TEST_F(Form1Test, LayoutFollowsEveryResize) {
  auto form = Open(false);
  form->resize(1000, 500);
  QApplication::processEvents();
  auto& b = form->WebBrowser1();
  EXPECT_EQ(b.geometry(), QRect(376, 64, 1000 - 376, 500 - 64 - 25));
  EXPECT_EQ(form->List1().geometry(), QRect(816, 64, 97, b.height()));
  EXPECT_EQ(form->Tray1Widget().geometry(), QRect(0, 64, 371, b.height()));
  EXPECT_EQ(form->Hscroll2Widget().geometry(), QRect(1000 - 183, 500 - 17 - 5, 183, 17));
  EXPECT_EQ(form->Label2(1).geometry(), QRect(-8, 500 - 25, 569, 25));
  EXPECT_EQ(form->Label2(0).geometry(), QRect(-24, 0, 385, 49));

  // Too small for the browser: its width and height steps fail and are
  // skipped; every other step still runs with what it reads.
  form->resize(300, 50);
  QApplication::processEvents();
  EXPECT_EQ(b.geometry(), QRect(376, 64, 1000 - 376, 500 - 64 - 25));
  EXPECT_EQ(form->List1().geometry(), QRect(816, 64, 97, 411));
  EXPECT_EQ(form->Hscroll2Widget().geometry(), QRect(300 - 183, 50 - 17 - 5, 183, 17));
  EXPECT_EQ(form->Label2(1).y(), 50 - 25);

  form->resize(Form1::kDesignWidth, Form1::kDesignHeight);
  QApplication::processEvents();
  EXPECT_EQ(b.geometry(), QRect(376, 64, 1195 - 376, 639 - 64 - 25));
  EXPECT_EQ(form->Tray1().Surface().Height(), 639 - 64 - 25);
}

TEST_F(Form1Test, StackingFollowsCreationOrderWithLabelsBeneath) {
  auto form = Open(false);
  const QObjectList& order = form->children();  // bottom to top
  auto at = [&](QObject* w) { return order.indexOf(w); };
  const int browser = at(&form->WebBrowser1());
  for (QObject* covered : {static_cast<QObject*>(&form->List1()), static_cast<QObject*>(&form->File1()),
                           static_cast<QObject*>(&form->Command2())})
    EXPECT_LT(at(covered), browser);
  EXPECT_GT(at(&form->Tray1Widget()), browser);
  EXPECT_GT(at(&form->Hscroll2Widget()), browser);
  for (int k = 0; k < 2; ++k) EXPECT_LT(at(&form->Label1(k)), at(&form->Picture1()));
  EXPECT_LT(at(&form->Label2(1)), at(&form->Label1(0)));
  EXPECT_EQ(form->childAt(form->Command1().geometry().center()), &form->Command1());
  EXPECT_EQ(form->childAt(form->Command3().geometry().center()), &form->Command3());
  EXPECT_EQ(form->Command2().text(), QString::fromUtf8("Сбор базы"));
}

TEST_F(Form1Test, PageListAndTreeShowPages) {
  reader::SaveBook(app_ / "Data.dat", SampleStore());
  auto form = Open();
  form->List1().SetListIndex(4);
  EXPECT_EQ(ReadFile(form->PageFile()), reader::ApplyTheme(PageText(5), kDesignTheme));
  // A short page after a long one leaves nothing of the long one.
  form->List1().SetListIndex(5);
  EXPECT_EQ(ReadFile(form->PageFile()), "");
  // "139 - bet" decodes the contents list: an empty page.
  form->List1().SetListIndex(138);
  EXPECT_EQ(ReadFile(form->PageFile()), "");

  auto choose = [&](std::string field) {
    std::int32_t index = 0;
    std::string name, free;
    form->Tray1().VibranFil(index, name, free, field);
  };
  choose("3");
  EXPECT_EQ(ReadFile(form->PageFile()), reader::ApplyTheme(PageText(3), kDesignTheme));
  choose("2.5");  // halves round to even
  EXPECT_EQ(ReadFile(form->PageFile()), reader::ApplyTheme(PageText(2), kDesignTheme));
  choose("3.5");
  EXPECT_EQ(ReadFile(form->PageFile()), reader::ApplyTheme(PageText(4), kDesignTheme));
  EXPECT_TRUE(form->LastError().isEmpty());

  // Out of range: a clear message, nothing shown, the reader keeps running.
  choose("140");
  EXPECT_TRUE(form->LastError().contains("140")) << form->LastError().toStdString();
  EXPECT_EQ(ReadFile(form->PageFile()), reader::ApplyTheme(PageText(4), kDesignTheme));
  choose("99999999999999");
  choose("-1");
  form->List1().SetListIndex(0);
  EXPECT_EQ(ReadFile(form->PageFile()), reader::ApplyTheme(PageText(1), kDesignTheme));
}

// The page file keeps its name from page to page, so the engine could take a
// new page for a reload of the old one and carry its scroll position over.
TEST_F(Form1Test, ANewPageStartsAtItsTopWhateverTheOldOneWasScrolledTo) {
  reader::PageStore store;
  for (int n = 1; n <= 3; ++n)
    store.SetSlot(n, reader::BytesToBase64("<html><body><p id=p>page " + std::to_string(n) +
                                           "</p><div style=\"height:5000px\"></div></body></html>"));
  reader::SaveBook(app_ / "Data.dat", store);
  auto form = Open();
  ASSERT_TRUE(WaitForPage(*form));
  auto run = [&](const QString& source) {
    QVariant answer;
    QEventLoop loop;
    form->WebBrowser1().page()->runJavaScript(source, [&](const QVariant& value) {
      answer = value;
      loop.quit();
    });
    loop.exec();
    return answer;
  };
  run("window.scrollTo(0, 1500)");
  ASSERT_EQ(run("window.scrollY").toInt(), 1500);
  QSignalSpy loads(&form->WebBrowser1(), &platform::Browser::loadFinished);
  form->List1().SetListIndex(2);
  ASSERT_TRUE(loads.wait(10000));
  // Give a restore that comes after the load the time to happen.
  QEventLoop settle;
  QTimer::singleShot(300, &settle, &QEventLoop::quit);
  settle.exec();
  EXPECT_EQ(run("document.getElementById('p').textContent").toString(), "page 3");
  EXPECT_EQ(run("window.scrollY").toInt(), 0);
}

TEST_F(Form1Test, UnwritablePageFileIsReportedAndTheReaderGoesOn) {
  reader::SaveBook(app_ / "Data.dat", SampleStore());
  auto form = Open();
  ASSERT_TRUE(WaitForPage(*form));
  const fs::path page = form->PageFile();
  fs::remove(page);
  fs::create_directory(page);  // cannot be opened for writing, even by root
  QSignalSpy loads(&form->WebBrowser1(), &platform::Browser::loadFinished);
  form->List1().SetListIndex(2);
  EXPECT_TRUE(form->LastError().contains("tmp.html")) << form->LastError().toStdString();
  // The page shown before is not left standing as if it were the chosen one.
  ASSERT_TRUE(loads.wait(10000));
  EXPECT_EQ(form->WebBrowser1().url(), QUrl("about:blank"));
  fs::remove(page);
  form->List1().SetListIndex(2);
  EXPECT_EQ(ReadFile(page), reader::ApplyTheme(PageText(3), kDesignTheme));

  // A symlink or a hard link planted at the page file's name is replaced,
  // never written through.
  const fs::path victim = app_ / "victim.txt";
  WriteFile(victim, "keep");
  for (bool hard : {false, true}) {
    fs::remove(page);
    if (hard)
      fs::create_hard_link(victim, page);
    else
      fs::create_symlink(victim, page);
    form->List1().SetListIndex(hard ? 0 : 1);
    EXPECT_EQ(ReadFile(victim), "keep");
    EXPECT_EQ(ReadFile(page), reader::ApplyTheme(PageText(hard ? 1 : 2), kDesignTheme));
  }
}

TEST_F(Form1Test, UnreadableBookAndMissingTempFolderAreReportedByName) {
  // A folder or a FIFO where the book should be: the same kind of message
  // as damage, and nothing blocks; a FIFO outline stops the contents builder
  // with its name.
  for (bool fifo : {false, true}) {
    fs::remove(app_ / "Data.dat");
    if (fifo)
      ASSERT_EQ(::mkfifo((app_ / "Data.dat").c_str(), 0600), 0);
    else
      fs::create_directory(app_ / "Data.dat");
    auto form = Open();
    EXPECT_TRUE(form->LastError().contains("Data.dat")) << form->LastError().toStdString();
    EXPECT_TRUE(form->LastError().contains("cannot be read")) << form->LastError().toStdString();
    if (fifo) {
      fs::create_directories(app_ / "Data");
      ASSERT_EQ(::mkfifo((app_ / "Data" / "names.txt").c_str(), 0600), 0);
      form->Command1().click();
      EXPECT_TRUE(form->LastError().contains("names.txt")) << form->LastError().toStdString();
    }
  }
  // No private folder for the page file: the message names it and says why.
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  const QByteArray tmpdir = qgetenv("TMPDIR");
  WriteFile(app_ / "not-a-folder", "x");
  qputenv("XDG_RUNTIME_DIR", "");
  qputenv("TMPDIR", QByteArray::fromStdString((app_ / "not-a-folder").string()));
  auto form = Open();
  qputenv("XDG_RUNTIME_DIR", runtime);
  qputenv("TMPDIR", tmpdir);
  form->List1().SetListIndex(2);
  const std::string message = form->LastError().toStdString();
  EXPECT_NE(message.find((app_ / "not-a-folder").string()), std::string::npos) << message;
  EXPECT_NE(message.find("cannot be created"), std::string::npos) << message;
}

TEST_F(Form1Test, ATakenFallbackTempFolderStillShowsPages) {
  // Without a runtime folder, someone else made the fixed fallback folder
  // first, open to all, with a link planted at the page file's name.
  reader::SaveBook(app_ / "Data.dat", SampleStore());
  const fs::path tmp = app_ / "tmp";
  const fs::path squatted = tmp / ("studyguide-reader-" + std::to_string(::geteuid()));
  fs::create_directories(squatted);
  fs::permissions(squatted, fs::perms::all);
  WriteFile(app_ / "victim.txt", "keep");
  fs::create_symlink(app_ / "victim.txt", squatted / "tmp.html");
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  const QByteArray tmpdir = qgetenv("TMPDIR");
  qunsetenv("XDG_RUNTIME_DIR");
  qputenv("TMPDIR", QByteArray::fromStdString(tmp.string()));
  auto form = Open();
  qputenv("XDG_RUNTIME_DIR", runtime);
  qputenv("TMPDIR", tmpdir);
  EXPECT_TRUE(form->LastError().isEmpty()) << form->LastError().toStdString();
  EXPECT_EQ(form->PageFile().parent_path().parent_path(), tmp);
  EXPECT_NE(form->PageFile().parent_path(), squatted);
  ASSERT_TRUE(WaitForPage(*form));
  EXPECT_TRUE(DocumentHtml(*form).contains("page 2"));
  EXPECT_EQ(ReadFile(app_ / "victim.txt"), "keep");
  EXPECT_TRUE(fs::is_symlink(squatted / "tmp.html"));
}

TEST_F(Form1Test, MessagesBelongToTheWindowAndOpenOnlyOnceItIsShown) {
  WriteFile(app_ / "Data.dat", reader::SerializeBook(SampleStore()).substr(0, 100));
  Form1 form(app_);
  form.Load();  // as the program does: load first, then show
  const auto boxes = [&] { return form.findChildren<QMessageBox*>(); };
  ASSERT_EQ(boxes().size(), 1);
  EXPECT_FALSE(boxes().front()->isVisible()) << "a message shown before its window would lie beneath it";
  form.show();
  QApplication::processEvents();
  ASSERT_EQ(boxes().size(), 1);
  EXPECT_TRUE(boxes().front()->isVisible());
  EXPECT_EQ(boxes().front()->parentWidget(), &form);
  EXPECT_TRUE(boxes().front()->isWindow());
  EXPECT_TRUE(boxes().front()->text().contains("damaged"));
}

TEST_F(Form1Test, ZoomSliderAndSwatchHandlers) {
  auto form = Open();
  EXPECT_EQ(form->WebBrowser1().ZoomPercent(), 100);  // nothing sent at start-up
  form->Hscroll2().SetValue(20);
  EXPECT_EQ(form->WebBrowser1().RequestedZoomPercent(), 20);
  form->Hscroll2().SetValue(300);
  EXPECT_EQ(form->WebBrowser1().RequestedZoomPercent(), 300);
  form->Hscroll2().SetValue(500);  // the slider clamps before it tells the window
  EXPECT_EQ(form->Hscroll2().Value(), 300);
  EXPECT_EQ(form->WebBrowser1().RequestedZoomPercent(), 300);
  // The page gets the latest zoom once the waiting events have run.
  QEventLoop loop;
  for (int i = 0; i < 100 && form->WebBrowser1().ZoomPercent() != 300; ++i) {
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
  }
  EXPECT_EQ(form->WebBrowser1().ZoomPercent(), 300);

  EXPECT_EQ(Form1::RGBtoHTML(4, 38, 64), "042640");
  EXPECT_EQ(Form1::RGBtoHTML(256, 0, 0), "err");
  form->Label1(1).click();
  EXPECT_EQ(form->Label1(0).Caption(), "E0E0E0");
}

TEST_F(Form1Test, PackingButtonsBuildAndSaveTheBook) {
  reader::SaveBook(app_ / "Data.dat", SampleStore());
  WriteFile(app_ / "Data" / "names.txt", "Part\t\r\n`Alpha\tx\r\n`Beta\ty");
  WriteFile(app_ / "Lor2" / "b.html", PageText(20));
  WriteFile(app_ / "Lor2" / "A.html", PageText(10));
  auto form = Open();
  ASSERT_EQ(form->File1().ListCount(), 2);
  EXPECT_EQ(form->File1().FileName(0), "A.html");

  form->Command1().click();
  EXPECT_EQ(form->Tray1().LastItemIndex(), 2);
  EXPECT_EQ(form->Store().Slot(139), reader::BuildContents("Part\t\r\n`Alpha\tx\r\n`Beta\ty"));
  // Nothing is written until the pass.
  EXPECT_EQ(reader::LoadBook(app_ / "Data.dat").Slot(139), SampleStore().Slot(139));

  form->Command2().click();
  EXPECT_TRUE(form->LastError().isEmpty()) << form->LastError().toStdString();
  const reader::PageStore saved = reader::LoadBook(app_ / "Data.dat");
  EXPECT_EQ(saved, form->Store());
  EXPECT_EQ(reader::Base64ToBytes(saved.Slot(1)), PageText(10));
  EXPECT_EQ(reader::Base64ToBytes(saved.Slot(2)), PageText(20));
  EXPECT_EQ(saved.Slot(3), SampleStore().Slot(3));  // beyond the files: kept
  EXPECT_EQ(saved.Slot(139), reader::BuildContents("Part\t\r\n`Alpha\tx\r\n`Beta\ty"));

  // A damaged book is kept beside the new one, and the author is told where.
  const std::string damaged = reader::SerializeBook(SampleStore()).substr(0, 300);
  WriteFile(app_ / "Data.dat", damaged);
  form->Command2().click();
  EXPECT_TRUE(form->LastError().contains(QString::fromStdString((app_ / "Data.dat.damaged").string())))
      << form->LastError().toStdString();
  EXPECT_EQ(ReadFile(app_ / "Data.dat.damaged"), damaged);
  EXPECT_EQ(reader::LoadBook(app_ / "Data.dat"), form->Store());

  // A page link that leads out of the book stops the pass: the message names
  // the link and its target, and neither the book nor the pages shown change.
  const std::string before = ReadFile(app_ / "Data.dat");
  const QTemporaryDir outside;
  const fs::path secret = fs::path(outside.path().toStdString()) / "secret.txt";
  WriteFile(secret, "private");
  fs::create_symlink(secret, app_ / "Lor2" / "c.html");
  const reader::PageStore shown = form->Store();
  form->Command2().click();
  EXPECT_TRUE(form->LastError().contains(QString::fromStdString((app_ / "Lor2" / "c.html").string() +
                                                                ": a symbolic link to " + secret.string())))
      << form->LastError().toStdString();
  EXPECT_EQ(ReadFile(app_ / "Data.dat"), before);
  EXPECT_EQ(form->Store(), shown);
  fs::remove(app_ / "Lor2" / "c.html");

  // A save that cannot happen is reported and the book on disk is kept.
  fs::remove(app_ / "Data.dat");
  fs::create_directory(app_ / "Data.dat");
  form->Command2().click();
  EXPECT_TRUE(form->LastError().contains("Data.dat")) << form->LastError().toStdString();
  form->Command3().click();  // does nothing

  // Without an outline the contents empty, and the author hears why.
  fs::remove(app_ / "Data" / "names.txt");
  form->Command1().click();
  EXPECT_EQ(form->Tray1().LastItemIndex(), -1);
  EXPECT_EQ(form->Store().Slot(139), "");
  EXPECT_TRUE(form->LastError().contains("names.txt")) << form->LastError().toStdString();
}

}  // namespace

namespace {

// The tree and its balloon carry the values stored for this window.
TEST_F(Form1Test, TreeAndBalloonCarryTheirStoredValues) {
  auto form = Open(false);
  tree::Tray& tray = form->Tray1();
  EXPECT_EQ(tray.TrCvetText(), 0x00C0C0C0u);
  EXPECT_EQ(tray.TrCvetTextVb(), 0x00FFFFFFu);
  EXPECT_EQ(tray.TrVisotaPlanki(), 9);
  EXPECT_EQ(tray.TrOtstSleva(), 15);
  EXPECT_EQ(tray.TrOtstMegRazdel(), 2);
  EXPECT_EQ(tray.TrCvetRazdelVb(), 0x00808000u);
  EXPECT_EQ(tray.ColorRamki(), 2);
  EXPECT_EQ(tray.ColorMenuCvRazn(), 255);
  EXPECT_EQ(tray.SHagScrl(), 25);
  EXPECT_TRUE(tray.ScrollActivate());
  EXPECT_EQ(tray.ScrolBegunokVisota(), 25);
  EXPECT_EQ(tray.TrCvetPodRazdelVb(), 0x00808080u);
  EXPECT_EQ(tray.BorderStyle(), 0);
  EXPECT_EQ(tray.Appearance(), 0);
  EXPECT_EQ(tray.TrCvetFon(), 0x00373533u);
  EXPECT_EQ(tray.Spisok(), "");
  EXPECT_EQ(tray.ColorRamkiPROZRACHNOST(), 255);  // not stored: the default
  for (const drawing::Font* font : {&tray.FontShapka(), &tray.FontElement(), &tray.FontElementVibran()}) {
    EXPECT_EQ(font->face, "Arial");
    EXPECT_EQ(font->sizePoints, 9);
    EXPECT_EQ(font->weight, 400);
    EXPECT_EQ(font->charset, 204);
  }
  // Arial is drawn with its metric twin.
  EXPECT_EQ(QFontInfo(platform::ToQFont(tray.FontShapka())).family(), "Liberation Sans");
  ASSERT_TRUE(tray.PicFolderUp() && tray.PicFolderOpen() && tray.PicFileUp());
  EXPECT_EQ(tray.PicFolderUp()->Width(), 16);
  EXPECT_EQ(tray.PicFolderOpen()->Height(), 16);
  EXPECT_EQ(tray.PicFileUp()->Width(), 48);
  EXPECT_EQ(tray.PicFileUp()->Height(), 48);

  balloon::PodskazV& hint = tray.PodskazV1();
  EXPECT_EQ(hint.Font().face, "Arial");
  EXPECT_DOUBLE_EQ(hint.Font().sizePoints, 9.75);
  EXPECT_EQ(hint.BackColor(), 0x00FFFFFFu);
  EXPECT_EQ(hint.ForeColorTxtTop(), 0u);  // black text: the tree's colours are not copied on reading
  EXPECT_EQ(hint.ProzrachostFona(), 240);
  EXPECT_EQ(hint.PsetPicture(), 5);
  EXPECT_TRUE(hint.Shadow());
  EXPECT_EQ(hint.Zakruglenie(), 3);
  EXPECT_EQ(hint.SdvigOtKursora(), 50);
  EXPECT_EQ(hint.MaxWidth(), 750);
  EXPECT_EQ(hint.ForeColorTxtPod(), 0x00C0C0C0u);
  EXPECT_EQ(hint.TextOtstup(), 10);
  EXPECT_TRUE(hint.Zadergka());
  EXPECT_EQ(hint.ZadergkaTime(), 10);
  EXPECT_EQ(hint.PoyavlenieS(), 4);
  EXPECT_EQ(hint.ProzrachostOkna(), 255);  // not stored: the default

  // The zoom slider's stored values.
  EXPECT_EQ(form->Hscroll2().Value(), 100);
  EXPECT_EQ(form->Hscroll2().Min(), 20);
  EXPECT_EQ(form->Hscroll2().Max(), 300);
}

}  // namespace
