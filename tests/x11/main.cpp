// The X11 tests need a display and xdotool; without either they report
// themselves skipped (77). With --foreign-window the binary plays another
// program instead: see ForeignWindow.h.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

#include "tests/x11/ForeignWindow.h"

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], x11test::kForeignWindowFlag) == 0) return x11test::RunForeignWindow(argc, argv);
  if (qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::puts("No X display: the X11 tests are skipped.");
    return 77;
  }
  if (QStandardPaths::findExecutable("xdotool").isEmpty()) {
    std::puts("xdotool is not installed: the X11 tests are skipped.");
    return 77;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  // A private runtime folder keeps Qt quiet; the foreign window inherits it.
  QTemporaryDir runtime;
  QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  ::testing::InitGoogleTest(&argc, argv);
  // As the reader starts: a native child window keeps its siblings plain.
  QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
