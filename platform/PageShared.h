#pragma once
// What the window's side of the page view and the web engine module both
// need: how a local page is addressed, which address is the allowed one, and
// the page's own texts. Qt Core only, so the window's program can use it
// without loading the engine.
#include <QByteArray>
#include <QString>
#include <QUrl>

namespace platform {

// Local pages are served through this scheme rather than file:, because
// only a served page can carry a character set: the book's pages are
// Windows-1251 and many do not say so, and a file: page without a
// declaration is decoded by guesswork (Cyrillic came out as Hebrew).
inline constexpr char kPageScheme[] = "reader-page";

// The served address of a local file (a clean absolute path).
QUrl PageUrl(const QString& clean_path);

// Whether a page-scheme address names exactly the allowed file.
bool IsAllowedPage(const QUrl& url, const QString& allowed_file);

// Whether an HTML page declares its own character set (byte order mark,
// XML declaration, or a meta element naming a charset).
bool PageDeclaresCharset(const QByteArray& page);

// The notice over a page whose renderer ended, in the interface's language.
QString PageStoppedNotice();

}  // namespace platform
