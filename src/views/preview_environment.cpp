#include "views/preview_environment.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QCoreApplication>
#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace tintor {

namespace {

// Chromium keeps WebGL from every GPU on its block list, and that list holds
// the software renderers of virtual machines, remote desktops and Xvfb
// (Mesa's llvmpipe). Ruffle then falls back to a renderer that draws no
// filters, and shadows, glows and bevels vanish from the preview; the page
// is our own, and a software renderer draws them well enough.
constexpr char kIgnoreBlockList[] = "--ignore-gpu-blocklist";
// On the offscreen platform Qt Quick draws in software and cannot take the
// GPU's frames that Chromium would composite once WebGL is allowed; the page
// is then composited in software, and only WebGL runs on the GPU.
constexpr char kSoftwareCompositing[] = "--disable-gpu-compositing";

bool SoftwareScene()
{
    return qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QStringLiteral("offscreen"))
        || qEnvironmentVariable("QT_QUICK_BACKEND") == u"software";
}

} // namespace

void PrepareWebEngineEnvironment()
{
#if defined(Q_OS_UNIX)
    // Chromium's sandbox cannot run as root and WebEngine then refuses to
    // start; anyone else keeps the sandbox.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    // The user's own flags stay, and come first.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const QByteArrayList given = flags.split(' ');
    const auto add = [&](const char* flag) {
        if (given.contains(QByteArray(flag)))
            return;
        if (!flags.isEmpty())
            flags += ' ';
        flags += flag;
    };
    add(kIgnoreBlockList);
    if (SoftwareScene())
        add(kSoftwareCompositing);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace tintor
