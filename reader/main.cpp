#include <QApplication>
#include <filesystem>
#include <iostream>

#include "platform/WebEngineSetup.h"
#include "reader/Accessibility.h"
#include "reader/BenchProbe.h"
#include "reader/CommandLine.h"
#include "reader/Form1.h"
#include "reader/Translations.h"

int main(int argc, char** argv) {
  if (const auto answered = reader::AnswerCommandLine(argc, argv, std::cout)) return *answered;
  platform::PrepareWebEngineProcess();
  reader::InstallAccessibility();
  QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  QApplication app(argc, argv);
  reader::SetUpAppIdentity();
  const auto translations = reader::InstallTranslationsForUser();
  // The book lives next to the program. Qt reads the folder from
  // /proc/self/exe with links resolved, so a link to the program in a bin
  // folder still finds the book beside the real executable.
  reader::Form1 window(std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
  reader::AttachBenchProbeIfAsked(window);
  window.Load();
  window.show();
  const int code = app.exec();
  window.Unload();
  return code;
}
