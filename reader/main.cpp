#include <QApplication>
#include <filesystem>
#include <iostream>

#include "platform/Browser.h"
#include "platform/FontWarmUp.h"
#include "platform/WebEngineModule.h"
#include "platform/WebEngineSetup.h"
#include "reader/Accessibility.h"
#include "reader/BenchProbe.h"
#include "reader/CommandLine.h"
#include "reader/Form1.h"
#include "reader/Translations.h"

int main(int argc, char** argv) {
  if (const auto answered = reader::AnswerCommandLine(argc, argv, std::cout)) return *answered;
  platform::WarmUpFonts();
  platform::PrepareWebEngineProcess();
  reader::InstallAccessibility();
  QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  QApplication app(argc, argv);
  // The web engine loads on the side while the window is built and shown.
  platform::PreloadWebEngineModule();
  reader::SetUpAppIdentity();
  const auto translations = reader::InstallTranslationsForUser();
  // The book lives next to the program. Qt reads the folder from
  // /proc/self/exe with links resolved, so a link to the program in a bin
  // folder still finds the book beside the real executable.
  reader::Form1 window(std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
  reader::AttachBenchProbeIfAsked(window);
  window.Load();
  window.show();
  // The icon theme's look-up takes several milliseconds; the window and its
  // first page go first, with the compiled-in icon until then.
  QObject::connect(
      &window.WebBrowser1(), &platform::Browser::loadFinished, &window,
      [] { QApplication::setWindowIcon(reader::AppIcon()); }, Qt::SingleShotConnection);
  const int code = app.exec();
  window.Unload();
  return code;
}
