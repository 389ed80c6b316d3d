#include "about/WebLaunch.h"

#include "about/ProjectAddresses.h"
#include "platform/Platform.h"

namespace corvane {

void launchWebPage(Platform &platform)
{
    const QString address = projectWebAddress();
    const auto first = platform.launch(QStringLiteral("start.exe ") + address, WindowStyle::Hidden);
    if (first && first->started() && first->taskId() != 0)
        return;
    platform.launch(QStringLiteral("explorer.exe ") + address, WindowStyle::Hidden);
}

} // namespace corvane
