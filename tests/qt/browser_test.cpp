// The embedded browser, headless: navigation, exact optical zoom measured in
// rendered pixels, and a hostile page that must neither block nor reach
// anything.
#include <gtest/gtest.h>

#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWidget>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/Browser.h"
#include "tests/qt/PageInput.h"

namespace {

using platform::Browser;

constexpr int kLoadTimeoutMs = 10000;

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// Navigates and waits for the matching loadFinished; returns its argument.
// The elapsed time goes to *elapsed_ms when asked for.
bool NavigateAndWait(Browser& browser, const QString& address, qint64* elapsed_ms = nullptr) {
  QSignalSpy finished(&browser, &platform::Browser::loadFinished);
  QElapsedTimer clock;
  clock.start();
  browser.Navigate(address);
  if (!finished.wait(kLoadTimeoutMs)) {
    ADD_FAILURE() << "no loadFinished for '" << address.toStdString() << "'";
    return false;
  }
  if (elapsed_ms) *elapsed_ms = clock.elapsed();
  return finished.last().at(0).toBool();
}

// Lets the event loop run for a moment: the renderer is another process
// and the view shows its frames some milliseconds after loadFinished or a
// zoom change. This is no timer of ours, so there is nothing to drive by hand.
void LetRendererCatchUp(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool IsColour(QRgb pixel, QColor colour) {
  return std::abs(qRed(pixel) - colour.red()) <= 8 && std::abs(qGreen(pixel) - colour.green()) <= 8 &&
         std::abs(qBlue(pixel) - colour.blue()) <= 8;
}

// Longest run of the box colour along the view's second pixel row, in
// device pixels.
int MeasureBox(Browser& browser, QColor colour) {
  const QImage image = browser.grab().toImage();
  if (image.height() < 2) return -1;
  int longest = 0;
  int run = 0;
  for (int x = 0; x < image.width(); ++x) {
    run = IsColour(image.pixel(x, 1), colour) ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

// Grabs until the box has the expected width or the attempts run out (a
// grab right after a load or zoom change can still show the last frame);
// returns the last width measured.
int BoxWidthSettlingOn(Browser& browser, QColor colour, int expected) {
  int width = -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    width = MeasureBox(browser, colour);
    if (width == expected) break;
    LetRendererCatchUp(20);
  }
  return width;
}

QByteArray BoxPage(const char* colour) {
  return QByteArray(
             "<!DOCTYPE html><html><head><style>html,body{margin:0;padding:0;background:#fff}"
             "#box{width:200px;height:200px;background:") +
         colour + "}</style></head><body><div id=box></div></body></html>";
}

QString RunScript(Browser& browser, const QString& source) {
  QString answer;
  bool done = false;
  QEventLoop loop;
  browser.page()->runJavaScript(source, [&](const QVariant& value) {
    answer = value.toString();
    done = true;
    loop.quit();
  });
  QTimer::singleShot(kLoadTimeoutMs, &loop, &QEventLoop::quit);
  if (!done) loop.exec();
  EXPECT_TRUE(done) << "script did not answer: " << source.toStdString();
  return answer;
}

TEST(BrowserTest, NavigatesToBlankLocalPathsAndFileUrls) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString first = dir.filePath("first.html");
  const QString second = dir.filePath("second.html");
  WriteFile(first, "<html><head><title>first</title></head><body>1</body></html>");
  WriteFile(second, "<html><head><title>second</title></head><body>2</body></html>");

  Browser browser;
  EXPECT_FALSE(browser.Silent());
  browser.SetSilent(true);
  EXPECT_TRUE(browser.Silent());
  browser.resize(400, 300);
  browser.show();

  qint64 first_ms = 0;
  EXPECT_TRUE(NavigateAndWait(browser, QString(), &first_ms));
  EXPECT_EQ(browser.url(), QUrl("about:blank"));

  qint64 path_ms = 0;
  EXPECT_TRUE(NavigateAndWait(browser, first, &path_ms));
  EXPECT_EQ(browser.ShownFile(), QFileInfo(first).absoluteFilePath());
  EXPECT_EQ(browser.title().toStdString(), "first");

  qint64 url_ms = 0;
  EXPECT_TRUE(NavigateAndWait(browser, QUrl::fromLocalFile(second).toString(), &url_ms));
  EXPECT_EQ(browser.title().toStdString(), "second");

  // The same file, rewritten, shows its new text: the reader rewrites one
  // page file for every page.
  WriteFile(second, "<html><head><title>rewritten</title></head><body>3</body></html>");
  EXPECT_TRUE(NavigateAndWait(browser, QString()));
  EXPECT_TRUE(NavigateAndWait(browser, second));
  EXPECT_EQ(browser.title().toStdString(), "rewritten");

  // Bad addresses end in a failed load, not a hang.
  EXPECT_FALSE(NavigateAndWait(browser, dir.filePath("missing.html")));
  EXPECT_TRUE(NavigateAndWait(browser, first));
  EXPECT_EQ(browser.title().toStdString(), "first");

  std::printf("[ timing   ] first load (about:blank) %lld ms, file by path %lld ms, file by URL %lld ms\n",
              static_cast<long long>(first_ms), static_cast<long long>(path_ms), static_cast<long long>(url_ms));
}

TEST(BrowserTest, PagesWithoutACharsetAreWindows1251AndDeclaredOnesKeepTheirs) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // Left to guesswork these bytes read as Windows-1252 ("Øèôð ÝÞß").
  const QString word = QString::fromUtf8("Шифр ЭЮЯ");
  const QByteArray cp1251 = "\xD8\xE8\xF4\xF0 \xDD\xDE\xDF";
  const QByteArray koi8 = "\xFB\xC9\xC6\xD2 \xFC\xE0\xF1";
  struct Case {
    const char* name;
    QByteArray page;
    const char* charset;
  } cases[] = {
      {"undeclared", "<html><head><title>" + cp1251 + "</title></head><body>" + cp1251 + "</body></html>",
       "windows-1251"},
      {"meta charset", "<html><head><meta charset=\"utf-8\"><title>" + word.toUtf8() + "</title></head></html>",
       "UTF-8"},
      {"http-equiv", "<html><head><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=koi8-r\">"
                     "<title>" + koi8 + "</title></head></html>",
       "KOI8-R"},
      {"byte order mark", "\xEF\xBB\xBF<html><head><title>" + word.toUtf8() + "</title></head></html>", "UTF-8"},
  };
  Browser browser;
  browser.SetSilent(true);
  browser.resize(400, 300);
  browser.show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(QStringLiteral("tmp.html"));
    WriteFile(path, c.page);
    // One file under a new query each time, as the window shows its pages:
    // the query reaches the address shown.
    QUrl address = QUrl::fromLocalFile(path);
    address.setQuery(QString::fromLatin1(c.charset));
    ASSERT_TRUE(NavigateAndWait(browser, address.toString(QUrl::FullyEncoded)));
    EXPECT_EQ(browser.url().query(), QString::fromLatin1(c.charset));
    EXPECT_EQ(RunScript(browser, QStringLiteral("document.title")), word);
    EXPECT_EQ(RunScript(browser, QStringLiteral("document.characterSet")), QString::fromLatin1(c.charset));
    EXPECT_EQ(platform::PageDeclaresCharset(c.page), std::string(c.name) != "undeclared");
  }
}

// Starting a renderer process for each page once cost every page switch
// 40-80 ms; the book's pages, however many, share one.
TEST(BrowserTest, PageSwitchesStayInOneRendererProcess) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString one = dir.filePath("one.html");
  const QString two = dir.filePath("two.html");
  WriteFile(one, "<html><body>1</body></html>");
  WriteFile(two, "<html><body>2</body></html>");
  Browser browser;
  browser.resize(300, 200);
  browser.show();
  ASSERT_TRUE(NavigateAndWait(browser, one));
  const qint64 renderer = browser.page()->renderProcessPid();
  ASSERT_GT(renderer, 0);
  QUrl again = QUrl::fromLocalFile(one);
  again.setQuery(QStringLiteral("2"));
  for (const QString& address : {two, again.toString(QUrl::FullyEncoded), one}) {
    SCOPED_TRACE(address.toStdString());
    ASSERT_TRUE(NavigateAndWait(browser, address));
    EXPECT_EQ(browser.page()->renderProcessPid(), renderer);
  }
}

// A view whose engine waits for its window's first paint: what is asked of
// it before then is kept, nothing makes a page early (Qt's own show handler
// would make an unprotected default one), and the hook point comes after
// the paint and before the first load.
TEST(BrowserTest, AnEngineStartedAfterThePaintCarriesOutWhatWasAskedBefore) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString page = dir.filePath("deferred.html");
  WriteFile(page, "<html><head><title>deferred</title></head><body>later</body></html>");

  QWidget window;
  window.resize(400, 300);
  // The view covers the window, so the view alone is sent the paint.
  struct PaintCounter : QObject {
    QWidget* window = nullptr;
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
      paints += event->type() == QEvent::Paint && watched->isWidgetType() &&
                static_cast<QWidget*>(watched)->window() == window;
      return false;
    }
  } counter;
  counter.window = &window;
  qApp->installEventFilter(&counter);
  auto* browser = new Browser(&window, Browser::EngineStart::AfterWindowPainted);
  browser->resize(400, 300);
  browser->SetZoomPercent(50);
  browser->Navigate(QString());
  browser->Navigate(page);
  EXPECT_EQ(browser->ShownFile(), QFileInfo(page).absoluteFilePath());

  int paints_at_start = -1;
  int loads_at_start = -1;
  int hooks = 0;
  QSignalSpy loads(browser, &platform::Browser::loadFinished);
  browser->WhenEngineStarted(&window, [&] {
    ++hooks;
    paints_at_start = counter.paints;
    loads_at_start = static_cast<int>(loads.count());
  });
  window.show();
  EXPECT_FALSE(browser->EngineRunning());
  // Qt makes its default page a child of the view; the view's own page is not.
  EXPECT_TRUE(window.findChildren<QWebEnginePage*>().isEmpty()) << "a page before the engine was due";

  ASSERT_TRUE(loads.wait(kLoadTimeoutMs));
  EXPECT_TRUE(loads.last().at(0).toBool());
  EXPECT_EQ(loads.count(), 1) << "the blank asked for first is replaced by the page";
  EXPECT_EQ(hooks, 1);
  EXPECT_GT(paints_at_start, 0) << "the engine started before the window was painted";
  EXPECT_EQ(loads_at_start, 0);
  EXPECT_TRUE(window.findChildren<QWebEnginePage*>().isEmpty()) << "a default page besides the view's own";
  EXPECT_EQ(browser->title().toStdString(), "deferred");
  EXPECT_DOUBLE_EQ(browser->page()->zoomFactor(), 0.5);
  // A hook added once the engine runs runs at once.
  browser->WhenEngineStarted(&window, [&] { ++hooks; });
  EXPECT_EQ(hooks, 2);
  qApp->removeEventFilter(&counter);
}

TEST(BrowserTest, ZoomIsExactOverTheWholeRangeAndStaysAcrossPages) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString red_page = dir.filePath("red.html");
  const QString blue_page = dir.filePath("blue.html");
  WriteFile(red_page, BoxPage("#ff0000"));
  WriteFile(blue_page, BoxPage("#0000ff"));
  const QColor red(255, 0, 0);
  const QColor blue(0, 0, 255);

  // Clamping needs no page.
  {
    Browser browser;
    EXPECT_EQ(browser.ZoomPercent(), 100);
    browser.SetZoomPercent(5);
    EXPECT_EQ(browser.ZoomPercent(), 20);
    browser.SetZoomPercent(-40);
    EXPECT_EQ(browser.ZoomPercent(), 20);
    browser.SetZoomPercent(1000);
    EXPECT_EQ(browser.ZoomPercent(), 300);
    browser.SetZoomPercent(57);
    EXPECT_EQ(browser.ZoomPercent(), 57);
  }

  Browser browser;
  browser.SetSilent(true);
  browser.resize(900, 700);
  browser.show();

  ASSERT_TRUE(NavigateAndWait(browser, red_page));
  const int at_100 = BoxWidthSettlingOn(browser, red, 200);
  EXPECT_EQ(at_100, 200);

  browser.SetZoomPercent(20);
  const int at_20 = BoxWidthSettlingOn(browser, red, 40);
  EXPECT_EQ(at_20, 40);

  // Every later page keeps it: another file, and a file after about:blank.
  ASSERT_TRUE(NavigateAndWait(browser, blue_page));
  const int at_20_next_page = BoxWidthSettlingOn(browser, blue, 40);
  EXPECT_EQ(at_20_next_page, 40);
  ASSERT_TRUE(NavigateAndWait(browser, QString()));
  ASSERT_TRUE(NavigateAndWait(browser, red_page));
  EXPECT_EQ(BoxWidthSettlingOn(browser, red, 40), 40);

  browser.SetZoomPercent(24);
  EXPECT_EQ(BoxWidthSettlingOn(browser, red, 48), 48);
  browser.SetZoomPercent(25);
  EXPECT_EQ(BoxWidthSettlingOn(browser, red, 50), 50);

  browser.SetZoomPercent(300);
  const int at_300 = BoxWidthSettlingOn(browser, red, 600);
  EXPECT_EQ(at_300, 600);
  ASSERT_TRUE(NavigateAndWait(browser, blue_page));
  EXPECT_EQ(BoxWidthSettlingOn(browser, blue, 600), 600);

  // Back from below 25 %: no CSS zoom may be left on the root element.
  browser.SetZoomPercent(20);
  EXPECT_EQ(BoxWidthSettlingOn(browser, blue, 40), 40);
  browser.SetZoomPercent(100);
  EXPECT_EQ(BoxWidthSettlingOn(browser, blue, 200), 200);
  ASSERT_TRUE(NavigateAndWait(browser, red_page));
  EXPECT_EQ(BoxWidthSettlingOn(browser, red, 200), 200);

  // A zoom set before the first page applies to it.
  Browser fresh;
  fresh.SetSilent(true);
  fresh.resize(900, 700);
  fresh.show();
  fresh.SetZoomPercent(20);
  ASSERT_TRUE(NavigateAndWait(fresh, blue_page));
  EXPECT_EQ(BoxWidthSettlingOn(fresh, blue, 40), 40);

  std::printf("[ measured ] box of 200 px: 20 %% -> %d px, 100 %% -> %d px, 300 %% -> %d px, 20 %% on next page -> %d px\n",
              at_20, at_100, at_300, at_20_next_page);
}

TEST(BrowserTest, HostilePageNeitherBlocksNorReachesAnything) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray secret = "neighbouring-secret-7f3a";
  WriteFile(dir.filePath("secret.txt"), secret);

  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  QSignalSpy connections(&server, &QTcpServer::newConnection);
  const QByteArray origin = "127.0.0.1:" + QByteArray::number(server.serverPort());

  QByteArray page =
      "<!DOCTYPE html><html><head><title>start</title>"
      "<link rel=stylesheet href='http://ORIGIN/style.css'>"
      "<script>this is not javascript(</script>"
      "<script>"
      "var results = {clicked: false};"
      "document.addEventListener('mousedown', function() { results.clicked = true; });"
      "window.addEventListener('beforeunload', function(e) {"
      "  e.preventDefault(); e.returnValue = 'stay'; return 'stay'; });"
      "alert('alert');"
      "results.confirm = confirm('confirm');"
      "results.prompt = prompt('prompt', 'default answer');"
      "results.open = window.open('about:blank') === null ? 'null' : 'window';"
      "setTimeout(function() { noSuchFunction(); }, 0);"
      "function read(p) { return p.then(function(r) { return r.text(); })"
      "  .then(function(t) { return 'read:' + t; }, function() { return 'failed'; }); }"
      "function xhr(url) { return new Promise(function(done) {"
      "  var r = new XMLHttpRequest();"
      "  r.onload = function() { done('read:' + r.responseText); };"
      "  r.onerror = function() { done('failed'); };"
      "  try { r.open('GET', url); r.send(); } catch (e) { done('failed'); } }); }"
      "function image(url) { return new Promise(function(done) {"
      "  var i = new Image(); i.onload = function() { done('loaded'); };"
      "  i.onerror = function() { done('failed'); }; i.src = url; }); }"
      "function socket(url) { return new Promise(function(done) {"
      "  try { var s = new WebSocket(url); s.onopen = function() { done('open'); };"
      "    s.onerror = function() { done('failed'); }; s.onclose = function() { done('failed'); };"
      "  } catch (e) { done('failed'); } }); }"
      "function where() { return new Promise(function(done) {"
      "  if (!navigator.geolocation) return done('none');"
      "  navigator.geolocation.getCurrentPosition(function() { done('granted'); },"
      "    function() { done('denied'); }); }); }"
      "function notify() { return window.Notification ? Notification.requestPermission()"
      "  .then(function(p) { return p; }, function() { return 'failed'; }) : Promise.resolve('none'); }"
      // A check that reaches something may wait forever for an answer;
      // it reports 'pending' instead of holding up the others.
      "function bounded(p) { return Promise.race([p, new Promise(function(done) {"
      "  setTimeout(function() { done('pending'); }, 3000); })]); }"
      "window.addEventListener('load', function() {"
      "  Promise.all([read(fetch('secret.txt')), read(fetch('SECRET_URL')), xhr('secret.txt'),"
      "    read(fetch('http://ORIGIN/fetch')), image('http://ORIGIN/image.png'),"
      "    socket('ws://ORIGIN/socket'), where(), notify(),"
      // The shown page's own path under another host of the page scheme.
      "    read(fetch(location.href.replace('//' + location.host + '/', '//elsewhere/'))),"
      "    new Promise(function(done) { var m = document.getElementById('markup');"
      "      if (m.complete) done(m.naturalWidth ? 'loaded' : 'failed');"
      "      else { m.onload = function() { done('loaded'); }; m.onerror = function() { done('failed'); }; } })"
      "  ].map(bounded)).then(function(v) {"
      "    results.fetchNeighbour = v[0]; results.fetchNeighbourUrl = v[1]; results.xhrNeighbour = v[2];"
      "    results.fetchLoopback = v[3]; results.imageLoopback = v[4]; results.socketLoopback = v[5];"
      "    results.geolocation = v[6]; results.notifications = v[7]; results.otherHost = v[8];"
      "    results.markupImage = v[9];"
      "    try { localStorage.setItem('k', 'v'); results.storage = 'kept'; } catch (e) { results.storage = 'failed'; }"
      "    document.title = 'done'; });"
      "});"
      "</script></head><body style='margin:0'>"
      "<img id=markup src='http://ORIGIN/markup.png'>"
      "<div style='width:300px;height:300px;background:#0f0'></div></body></html>";
  page.replace("ORIGIN", origin);
  page.replace("SECRET_URL", QUrl::fromLocalFile(dir.filePath("secret.txt")).toEncoded());
  const QString hostile = dir.filePath("hostile.html");
  WriteFile(hostile, page);
  const QString after = dir.filePath("after.html");
  WriteFile(after, "<html><head><title>after</title></head><body>after</body></html>");

  Browser browser;
  browser.SetSilent(true);
  browser.resize(800, 600);
  browser.show();
  const QWidgetList windows_before = QApplication::topLevelWidgets();

  QSignalSpy titles(&browser, &platform::Browser::titleChanged);
  EXPECT_TRUE(NavigateAndWait(browser, hostile));
  while (browser.title() != "done" && titles.wait(kLoadTimeoutMs)) {
  }
  ASSERT_EQ(browser.title().toStdString(), "done") << "the page's checks did not all finish";

  const QJsonObject results =
      QJsonDocument::fromJson(RunScript(browser, "JSON.stringify(results)").toUtf8()).object();
  const QString all = QString::fromUtf8(QJsonDocument(results).toJson(QJsonDocument::Compact));
  SCOPED_TRACE(all.toStdString());
  EXPECT_FALSE(all.contains(QString::fromLatin1(secret)));
  EXPECT_EQ(results["confirm"].toBool(), true);
  EXPECT_EQ(results["prompt"].toString().toStdString(), "default answer");
  EXPECT_EQ(results["open"].toString().toStdString(), "null");
  for (const char* key : {"fetchNeighbour", "fetchNeighbourUrl", "xhrNeighbour", "fetchLoopback", "imageLoopback",
                          "socketLoopback", "markupImage", "otherHost", "storage"}) {
    EXPECT_EQ(results[key].toString().toStdString(), "failed") << key;
  }
  EXPECT_NE(results["geolocation"].toString().toStdString(), "granted");
  EXPECT_NE(results["notifications"].toString().toStdString(), "granted");
  for (QWidget* window : QApplication::topLevelWidgets()) {
    EXPECT_TRUE(windows_before.contains(window)) << "a new window: " << window->metaObject()->className();
  }

  // The view itself may not go to the network either.
  EXPECT_FALSE(NavigateAndWait(browser, "http://" + QString::fromLatin1(origin) + "/page"));

  // A click gives the page the user activation that arms its beforeunload
  // handler; leaving it must still work.
  ASSERT_TRUE(NavigateAndWait(browser, hostile));
  while (browser.title() != "done" && titles.wait(kLoadTimeoutMs)) {
  }
  QWidget* input = PageInput(browser);
  for (int attempt = 0; attempt < 50 && RunScript(browser, "String(results.clicked)") != "true"; ++attempt) {
    QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(100, 100));
    LetRendererCatchUp(20);
  }
  EXPECT_EQ(RunScript(browser, "String(results.clicked)").toStdString(), "true");
  qint64 after_ms = 0;
  EXPECT_TRUE(NavigateAndWait(browser, after, &after_ms));
  EXPECT_EQ(browser.title().toStdString(), "after");

  // Nothing reached the server, and the server would have noticed: a
  // connection of our own is counted.
  EXPECT_FALSE(connections.wait(300));
  EXPECT_EQ(connections.count(), 0);
  QTcpSocket probe;
  probe.connectToHost(QHostAddress::LocalHost, server.serverPort());
  EXPECT_TRUE(connections.wait(kLoadTimeoutMs));
  EXPECT_EQ(connections.count(), 1);

  std::printf("[ timing   ] leaving a page with a beforeunload handler: %lld ms\n", static_cast<long long>(after_ms));
}

}  // namespace

namespace {

// Ctrl+wheel would zoom the page behind the zoom slider's back.
TEST(BrowserTest, ABurstOfZoomRequestsEndsAtTheLastOneWithoutReplayingTheRest) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString page = dir.filePath("red.html");
  WriteFile(page, BoxPage("#ff0000"));
  Browser browser;
  browser.SetSilent(true);
  browser.resize(900, 700);
  browser.show();
  ASSERT_TRUE(NavigateAndWait(browser, page));

  // A drag's worth of requests before the event loop runs again reach the
  // page as one, the last.
  for (int percent = 22; percent <= 300; percent += 2) browser.RequestZoomPercent(percent);
  EXPECT_EQ(browser.ZoomPercent(), 100);
  EXPECT_EQ(browser.RequestedZoomPercent(), 300);
  EXPECT_EQ(BoxWidthSettlingOn(browser, QColor(255, 0, 0), 600), 600);
  EXPECT_EQ(browser.ZoomPercent(), 300);

  // A direct setting overrides a request still waiting.
  browser.RequestZoomPercent(50);
  browser.RequestZoomPercent(60);
  browser.SetZoomPercent(100);
  EXPECT_EQ(BoxWidthSettlingOn(browser, QColor(255, 0, 0), 200), 200);
  LetRendererCatchUp(50);
  EXPECT_EQ(browser.ZoomPercent(), 100);
}

TEST(BrowserTest, CtrlWheelDoesNotChangeTheZoom) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString page = dir.filePath("red.html");
  WriteFile(page, BoxPage("#ff0000"));
  Browser browser;
  browser.SetSilent(true);
  browser.resize(900, 700);
  browser.show();
  ASSERT_TRUE(NavigateAndWait(browser, page));
  ASSERT_EQ(BoxWidthSettlingOn(browser, QColor(255, 0, 0), 200), 200);
  QWidget* target = PageInput(browser);
  for (int i = 0; i < 5; ++i) {
    QWheelEvent wheel(QPointF(50, 50), browser.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QCoreApplication::instance()->notify(target, &wheel);
  }
  LetRendererCatchUp(300);
  EXPECT_DOUBLE_EQ(browser.zoomFactor(), 1.0);
  EXPECT_EQ(MeasureBox(browser, QColor(255, 0, 0)), 200);
}

}  // namespace

namespace {

// What lies beneath the view in the window shows through wherever the view
// is not opaque.
int BackdropPixels(QWidget& backdrop, const QRect& view, QColor colour) {
  const QImage image = backdrop.grab(view).toImage();
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += IsColour(image.pixel(x, y), colour) ? 1 : 0;
  return count;
}

TEST(BrowserTest, AKilledRendererLeavesAnOpaqueNoticeAndTheNextPageLoads) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString green = dir.filePath("green.html");
  const QString blue = dir.filePath("blue.html");
  WriteFile(green, BoxPage("#00ff00"));
  WriteFile(blue, BoxPage("#0000ff"));
  const QColor red(255, 0, 0);

  QWidget backdrop;
  QPalette colours = backdrop.palette();
  colours.setColor(QPalette::Window, red);
  backdrop.setPalette(colours);
  backdrop.setAutoFillBackground(true);
  backdrop.resize(500, 400);
  Browser browser(&backdrop);
  browser.SetSilent(true);
  browser.setGeometry(20, 20, 400, 300);
  backdrop.show();
  ASSERT_TRUE(NavigateAndWait(browser, green));
  ASSERT_EQ(BoxWidthSettlingOn(browser, QColor(0, 255, 0), 200), 200);
  EXPECT_EQ(BackdropPixels(backdrop, browser.geometry(), red), 0);

  // The renderer is a child process of this test; it ends as a page that
  // the engine kills for its memory would.
  const qint64 renderer = browser.page()->renderProcessPid();
  ASSERT_GT(renderer, 0);
  QSignalSpy terminated(browser.page(), &QWebEnginePage::renderProcessTerminated);
  ASSERT_EQ(::kill(static_cast<pid_t>(renderer), SIGKILL), 0);
  ASSERT_TRUE(terminated.wait(kLoadTimeoutMs));
  LetRendererCatchUp(200);
  EXPECT_EQ(BackdropPixels(backdrop, browser.geometry(), red), 0) << "the view let the window show through";
  const QImage stopped = browser.grab().toImage();
  int ink = 0;
  for (int y = 0; y < stopped.height(); ++y)
    for (int x = 0; x < stopped.width(); ++x) ink += qGray(stopped.pixel(x, y)) < 200 ? 1 : 0;
  EXPECT_GT(ink, 0) << "no notice drawn";
  EXPECT_LT(ink, stopped.width() * stopped.height() / 10) << "not an empty page";
  const QList<QLabel*> notices = browser.findChildren<QLabel*>();
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(notices.front()->isVisible());
  EXPECT_EQ(notices.front()->text().toStdString(), "The page stopped");

  // The next page gets a new renderer and shows as usual.
  ASSERT_TRUE(NavigateAndWait(browser, blue));
  EXPECT_EQ(BoxWidthSettlingOn(browser, QColor(0, 0, 255), 200), 200);
  EXPECT_FALSE(notices.front()->isVisible());
  EXPECT_EQ(BackdropPixels(backdrop, browser.geometry(), red), 0);
}

}  // namespace
