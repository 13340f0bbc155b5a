#pragma once
// Every vertical wheel notch on the desktop, also over other programs'
// windows and while ours are inactive, reported as one call with the
// notch's sign. The notch is only watched, never taken away from the window
// it was meant for.
//
// On X11 the notches come from XInput2 raw button presses on the root
// window, read through Qt's own connection. Where there is no desktop-wide
// source (Wayland, the offscreen platform, an X server without XInput2) the
// notches that reach the application's own windows are counted instead.
#include <functional>
#include <memory>

namespace platform {

class DesktopWheel {
 public:
  // sign is +1 when the wheel turned away from the user and -1 when it
  // turned towards the user: the sign of the wheel delta as Qt
  // reports it. Exceptions thrown by the handler end at the wheel source; they
  // cannot be carried through Qt's event dispatch.
  using NotchHandler = std::function<void(int sign)>;

  enum class Source {
    None,        // not installed
    X11Raw,      // the whole desktop
    OwnWindows,  // only wheel events that reach this application's windows
  };

  explicit DesktopWheel(NotchHandler onNotch);
  ~DesktopWheel();
  DesktopWheel(const DesktopWheel&) = delete;
  DesktopWheel& operator=(const DesktopWheel&) = delete;

  // Starts watching; a second call while installed does nothing. Needs a
  // QGuiApplication; without one nothing is installed.
  void Install();
  // Stops watching; harmless when not installed.
  void Remove();
  bool Installed() const { return source_ != Source::None; }
  Source ActiveSource() const { return source_; }

 private:
  class RawButtonFilter;
  class WindowWheelFilter;

  void Report(int sign) const;
  bool InstallRawEvents();

  NotchHandler onNotch_;
  Source source_ = Source::None;
  std::unique_ptr<RawButtonFilter> rawFilter_;
  std::unique_ptr<WindowWheelFilter> windowFilter_;
};

}  // namespace platform
