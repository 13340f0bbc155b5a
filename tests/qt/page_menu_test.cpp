// The reader's everyday conveniences in the real window, headless: the
// page's context menu and what each entry does (history, copy, zoom,
// print, PDF), the keys and mouse buttons for Back and Forward, the zoom
// hint, the interface language and the program's icon.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>
#include <filesystem>
#include <fstream>

#include "controls/slider/Hscroll.h"
#include "platform/Browser.h"
#include "platform/PageShared.h"
#include "tests/qt/PageInput.h"
#include "platform/StandardControls.h"
#include "reader/Form1.h"
#include "reader/PageMenu.h"
#include "reader/Translations.h"
#include "reader/ZoomHint.h"
#include "reader/core/Base64.h"
#include "reader/core/PageStore.h"
#include "tests/fakes/FakeClock.h"

namespace fs = std::filesystem;
using reader::Form1;

namespace {

// A page in the book's colours; "page N" is its text.
std::string PageText(int n, const std::string& extra = {}) {
  return "<html><body style=\"background-color:#fff5d2\"><p style=\"font-family:'Calibri'; color:#000000\">page " +
         std::to_string(n) + " text</p>" + extra + "</body></html>";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the event loop until done() or about 20 s have passed.
bool WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 400 && !done(); ++i) {
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return done();
}

QString RunTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(30000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

class PageMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    app_ = fs::path(dir_.path().toStdString());
    reader::PageStore store;
    for (int n = 1; n <= 5; ++n) store.SetSlot(n, reader::BytesToBase64(PageText(n)));
    store.SetSlot(6, reader::BytesToBase64(PageText(6, "<input id=field autofocus value=abc>")));
    reader::SaveBook(app_ / "Data.dat", store);
  }

  std::unique_ptr<Form1> Open() {
    auto form = std::make_unique<Form1>(app_);
    form->show();
    form->Load();
    return form;
  }

  // Shows page n as a click on its list item does, and waits for it.
  static void ShowFromList(Form1& form, int n) {
    form.List1().SetListIndex(n - 1);
    ASSERT_TRUE(WaitForPage(form));
  }

  // The view shows page n, loaded (the address alone cannot tell: every
  // page is the same file).
  static bool WaitForPage(Form1& form, int n = -1) {
    if (n < 0) n = ShownPage(form);
    auto text = std::make_shared<QString>();
    return WaitUntil([&form, n, text] {
      platform::Browser& b = form.WebBrowser1();
      b.page()->runJavaScript(QStringLiteral("document.body ? document.body.innerText : ''"),
                              [text](const QVariant& v) { *text = v.toString(); });
      return !b.page()->isLoading() && text->contains(QStringLiteral("page %1 text").arg(n));
    });
  }

  // The page number in the page file.
  static int ShownPage(Form1& form) {
    const std::string text = ReadFile(form.PageFile());
    const auto at = text.find("page ");
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 5);
  }

  static QAction* Entry(QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions())
      if (action->text() == text) return action;
    return nullptr;
  }

  QTemporaryDir dir_;
  fs::path app_;
};

TEST_F(PageMenuTest, TheMenuHoldsOnlyWhatWorksAndEachEntryDoesWhatItSays) {
  ASSERT_FALSE(QStandardPaths::findExecutable("pdftotext").isEmpty()) << "pdftotext (poppler-utils) is missing";
  // A home of its own: nothing may appear in it.
  QTemporaryDir home;
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", home.path().toLocal8Bit());
  QTemporaryDir out;
  {
    auto form = Open();
    ASSERT_TRUE(WaitForPage(*form));
    ShowFromList(*form, 3);
    ShowFromList(*form, 4);
    reader::PageMenu& menu = form->PageContextMenu();
    std::unique_ptr<QMenu> built(menu.Build(nullptr));
    QStringList texts;
    for (QAction* action : built->actions())
      if (!action->isSeparator()) texts << action->text();
    // The window's find bar answers Find in the page.
    EXPECT_EQ(texts, QStringList({"Back", "Forward", "Copy", "Select all", "Find in the page", "Print…",
                                  "Save as PDF…", "Zoom in", "Zoom out", "Actual size"}));
    EXPECT_TRUE(Entry(*built, "Back")->isEnabled());
    EXPECT_FALSE(Entry(*built, "Forward")->isEnabled());
    EXPECT_FALSE(Entry(*built, "Copy")->isEnabled());  // nothing selected yet

    QString pdfPath;
    bool pdfOk = false;
    int pdfCalls = 0;
    menu.pdfDone = [&](const QString& path, bool ok) {
      pdfPath = path;
      pdfOk = ok;
      ++pdfCalls;
    };
    int printCalls = 0;
    bool printOk = false;
    menu.printDone = [&](bool ok) {
      printOk = ok;
      ++printCalls;
    };
    QString chosenFile;
    QString suggested;
    menu.choosePdfFile = [&](QWidget*, const QString& path) {
      suggested = path;
      return chosenFile;
    };
    QString printFile;
    menu.choosePrinter = [&](QWidget*) -> std::unique_ptr<QPrinter> {
      if (printFile.isEmpty()) return nullptr;  // the dialog was cancelled
      auto printer = std::make_unique<QPrinter>();
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(printFile);
      return printer;
    };
    slider::Hscroll& zoom = form->Hscroll2();
    const QString blocked = out.filePath("plain-file");
    std::ofstream(blocked.toStdString()) << "x";

    struct Row {
      const char* entry;
      std::function<void()> before;
      std::function<bool()> done;  // what choosing it must lead to
    };
    const std::vector<Row> rows = {
        {"Back", {}, [&] { return ShownPage(*form) == 3 && WaitForPage(*form, 3); }},
        {"Forward", {}, [&] { return ShownPage(*form) == 4 && WaitForPage(*form, 4); }},
        {"Select all",
         [&] {
           QApplication::setActiveWindow(form.get());
           form->WebBrowser1().setFocus();
         },
         [&] { return form->WebBrowser1().selectedText().contains("page 4"); }},
        {"Copy", {}, [&] { return QApplication::clipboard()->text().contains("page 4 text"); }},
        {"Zoom in", {}, [&] { return zoom.Value() == 110 && form->WebBrowser1().RequestedZoomPercent() == 110; }},
        {"Zoom in", {}, [&] { return zoom.Value() == 120; }},
        {"Zoom out", {}, [&] { return zoom.Value() == 110; }},
        {"Actual size", {}, [&] { return zoom.Value() == 100 && form->WebBrowser1().RequestedZoomPercent() == 100; }},
        {"Zoom in", [&] { zoom.SetValue(300); }, [&] { return zoom.Value() == 300; }},  // clamped by the slider
        {"Zoom out", [&] { zoom.SetValue(20); }, [&] { return zoom.Value() == 20; }},
        {"Print…", [&] { printFile = out.filePath("printed.pdf"); },
         [&] { return printCalls == 1 && printOk && QFileInfo(printFile).size() > 0; }},
        {"Print…", [&] { printFile.clear(); }, [&] { return printCalls == 1; }},  // cancelled: nothing
        {"Print…", [&] { printFile = blocked + "/printed.pdf"; },
         [&] { return printCalls == 2 && !printOk && form->LastError().contains("could not be printed"); }},
        {"Save as PDF…", [&] { chosenFile = out.filePath("saved.pdf"); },
         [&] { return pdfCalls == 1 && pdfOk && pdfPath == chosenFile; }},
        {"Save as PDF…", [&] { chosenFile.clear(); }, [&] { return pdfCalls == 1; }},  // cancelled: nothing
        {"Save as PDF…", [&] { chosenFile = blocked + "/page.pdf"; },
         [&] { return pdfCalls == 2 && !pdfOk && form->LastError().contains(blocked + "/page.pdf"); }},
    };
    for (const Row& row : rows) {
      if (row.before) row.before();
      std::unique_ptr<QMenu> now(menu.Build(nullptr));
      QAction* action = Entry(*now, QString::fromUtf8(row.entry));
      ASSERT_NE(action, nullptr) << row.entry;
      ASSERT_TRUE(action->isEnabled()) << row.entry;
      action->trigger();
      EXPECT_TRUE(WaitUntil(row.done)) << row.entry;
    }
    // The dialog starts in the home folder while there is no documents
    // folder, and in the documents folder once there is one.
    EXPECT_EQ(suggested, QDir(home.path()).filePath("page 4.pdf"));
    EXPECT_EQ(reader::PageMenu::StartFolder(), home.path());
    // The list's selection stays where the reader left it.
    EXPECT_EQ(form->List1().ListIndex(), 3);

    // Both documents carry the page on the window's background colour
    // rather than the book's own; the saved one keeps the text as text (the
    // engine prints through page images, off by one in each channel).
    EXPECT_TRUE(RunTool("pdftotext", {out.filePath("saved.pdf"), "-"}).contains("page 4 text"));
    for (const QString& file : {out.filePath("printed.pdf"), out.filePath("saved.pdf")}) {
      const QString png = file + "-pixel";
      RunTool("pdftoppm", {"-png", "-r", "20", "-singlefile", "-x", "20", "-y", "40", "-W", "1", "-H", "1", file, png});
      const QImage pixel(png + ".png");
      ASSERT_FALSE(pixel.isNull()) << file.toStdString();
      const QColor c = pixel.pixelColor(0, 0);
      for (int channel : {c.red(), c.green(), c.blue()}) EXPECT_NEAR(channel, 0xE0, 1) << file.toStdString();
    }

    // Find in the page appears once there is something to find with.
    int finds = 0;
    menu.SetFindInPage([&] { ++finds; });
    std::unique_ptr<QMenu> withFind(menu.Build(nullptr));
    ASSERT_NE(Entry(*withFind, "Find in the page"), nullptr);
    Entry(*withFind, "Find in the page")->trigger();
    EXPECT_EQ(finds, 1);
  }
  EXPECT_FALSE(QFileInfo::exists(home.filePath("Downloads")));
  EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
  QDir(home.path()).mkdir("Documents");
  EXPECT_EQ(reader::PageMenu::StartFolder(), home.filePath("Documents"));
  qputenv("HOME", oldHome);
}

TEST_F(PageMenuTest, KeysAndMouseButtonsGoBackAndForward) {
  auto form = Open();
  ASSERT_TRUE(WaitForPage(*form));
  // Back and Forward with nothing to go to change nothing.
  form->GoBack();
  form->GoForward();
  EXPECT_EQ(ShownPage(*form), 2);
  ShowFromList(*form, 3);
  QApplication::setActiveWindow(form.get());
  form->WebBrowser1().setFocus();
  // The engine's widget that takes the input; a new document may bring a
  // new one.
  const auto page = [&] { return form->WebBrowser1().EngineRunning() ? PageInput(form->WebBrowser1()) : nullptr; };
  ASSERT_TRUE(WaitUntil([&] { return page() != nullptr; }));

  struct Row {
    const char* name;
    std::function<void()> act;
    int page;
  };
  const std::vector<Row> rows = {
      // (Each key and button on the page, on a real X server: history_reader_x11.)
      {"Backspace", [&] { QTest::keyClick(page(), Qt::Key_Backspace); }, 2},
      {"Alt+Right", [&] { QTest::keyClick(page(), Qt::Key_Right, Qt::AltModifier); }, 3},
      {"the forward button at the end", [&] { QTest::mouseClick(page(), Qt::ForwardButton); }, 3},
      {"the back button on the window's background",
       [&] {
         QTest::mouseClick(form.get(), Qt::BackButton, {}, {5, 600});
       },
       2},
  };
  for (const Row& row : rows) {
    row.act();
    EXPECT_TRUE(WaitUntil([&] { return ShownPage(*form) == row.page; })) << row.name << ": " << ShownPage(*form);
    ASSERT_TRUE(WaitForPage(*form));
  }
  // Ctrl+P opens the print dialog; cancelled, it prints nothing.
  QString dialogClass;
  QTimer::singleShot(500, [&] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      dialogClass = dialog->metaObject()->className();
      static_cast<QDialog*>(dialog)->reject();
    }
  });
  int printed = 0;
  form->PageContextMenu().printDone = [&](bool) { ++printed; };
  QTest::keyClick(page(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(dialogClass, "QPrintDialog");
  QTest::qWait(300);
  EXPECT_EQ(printed, 0);

  // The page shown on the way never entered the history twice.
  EXPECT_EQ(form->PageHistory().Size(), 2u);

  // Backspace in a text field of the page edits the field.
  ShowFromList(*form, 6);
  ASSERT_TRUE(WaitUntil([&] { return page() && page()->testAttribute(Qt::WA_InputMethodEnabled); }));
  QTest::keyClick(page(), Qt::Key_Backspace);
  QTest::qWait(300);
  EXPECT_EQ(ShownPage(*form), 6);
}

TEST_F(PageMenuTest, WholeFileWritesOrLeavesTheOldOneAlone) {
  QTemporaryDir dir;
  const QString existing = dir.filePath("old.pdf");
  const QString plain = dir.filePath("plain");
  std::ofstream(plain.toStdString()) << "x";
  const QString readOnly = dir.filePath("read-only");
  QDir().mkdir(readOnly);
  QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const bool root = geteuid() == 0;  // root writes into any folder
  struct Row {
    const char* name;
    QString path;
    qint64 fileLimit;  // RLIMIT_FSIZE while writing, 0: none (a full disk)
    bool ok;
  };
  const Row rows[] = {
      {"a new file", dir.filePath("new.pdf"), 0, true},
      {"a missing folder", dir.filePath("missing/new.pdf"), 0, false},
      {"a file where the folder should be", plain + "/new.pdf", 0, false},
      {"a read-only file system", "/proc/new.pdf", 0, false},
      {"a folder without write permission", readOnly + "/new.pdf", 0, root},
      {"a full disk over an existing file", existing, 1000, false},
  };
  const QByteArray bytes(64 * 1024, 'p');
  signal(SIGXFSZ, SIG_IGN);
  for (const Row& row : rows) {
    {
      QFile old(existing);
      ASSERT_TRUE(old.open(QIODevice::WriteOnly));
      old.write("old");
    }
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    if (row.fileLimit) {
      rlimit small = saved;
      small.rlim_cur = static_cast<rlim_t>(row.fileLimit);
      setrlimit(RLIMIT_FSIZE, &small);
    }
    const QString reason = reader::WriteWholeFile(row.path, bytes);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(reason.isEmpty(), row.ok) << row.name << ": " << reason.toStdString();
    if (row.ok) {
      EXPECT_EQ(QFileInfo(row.path).size(), bytes.size()) << row.name;
    } else {
      EXPECT_EQ(ReadFile(existing.toStdString()), "old") << row.name;
    }
    QFile::remove(dir.filePath("new.pdf"));
  }
  signal(SIGXFSZ, SIG_DFL);
}

TEST_F(PageMenuTest, TheZoomShowsForASecondAtTheSliderAndInItsToolTip) {
  // The hint alone on a fake clock.
  QWidget window;
  window.resize(1195, 639);
  QWidget slider(&window);
  slider.setGeometry(1012, 617, 183, 17);
  fakes::FakeClock clock;
  reader::ZoomHint hint(window, slider, std::make_unique<fakes::FakeTimer>(clock), 100);
  EXPECT_EQ(slider.toolTip(), "Zoom: 100 %");
  window.show();
  struct Row {
    const char* name;
    int zoom;  // 0: no change
    int advance;
    bool visible;
  };
  const Row rows[] = {
      {"a change shows it", 150, 0, true},
      {"still there after 900 ms", 0, 900, true},
      {"a change restarts the second", 160, 900, true},
      {"gone a second after the last change", 0, 100, false},
      {"a change brings it back", 170, 0, true},
      {"gone after a second", 0, 1000, false},
  };
  int lastZoom = 0;
  for (const Row& row : rows) {
    if (row.zoom) {
      hint.Zoomed(row.zoom);
      lastZoom = row.zoom;
    }
    clock.Advance(row.advance);
    EXPECT_EQ(hint.isVisible(), row.visible) << row.name;
    EXPECT_EQ(hint.text(), QString("%1 %").arg(lastZoom)) << row.name;
    EXPECT_EQ(slider.toolTip(), QString("Zoom: %1 %").arg(lastZoom)) << row.name;
    if (row.visible) {
      EXPECT_EQ(hint.geometry().right(), slider.geometry().right()) << row.name;
      EXPECT_EQ(hint.geometry().bottom() + 3, slider.geometry().top()) << row.name;
    }
  }

  // In the window: every Value assignment shows it; the slider keeps its size.
  auto form = Open();
  QWidget& zoom = form->Hscroll2Widget();
  const QSize size = zoom.size();
  EXPECT_EQ(zoom.toolTip(), "Zoom: 100 %");  // from the start
  form->Hscroll2().SetValue(130);
  EXPECT_TRUE(form->Hscroll2Hint().isVisible());
  EXPECT_EQ(form->Hscroll2Hint().text(), "130 %");
  EXPECT_EQ(zoom.toolTip(), "Zoom: 130 %");
  EXPECT_EQ(zoom.size(), size);
  EXPECT_EQ(size, QSize(183, 17));
}

TEST_F(PageMenuTest, TheLanguageFollowsTheLocaleAndMessagesCarryTheProgramsName) {
  // A book cut short: the damaged-book message.
  const std::string whole = ReadFile(app_ / "Data.dat");
  std::ofstream(app_ / "Data.dat", std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() / 2);
  struct Row {
    const char* lang;
    const char* language;  // LANGUAGE
    QString message, title, qtCancel, engineBack, back, stopped;
  };
  const Row rows[] = {
      {"ru_RU.UTF-8", "", "повреждён", "Учебное пособие", "Отмена", "Назад", "Назад", "Страница остановлена"},
      {"C", "", "is damaged", "Study Guide Reader", "Cancel", "Back", "Back", "The page stopped"},
      // LANGUAGE does not count under C.
      {"C", "ru", "is damaged", "Study Guide Reader", "Cancel", "Back", "Back", "The page stopped"},
      // No German translation: all English, Qt's texts too.
      {"de_DE.UTF-8", "", "is damaged", "Study Guide Reader", "Cancel", "Back", "Back", "The page stopped"},
      {"de_DE.UTF-8", "de:ru", "повреждён", "Учебное пособие", "Отмена", "Назад", "Назад", "Страница остановлена"},
  };
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE", "LANG"}) qunsetenv(name);
  for (const Row& row : rows) {
    qputenv("LANG", row.lang);
    qputenv("LANGUAGE", row.language);
    const auto installed = reader::InstallTranslationsForUser();
    auto form = Open();
    QApplication::processEvents();
    const auto boxes = form->findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1) << row.lang;
    EXPECT_TRUE(boxes[0]->text().contains(row.message)) << row.lang << ": " << boxes[0]->text().toStdString();
    EXPECT_EQ(boxes[0]->windowTitle(), row.title) << row.lang;
    // Qt's own texts: a standard button, and the web engine's.
    QMessageBox probe(QMessageBox::Warning, "", "", QMessageBox::Cancel);
    EXPECT_EQ(probe.button(QMessageBox::Cancel)->text().remove('&'), row.qtCancel) << row.lang;
    EXPECT_EQ(QCoreApplication::translate("RenderViewContextMenuQt", "Back"), row.engineBack) << row.lang;
    std::unique_ptr<QMenu> menu(form->PageContextMenu().Build(nullptr));
    EXPECT_EQ(menu->actions().first()->text(), row.back) << row.lang;
    EXPECT_EQ(form->windowTitle(), "Form1") << row.lang;
    // The notice shown when a page's renderer has ended.
    EXPECT_EQ(platform::PageStoppedNotice(), row.stopped) << row.lang;
  }
  qunsetenv("LANG");
  qunsetenv("LANGUAGE");
}

TEST_F(PageMenuTest, TheIconComesFromTheThemeElseFromTheProgram) {
  QTemporaryDir themes;
  const QString folder = themes.filePath("hicolor/48x48/apps");
  QDir().mkpath(folder);
  std::ofstream(themes.filePath("hicolor/index.theme").toStdString())
      << "[Icon Theme]\nName=hicolor\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n";
  QImage red(48, 48, QImage::Format_ARGB32);
  red.fill(Qt::red);
  red.save(folder + "/io.github.studyguide.Reader.png");
  const QStringList oldPaths = QIcon::themeSearchPaths();
  const QString oldTheme = QIcon::themeName();
  struct Row {
    const char* name;
    QStringList paths;
    QString theme;
    QColor centre;
  };
  reader::AppIcon();  // registers the compiled-in icon
  const Row rows[] = {
      {"the theme's icon", {themes.path()}, "hicolor", Qt::red},
      {"no icon theme at all",
       {themes.filePath("missing")},
       "missing-theme",
       QImage(":/icon/48.png").pixelColor(24, 24)},
  };
  for (const Row& row : rows) {
    QIcon::setThemeSearchPaths(row.paths);
    QIcon::setThemeName(row.theme);
    const QIcon icon = reader::AppIcon();
    ASSERT_FALSE(icon.isNull()) << row.name;
    EXPECT_EQ(icon.pixmap(48, 48).toImage().pixelColor(24, 24), row.centre) << row.name;
  }
  QIcon::setThemeSearchPaths(oldPaths);
  QIcon::setThemeName(oldTheme);
  reader::SetUpAppIdentity();
  EXPECT_EQ(QGuiApplication::desktopFileName(), "io.github.studyguide.Reader");
  EXPECT_EQ(QCoreApplication::applicationName(), "io.github.studyguide.Reader");
  EXPECT_FALSE(QApplication::windowIcon().isNull());
}

}  // namespace
