#include "app/Form1.h"
#include "package/SlotFacts.h"
#include "platform/DesktopLook.h"
#include "platform/DesktopPlatform.h"
#include "platform/Product.h"
#include "platform/RunningMark.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    const corvane::RunningMark running;
    corvane::preferNarrowingFontEngine();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(corvane::productName());
    QApplication::setApplicationName(corvane::productName());

    corvane::DesktopPlatformConfig config;
    config.stagingFolders = corvane::stagingFolderNames();
    corvane::DesktopPlatform platform(config);
    corvane::Form1 window(platform);
    corvane::centreOnScreen(window);
    window.show();
    return app.exec();
}
