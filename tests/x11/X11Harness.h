#pragma once
// What the X11 tests share: waiting on the X server, running xdotool, and
// "another program" (a foreign window in a process of its own).
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace x11test {

// Runs the event loop until done() holds or the deadline passes. The wake-up
// timer only bounds each wait: what is waited for comes from the X server.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 10000);

// Runs a tool to its end; a failure is a test failure. Returns its output.
QString RunTool(const QString& program, const QStringList& arguments);

// xdotool arguments that put the pointer on the centre of place.
QStringList MoveTo(const QRect& place);
// xdotool arguments that put the pointer on a screen point.
QStringList MoveTo(int x, int y);

// The foreign window process (see ForeignWindow.h).
class ForeignProcess {
 public:
  explicit ForeignProcess(const QRect& place) : place_(place) {}
  ~ForeignProcess();
  ForeignProcess(const ForeignProcess&) = delete;
  ForeignProcess& operator=(const ForeignProcess&) = delete;

  // Starts it and waits for its window to be on screen.
  bool Start();
  const QString& WindowId() const { return windowId_; }
  // Wheel angles the foreign window reported so far.
  const std::vector<int>& Wheels();

 private:
  void Read();

  QRect place_;
  QProcess process_;
  QString windowId_;
  std::vector<int> wheels_;
};

}  // namespace x11test
