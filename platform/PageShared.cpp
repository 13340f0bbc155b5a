#include "platform/PageShared.h"

#include <QCoreApplication>
#include <QDir>

namespace platform {

namespace {

// Every page is served under this one host. A scheme with a host gives its
// pages a real origin; a host-less (path) scheme gives each page an opaque
// origin of its own, and the engine then started a new renderer process for
// every page: 40-80 ms of each page switch went to that process start.
const QString kPageHost = QStringLiteral("book");

}  // namespace

QUrl PageUrl(const QString& clean_path) {
  QUrl url;
  url.setScheme(QString::fromLatin1(kPageScheme));
  url.setHost(kPageHost);
  url.setPath(clean_path);
  return url;
}

bool IsAllowedPage(const QUrl& url, const QString& allowed_file) {
  return !allowed_file.isEmpty() && url.host() == kPageHost && QDir::cleanPath(url.path()) == allowed_file;
}

// Generous on purpose: a character set sent with the page overrides the
// page's own declaration, so it is sent only when surely there is none. A
// meta element counts when it mentions a charset anywhere (charset=..., or
// http-equiv with content "...; charset=..."), anywhere in the page.
bool PageDeclaresCharset(const QByteArray& page) {
  if (page.startsWith("\xEF\xBB\xBF") || page.startsWith("\xFE\xFF") || page.startsWith("\xFF\xFE")) return true;
  const QByteArray lower = page.toLower();
  if (lower.startsWith("<?xml") && lower.left(lower.indexOf("?>")).contains("encoding")) return true;
  for (qsizetype at = lower.indexOf("<meta"); at >= 0; at = lower.indexOf("<meta", at + 5)) {
    qsizetype end = lower.indexOf('>', at);
    if (end < 0) end = lower.size();
    if (lower.mid(at, end - at).contains("charset")) return true;
  }
  return false;
}

QString PageStoppedNotice() { return QCoreApplication::translate("platform::PageStoppedCover", "The page stopped"); }

}  // namespace platform
