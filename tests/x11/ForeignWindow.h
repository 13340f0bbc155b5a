#pragma once
// "Another program": a separate process with one plain window at a given
// place. It prints "window <id>" once the window is on screen and
// "wheel <angle>" for every wheel event the window gets, and quits when its
// standard input closes.
namespace x11test {

inline constexpr char kForeignWindowFlag[] = "--foreign-window";

// argv: program, flag, x, y, width, height.
int RunForeignWindow(int argc, char** argv);

}  // namespace x11test
