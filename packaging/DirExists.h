#pragma once

#include <QString>

namespace corvane {

class Platform;

// Whether the folder exists; never fails and never reports.
bool DirExists(Platform &platform, QString path);
// Ends the path with "\" unless it already does.
void AddDirSep(QString &path);

} // namespace corvane
