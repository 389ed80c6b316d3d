#include "packaging/SaveLocationPicker.h"

#include "packaging/CBrowseDlg.h"
#include "platform/Platform.h"

#include <QDir>
#include <QLineEdit>
#include <QWidget>

namespace corvane {

namespace {

void giveFocusBack(QWidget *mainWindow)
{
    // The window's own focus widget gets the keys again, as before the browser.
    if (mainWindow)
        mainWindow->activateWindow();
}

} // namespace

void pickSaveLocation(Platform &platform, QWidget *mainWindow, QLineEdit *saveLocation)
{
    CBrowseDlg browser(platform);
    browser.ParentHWnd(mainWindow);
    browser.Prompt(QStringLiteral("Please select the location to create the final file."));
    for (;;) {
        QString folder = browser.ShowBrowseDlg();
        giveFocusBack(mainWindow);
        if (folder.isEmpty())
            break;
        // Hidden folders and empty drive roots exist too.
        if (!platform.folderExists(folder)) {
            platform.messageBox(QStringLiteral("The specified directory does not exist; please try again."),
                                FlagsExclamation, QStringLiteral("Verification Error"));
            continue;
        }
        // The short name is appended directly, so the folder must end in a separator.
        if (!folder.endsWith(QDir::separator()))
            folder += QDir::separator();
        saveLocation->setText(folder);
        break;
    }
    giveFocusBack(mainWindow);
}

} // namespace corvane
