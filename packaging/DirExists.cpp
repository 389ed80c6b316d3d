#include "packaging/DirExists.h"

#include "platform/Platform.h"

namespace corvane {

void AddDirSep(QString &path)
{
    if (!path.endsWith(QLatin1Char('\\')))
        path += QLatin1Char('\\');
}

bool DirExists(Platform &platform, QString path)
{
    AddDirSep(path);
    return platform.folderExists(path);
}

} // namespace corvane
