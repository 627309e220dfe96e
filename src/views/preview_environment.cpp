#include "views/preview_environment.h"

#include <QCoreApplication>
#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace tintor {

void PrepareWebEngineEnvironment()
{
#if defined(Q_OS_UNIX)
    // Chromium's sandbox cannot run as root and WebEngine then refuses to
    // start; anyone else keeps the sandbox.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace tintor
