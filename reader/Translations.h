#pragma once
// The reader's interface language and the identity the desktop knows it by.
#include <QIcon>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QTranslator;

namespace reader {

// The desktop entry's id: the desktop file name, and so the Wayland app id
// and the window class the desktop ties to the launcher.
inline constexpr const char* kAppId = "io.github.studyguide.Reader";

// Translators in force; they leave the application when this goes.
class InstalledTranslations {
 public:
  InstalledTranslations() = default;
  ~InstalledTranslations();
  InstalledTranslations(const InstalledTranslations&) = delete;
  InstalledTranslations& operator=(const InstalledTranslations&) = delete;

  // The language in use ("ru"), empty for the English source texts.
  const QString& Language() const { return language_; }

 private:
  friend std::unique_ptr<InstalledTranslations> InstallTranslations(const std::vector<std::string>&, const QString&);
  QString language_;
  std::vector<std::unique_ptr<QTranslator>> translators_;
};

// The first of languages that the reader has a translation for, from
// folder (studyguide-reader_LANG.qm), with Qt's own texts for it (its base
// widgets and dialogs, and the web engine) from Qt's translations folder.
// A language without a translation of the reader's own is skipped: the
// window never mixes two languages.
std::unique_ptr<InstalledTranslations> InstallTranslations(const std::vector<std::string>& languages,
                                                           const QString& folder);
// The same for the languages the environment asks for (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG), from the translations folder beside the program.
std::unique_ptr<InstalledTranslations> InstallTranslationsForUser();
QString TranslationsFolder();

// The program's name as the user reads it (message titles).
QString DisplayName();
// The icon of the icon theme, else the one compiled into the program.
QIcon AppIcon();
// Desktop file name, application name (the X11 window class) and the
// compiled-in window icon; before the first window is created. AppIcon can
// replace the icon later: looking up the icon theme takes a while.
void SetUpAppIdentity();

}  // namespace reader
