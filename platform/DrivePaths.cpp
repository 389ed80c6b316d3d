#include "platform/DrivePaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace corvane {

namespace {

QStringList components(const QString &path)
{
    QString rest = path.mid(3);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return rest.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

// The entry of folder that matches name, whatever its case, spelt as it is
// stored (a file system that ignores case finds it under any spelling); name
// itself when nothing matches, so that a new entry takes the case it is
// written in.
QString findEntry(const QString &folder, const QString &name)
{
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    if (entries.contains(name))
        return name;
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return name;
}

} // namespace

DrivePaths::DrivePaths(const QString &dataFolder, const QStringList &stagingFolders)
    : m_dataFolder(QDir::cleanPath(dataFolder))
    , m_stagingFolders(stagingFolders)
{
}

bool DrivePaths::isDrivePath(const QString &path)
{
    return path.size() >= 3 && path.at(0).isLetter() && path.at(0).unicode() < 128 && path.at(1) == QLatin1Char(':')
        && path.at(2) == QLatin1Char('\\');
}

bool DrivePaths::isStagingPath(const QString &path) const
{
    if (!isDrivePath(path))
        return false;
#ifdef Q_OS_WIN
    if (path.at(0).toLower() != QLatin1Char('c'))
        return false;
    // C:\ itself is the user's: only files directly in it are staged there.
    const QStringList parts = components(path);
    if (parts.isEmpty())
        return false;
    return parts.size() == 1 || m_stagingFolders.contains(parts.first(), Qt::CaseInsensitive);
#else
    // No native path here begins with a drive letter.
    return true;
#endif
}

QString DrivePaths::stagingRoot() const
{
    return driveFolder(QLatin1Char('c'));
}

QString DrivePaths::driveFolder(QChar letter) const
{
    return m_dataFolder + QLatin1String("/drive_") + letter.toLower();
}

QString DrivePaths::resolve(const QString &path) const
{
    if (!isStagingPath(path))
        return path;
    const QString base = driveFolder(path.at(0));
    const QString relative = relativeTo(base, path);
    if (relative.isNull())
        return QString();
    return relative.isEmpty() ? base : base + QLatin1Char('/') + relative;
}

QString DrivePaths::relativeToStagingRoot(const QString &path) const
{
    if (!isStagingPath(path) || path.at(0).toLower() != QLatin1Char('c'))
        return QString();
    return relativeTo(stagingRoot(), path);
}

QString DrivePaths::relativeTo(const QString &base, const QString &path) const
{
    QString folder = base;
    QStringList found;
    for (const QString &part : components(path)) {
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return QString();
        const QString entry = findEntry(folder, part);
        found << entry;
        folder += QLatin1Char('/') + entry;
    }
    return found.isEmpty() ? QStringLiteral("") : found.join(QLatin1Char('/'));
}

} // namespace corvane
