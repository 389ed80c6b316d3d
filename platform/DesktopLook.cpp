#include "platform/DesktopLook.h"

#include <QByteArray>
#include <QtGlobal>

namespace corvane {

void preferNarrowingFontEngine()
{
#ifdef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=gdi");
#endif
}

} // namespace corvane
