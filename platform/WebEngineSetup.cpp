#include "platform/WebEngineSetup.h"

#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>

namespace platform {

void PrepareWebEngineProcess() {
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  // WebRTC's STUN probes go out over UDP and pass the request interceptor;
  // this policy keeps a hostile page from reaching any address that way.
  flags += " --force-webrtc-ip-handling-policy=disable_non_proxied_udp";
  // There is no GPU on the machines this runs on headless; software
  // compositing avoids a noisy failed GPU process start.
  if (qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen")) flags += " --disable-gpu";
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
  // On Linux the engine keeps the page's document away from assistive
  // technology unless asked; asked, a screen reader can read the page. The
  // engine builds that tree only while a screen reader listens.
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
    qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
  // Chromium refuses to start as root with its sandbox on (the first page
  // creation exits the process). Only root runs (CI, test machines) switch
  // it off; a normal user keeps the sandbox.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  // A clean start prints nothing: the web engine's start-up report and the
  // pages' console are silenced. Rules a user sets in QT_LOGGING_RULES
  // still take precedence over these.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false\njs.*=false"));
  // What the engine's libraries set by themselves when they are loaded with
  // the program, before the application object exists; loaded later, from
  // their module, they find it done: the engine shares OpenGL contexts with
  // Qt's. (Qt Quick's OpenGL drawing is the default here, and the engine's
  // libraries ask for it as they load, before any Qt Quick window exists.)
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace platform
