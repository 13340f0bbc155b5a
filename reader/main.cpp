#include <QApplication>
#include <filesystem>

#include "platform/WebEngineSetup.h"
#include "reader/Form1.h"

int main(int argc, char** argv) {
  platform::PrepareWebEngineProcess();
  QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  QApplication app(argc, argv);
  // The book lives next to the program.
  reader::Form1 window(std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
  window.Load();
  window.show();
  const int code = app.exec();
  window.Unload();
  return code;
}
