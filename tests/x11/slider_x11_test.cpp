// The built reader under a real X server, driven by xdotool like a person
// with a mouse: pressing the zoom slider's track, holding its increase button
// and dragging its thumb zoom the page. The zoom is measured on the page
// itself, through the web engine's remote debugging port: a 100 px element
// rendered at the page's scale.
#include <gtest/gtest.h>

#include <QByteArray>
#include <cmath>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <cstdio>
#include <optional>

#include "tests/x11/X11Harness.h"

namespace {

// The design's slider: 183 x 17 in the window's bottom-right corner, 5 px
// above the bottom edge; 17 px buttons; thumb skin fill colour.
constexpr int kSliderWidth = 183;
constexpr int kSliderHeight = 17;
constexpr int kButton = 17;
const QRgb kThumbFill = qRgb(0xC4, 0xC4, 0xC4);

using x11test::WaitUntil;

QString Xdotool(const QStringList& arguments) { return x11test::RunTool("xdotool", arguments); }

int FreePort() {
  QTcpServer server;
  server.listen(QHostAddress::LocalHost, 0);
  return server.serverPort();
}

// Just enough of the remote debugging protocol to evaluate one expression
// in the page: an HTTP request for the page list, then a WebSocket with
// single unfragmented text frames.
class PageProbe {
 public:
  explicit PageProbe(int port) : port_(port) {}

  // The debugging address of the page showing the book's page file.
  bool FindPage() {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", static_cast<quint16>(port_));
    if (!socket.waitForConnected(1000)) return false;
    socket.write("GET /json HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray reply;
    while (socket.waitForReadyRead(1000)) reply += socket.readAll();
    const qsizetype body = reply.indexOf("\r\n\r\n");
    if (body < 0) return false;
    for (const QJsonValue& page : QJsonDocument::fromJson(reply.mid(body + 4)).array()) {
      const QJsonObject o = page.toObject();
      if (QUrl(o["url"].toString()).path().endsWith("tmp.html")) path_ = QUrl(o["webSocketDebuggerUrl"].toString()).path();
    }
    return !path_.isEmpty();
  }

  bool Connect() {
    socket_ = std::make_unique<QTcpSocket>();
    socket_->connectToHost("127.0.0.1", static_cast<quint16>(port_));
    if (!socket_->waitForConnected(1000)) return false;
    socket_->write("GET " + path_.toUtf8() +
                   " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                   "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    QByteArray head;
    while (!head.contains("\r\n\r\n") && socket_->waitForReadyRead(2000)) head += socket_->readAll();
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (!head.startsWith("HTTP/1.1 101") || end < 0) return false;
    pending_ = head.mid(end + 4);
    return true;
  }

  std::optional<double> Evaluate(const QString& expression) {
    const int id = ++lastId_;
    const QJsonObject params{{"expression", expression}, {"returnByValue", true}};
    SendText(QJsonDocument(QJsonObject{{"id", id}, {"method", "Runtime.evaluate"}, {"params", params}})
                 .toJson(QJsonDocument::Compact));
    for (int frames = 0; frames < 100; ++frames) {
      const std::optional<QByteArray> text = ReadFrame();
      if (!text) return std::nullopt;
      const QJsonObject reply = QJsonDocument::fromJson(*text).object();
      if (reply["id"].toInt() != id) continue;
      const QJsonValue value = reply["result"].toObject()["result"].toObject()["value"];
      if (!value.isDouble()) return std::nullopt;
      return value.toDouble();
    }
    return std::nullopt;
  }

  // The page's zoom in percent: the rendered width of a 100 px element in
  // device pixels (the page scale shows in devicePixelRatio, a CSS zoom below
  // 25 % on the root element's style).
  std::optional<double> ZoomPercent() {
    return Evaluate(
        "(function(){var d=document.createElement('div');"
        "d.style.cssText='position:absolute;left:0;top:0;width:100px;height:1px';"
        "document.documentElement.appendChild(d);"
        "var w=d.getBoundingClientRect().width*window.devicePixelRatio;d.remove();"
      "return Math.round(w*(parseFloat(document.documentElement.style.zoom)||1));})()");
  }

 private:
  void SendText(const QByteArray& payload) {
    QByteArray frame;
    frame.append(char(0x81));
    if (payload.size() < 126) {
      frame.append(char(0x80 | payload.size()));
    } else {
      frame.append(char(0x80 | 126));
      frame.append(char((payload.size() >> 8) & 0xFF));
      frame.append(char(payload.size() & 0xFF));
    }
    const char mask[4] = {0x12, 0x34, 0x56, 0x78};
    frame.append(mask, 4);
    for (qsizetype i = 0; i < payload.size(); ++i) frame.append(char(payload[i] ^ mask[i % 4]));
    socket_->write(frame);
    socket_->flush();
  }

  bool Need(qsizetype bytes) {
    while (pending_.size() < bytes) {
      if (!socket_->waitForReadyRead(5000)) return false;
      pending_ += socket_->readAll();
    }
    return true;
  }

  std::optional<QByteArray> ReadFrame() {
    if (!Need(2)) return std::nullopt;
    quint64 length = static_cast<quint8>(pending_[1]) & 0x7F;
    qsizetype header = 2;
    if (length == 126) {
      if (!Need(4)) return std::nullopt;
      length = (quint64(quint8(pending_[2])) << 8) | quint8(pending_[3]);
      header = 4;
    } else if (length == 127) {
      if (!Need(10)) return std::nullopt;
      length = 0;
      for (int i = 2; i < 10; ++i) length = (length << 8) | quint8(pending_[i]);
      header = 10;
    }
    if (!Need(header + static_cast<qsizetype>(length))) return std::nullopt;
    QByteArray payload = pending_.mid(header, static_cast<qsizetype>(length));
    pending_.remove(0, header + static_cast<qsizetype>(length));
    return payload;
  }

  int port_;
  QString path_;
  std::unique_ptr<QTcpSocket> socket_;
  QByteArray pending_;
  int lastId_ = 0;
};

class SliderX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    if (screen.width() < 1200 || screen.height() < 650) GTEST_SKIP() << "the screen is too small for the window";
    const int port = FreePort();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QTWEBENGINE_REMOTE_DEBUGGING", QStringLiteral("127.0.0.1:%1").arg(port));
    reader_.setProcessEnvironment(env);
    reader_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    reader_.start(READER_EXE, {});
    ASSERT_TRUE(reader_.waitForStarted());
    probe_ = std::make_unique<PageProbe>(port);
    ASSERT_TRUE(WaitUntil([&] { return probe_->FindPage(); })) << "the reader showed no page";
    ASSERT_TRUE(probe_->Connect());

    // No window manager: the window's client area is where X reports it.
    const QString shell = Xdotool({"search", "--sync", "--name", "^Form1$", "getwindowgeometry", "--shell"});
    QRect window;
    for (const QString& line : shell.split('\n')) {
      const QStringList kv = line.split('=');
      if (kv.size() != 2) continue;
      if (kv[0] == "X") window.moveLeft(kv[1].toInt());
      if (kv[0] == "Y") window.moveTop(kv[1].toInt());
      if (kv[0] == "WIDTH") window.setWidth(kv[1].toInt());
      if (kv[0] == "HEIGHT") window.setHeight(kv[1].toInt());
    }
    slider_ = QRect(window.right() + 1 - kSliderWidth, window.bottom() + 1 - kSliderHeight - 5, kSliderWidth,
                    kSliderHeight);
    trackLeft_ = slider_.left() + kButton;
  }

  void TearDown() override {
    if (reader_.state() == QProcess::NotRunning) return;
    reader_.terminate();
    if (!reader_.waitForFinished(5000)) reader_.kill();
    reader_.waitForFinished(5000);
  }

  // Waits until the page's zoom equals expected, or has stopped changing
  // when expected is empty; returns the last zoom measured.
  double SettledZoom(std::optional<double> expected) {
    double last = -1;
    int same = 0;
    WaitUntil([&] {
      const std::optional<double> zoom = probe_->ZoomPercent();
      if (!zoom) return false;
      same = *zoom == last ? same + 1 : 0;
      last = *zoom;
      if (expected) return *zoom == *expected;
      return same >= 6;
    });
    return last;
  }

  QRgb ScreenPixel(int x, int y) {
    return QGuiApplication::primaryScreen()->grabWindow(0, x, y, 1, 1).toImage().pixel(0, 0);
  }

  QProcess reader_;
  std::unique_ptr<PageProbe> probe_;
  QRect slider_;
  int trackLeft_ = 0;
};

TEST_F(SliderX11Test, TrackPressButtonHoldAndThumbDragZoomThePage) {
  const int y = slider_.top() + kSliderHeight / 2;
  ASSERT_EQ(SettledZoom(100), 100) << "the page does not start at 100 %";

  // A press on the track left of the thumb puts its left edge under the
  // pointer: x = 5 of 149 gives round(5 * 280 / 139 + 20) = 30 %, thumb at 5.
  EXPECT_NE(ScreenPixel(trackLeft_ + 9, y), kThumbFill);
  Xdotool({"mousemove", QString::number(trackLeft_ + 5), QString::number(y), "click", "1"});
  EXPECT_EQ(SettledZoom(30), 30);
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(trackLeft_ + 9, y) == kThumbFill; }, 3000))
      << "the thumb did not jump under the pointer";

  // Holding the increase button steps the zoom up by 2 every 20 ms.
  Xdotool({"mousemove", QString::number(slider_.right() - kButton / 2), QString::number(y), "mousedown", "1",
           "sleep", "0.5", "mouseup", "1"});
  const double held = SettledZoom(std::nullopt);
  EXPECT_GE(held, 30 + 2 * 3);
  EXPECT_LT(held, 300);
  EXPECT_EQ(static_cast<int>(held) % 2, 0);
  std::printf("[ measured ] 0.5 s on the increase button: 30 %% -> %g %%\n", held);

  // Dragging the thumb past the track's right end gives 300 %.
  const int thumbLeft = static_cast<int>(std::lround((held - 20) * 139 / 280));
  QStringList drag{"mousemove", QString::number(trackLeft_ + thumbLeft + 5), QString::number(y), "mousedown", "1"};
  for (int x = trackLeft_ + thumbLeft + 10; x <= slider_.right() + 40; x += 10)
    drag << "mousemove" << QString::number(x) << QString::number(y);
  drag << "mouseup" << "1";
  Xdotool(drag);
  EXPECT_EQ(SettledZoom(300), 300);
}

// The zoom keys anywhere in the window and Ctrl+wheel over the page move
// the slider's Value by 10 (Ctrl+0 back to 100): the page's zoom and the
// thumb follow together, so the slider and the page never disagree.
TEST_F(SliderX11Test, ZoomKeysAndCtrlWheelZoomThePageAndMoveTheThumb) {
  const int y = slider_.top() + kSliderHeight / 2;
  ASSERT_EQ(SettledZoom(100), 100) << "the page does not start at 100 %";
  Xdotool({"search", "--name", "^Form1$", "windowfocus", "--sync"});
  // The thumb's middle at a zoom: travel 139 px for 280 %, thumb 10 px.
  const auto thumbMiddle = [&](int zoom) { return trackLeft_ + static_cast<int>(std::lround((zoom - 20) * 139.0 / 280)) + 5; };
  // A page point well inside the view (376, 64 in the window, 433 wide).
  const QPoint onPage(slider_.right() - 300, slider_.top() - 200);
  struct Step {
    QStringList input;
    int zoom;
  };
  const Step steps[] = {
      {{"key", "ctrl+plus"}, 110},
      {{"key", "ctrl+equal"}, 120},
      {{"key", "ctrl+minus"}, 110},
      {{"key", "ctrl+0"}, 100},
      // The page has the keyboard now (F6): the keys still zoom through the slider.
      {{"key", "F6", "ctrl+plus"}, 110},
      {{"mousemove", QString::number(onPage.x()), QString::number(onPage.y()), "keydown", "ctrl", "click", "4",
        "keyup", "ctrl"},
       120},
      {{"keydown", "ctrl", "click", "5", "click", "5", "click", "5", "keyup", "ctrl"}, 90},
  };
  int before = 100;
  for (const Step& step : steps) {
    Xdotool(step.input);
    EXPECT_EQ(SettledZoom(step.zoom), step.zoom) << step.input.join(' ').toStdString();
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(thumbMiddle(step.zoom), y) == kThumbFill; }, 3000))
        << "the thumb is not at " << step.zoom << " %";
    if (std::abs(thumbMiddle(step.zoom) - thumbMiddle(before)) > 10) {
      EXPECT_NE(ScreenPixel(thumbMiddle(before), y), kThumbFill) << "the thumb stayed at " << before << " %";
    }
    before = step.zoom;
  }
}

}  // namespace
