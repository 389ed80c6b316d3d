#pragma once

#include "platform/DrivePaths.h"
#include "platform/Platform.h"

namespace corvane {

// Starts a program from one command line without a shell: drive paths among
// the arguments become paths below the staging root, which is the program's
// working folder. "start.exe" and "explorer.exe" open an address in the
// desktop's browser instead. The style sets how the program's own window
// first shows, where it has one.
std::unique_ptr<LaunchedProcess> launchCommandLine(const QString &commandLine, const DrivePaths &paths,
                                                   WindowStyle style);

} // namespace corvane
