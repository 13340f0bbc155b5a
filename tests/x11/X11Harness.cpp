#include "tests/x11/X11Harness.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include "tests/x11/ForeignWindow.h"

namespace x11test {

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  QTimer wakeUp;
  wakeUp.start(50);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

QString RunTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString() << " failed: "
                  << process.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QStringList MoveTo(const QRect& place) { return MoveTo(place.center().x(), place.center().y()); }

QStringList MoveTo(int x, int y) { return {"mousemove", QString::number(x), QString::number(y)}; }

bool ForeignProcess::Start() {
  process_.start(QCoreApplication::applicationFilePath(),
                 {kForeignWindowFlag, QString::number(place_.x()), QString::number(place_.y()),
                  QString::number(place_.width()), QString::number(place_.height())});
  return WaitUntil([this] {
    Read();
    return !windowId_.isEmpty() || process_.state() == QProcess::NotRunning;
  }) && !windowId_.isEmpty();
}

ForeignProcess::~ForeignProcess() {
  process_.closeWriteChannel();
  if (!process_.waitForFinished(5000)) process_.kill();
  process_.waitForFinished(5000);
}

const std::vector<int>& ForeignProcess::Wheels() {
  Read();
  return wheels_;
}

void ForeignProcess::Read() {
  while (process_.canReadLine()) {
    const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
    if (line.startsWith("window ")) windowId_ = line.mid(7);
    if (line.startsWith("wheel ")) wheels_.push_back(line.mid(6).toInt());
  }
}

}  // namespace x11test
