#include "reader/Translations.h"

#include <QApplication>
#include <iterator>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/PngImage.h"
#include "reader/core/UiLanguage.h"

static void RegisterIconResources() { Q_INIT_RESOURCE(icon); }

namespace reader {

InstalledTranslations::~InstalledTranslations() {
  for (const auto& translator : translators_) QCoreApplication::removeTranslator(translator.get());
}

std::unique_ptr<InstalledTranslations> InstallTranslations(const std::vector<std::string>& languages,
                                                           const QString& folder) {
  auto installed = std::make_unique<InstalledTranslations>();
  for (const std::string& entry : languages) {
    const QString language = QString::fromStdString(entry);
    // English is the source: nothing to load, and nothing after it counts.
    if (language == QLatin1String("en") || language.startsWith(QLatin1String("en_"))) break;
    auto own = std::make_unique<QTranslator>();
    if (!own->load(QStringLiteral("studyguide-reader_") + language, folder)) continue;
    installed->language_ = language;
    QCoreApplication::installTranslator(own.get());
    installed->translators_.push_back(std::move(own));
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* module : {"qtbase_", "qtwebengine_"}) {
      auto qt = std::make_unique<QTranslator>();
      // Missing ones are fine: those texts stay in English.
      if (!qt->load(QLatin1String(module) + language, qtFolder)) continue;
      QCoreApplication::installTranslator(qt.get());
      installed->translators_.push_back(std::move(qt));
    }
    break;
  }
  return installed;
}

QString TranslationsFolder() {
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"));
}

std::unique_ptr<InstalledTranslations> InstallTranslationsForUser() {
  return InstallTranslations(UiLanguages([](const char* name) { return qEnvironmentVariable(name).toStdString(); }),
                             TranslationsFolder());
}

QString DisplayName() { return QCoreApplication::translate("Application", "Study Guide Reader"); }

namespace {

constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// Decoded here rather than by QIcon, which would load every image format
// plugin to read them (see DecodeImage). Up to largest pixels square.
QIcon BuiltInIcon(int largest = kIconSizes[std::size(kIconSizes) - 1]) {
  QIcon icon;
  for (int size : kIconSizes) {
    if (size > largest) break;
    QFile file(QStringLiteral(":/icon/%1.png").arg(size));
    if (file.open(QIODevice::ReadOnly)) icon.addPixmap(QPixmap::fromImage(platform::DecodeImage(file.readAll())));
  }
  return icon;
}

}  // namespace

QIcon AppIcon() {
  RegisterIconResources();
  return QIcon::fromTheme(QLatin1String(kAppId), BuiltInIcon());
}

void SetUpAppIdentity() {
  // The Wayland app id comes from the desktop file name; the X11 window
  // class from the application name (the instance part stays the
  // program's file name).
  QGuiApplication::setDesktopFileName(QLatin1String(kAppId));
  QCoreApplication::setApplicationName(QLatin1String(kAppId));
  RegisterIconResources();
  // The sizes a window's frame and a task bar use: the two largest hold
  // nine tenths of the pixels to decode, and come with AppIcon later.
  QApplication::setWindowIcon(BuiltInIcon(64));
}

}  // namespace reader
