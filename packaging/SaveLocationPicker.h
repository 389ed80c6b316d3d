#pragma once

class QLineEdit;
class QWidget;

namespace corvane {

class Platform;

// Lets the user choose the folder the archives are written into and puts it,
// ending in the native separator, into the save location. Cancel keeps the
// old location; a folder that does not exist is refused and the browser
// opens again.
void pickSaveLocation(Platform &platform, QWidget *mainWindow, QLineEdit *saveLocation);

} // namespace corvane
