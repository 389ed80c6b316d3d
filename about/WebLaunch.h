#pragma once

namespace corvane {

class Platform;

// Opens the project web page: "start.exe" first, "explorer.exe" when that
// starts no task. Neither failure is reported.
void launchWebPage(Platform &platform);

} // namespace corvane
