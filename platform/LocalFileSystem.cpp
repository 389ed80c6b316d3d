#include "platform/LocalFileSystem.h"

#include "platform/ZipInspection.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QCoreApplication>

#include <cerrno>
#include <cstring>

namespace corvane {

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Qt reports a failed write through its buffers as "Unknown error"; the
// system's own word ("No space left on device") is still in errno.
QString writeError(const QFileDevice &file, int systemError)
{
    if (systemError != 0)
        return QString::fromLocal8Bit(std::strerror(systemError));
    return file.errorString();
}

} // namespace

LocalFileSystem::LocalFileSystem(const DrivePaths &paths)
    : m_paths(paths)
{
}

bool LocalFileSystem::copyFile(const QString &from, const QString &to, QString *error) const
{
    const QString source = m_paths.resolve(from);
    const QString target = m_paths.resolve(to);
    if (from.isEmpty() || source.isEmpty() || !QFileInfo(source).isFile()) {
        setError(error, QStringLiteral("the file does not exist"));
        return false;
    }
    if (target.isEmpty() || QFileInfo(target).isDir()) {
        setError(error, QStringLiteral("the destination is not a file name"));
        return false;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        setError(error, in.errorString());
        return false;
    }
    // Written under a temporary name and renamed at the end, so a failed copy
    // never leaves a truncated file nor damages one it was to replace.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        setError(error, out.errorString());
        return false;
    }
    constexpr qint64 chunk = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray data = in.read(chunk);
        if (data.isEmpty() && in.error() != QFileDevice::NoError) {
            setError(error, in.errorString());
            out.cancelWriting();
            return false;
        }
        errno = 0;
        if (out.write(data) != data.size()) {
            setError(error, writeError(out, errno));
            out.cancelWriting();
            return false;
        }
    }
    errno = 0;
    if (!out.commit()) {
        setError(error, writeError(out, errno));
        return false;
    }
    // Keep the file's own date, as a copy on Windows does, so the package
    // records when the map was made rather than when it was packed.
    QFile copy(target);
    copy.setPermissions(in.permissions());
    if (copy.open(QIODevice::Append))
        copy.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    return true;
}

std::optional<FileStamp> LocalFileSystem::fileStamp(const QString &path) const
{
    const QFileInfo info(m_paths.resolve(path));
    if (path.isEmpty() || !info.isFile())
        return std::nullopt;
    return FileStamp{info.size(), info.lastModified().toMSecsSinceEpoch(),
                     info.metadataChangeTime().toMSecsSinceEpoch()};
}

ZipReport LocalFileSystem::inspectZip(const QString &path) const
{
    return inspectZipFile(m_paths.resolve(path), ZipDepth::Whole);
}

ZipReport LocalFileSystem::listZip(const QString &path) const
{
    return inspectZipFile(m_paths.resolve(path), ZipDepth::Listing);
}

// Beside the staging root, never in the user's folders: a copy left by a
// crash is in the program's own folder, not beside the user's package.
std::optional<QString> LocalFileSystem::setAside(const QString &path, QString *error) const
{
    const QString folder = m_paths.dataFolder() + QLatin1String("/set-aside");
    if (!QDir().mkpath(folder)) {
        setError(error, QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(folder)));
        return std::nullopt;
    }
    // A name no other copy has, so that none is ever replaced.
    const QString base = folder + QLatin1Char('/') + QFileInfo(m_paths.resolve(path)).fileName() +
        QLatin1Char('.') + QString::number(QCoreApplication::applicationPid());
    QString copy = base;
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = base + QLatin1Char('-') + QString::number(n);
    if (!copyFile(path, copy, error)) {
        QFile::remove(copy);
        return std::nullopt;
    }
    return QDir::toNativeSeparators(copy);
}

bool LocalFileSystem::deleteFile(const QString &path) const
{
    const QString target = m_paths.resolve(path);
    return !path.isEmpty() && !target.isEmpty() && QFileInfo(target).isFile() && QFile::remove(target);
}

bool LocalFileSystem::makeFolder(const QString &path, QString *error) const
{
    const QString target = m_paths.resolve(path);
    if (target.isEmpty()) {
        setError(error, QStringLiteral("the folder name is not valid"));
        return false;
    }
    if (m_paths.isStagingPath(path) && !QDir().mkpath(m_paths.driveFolderOf(path))) {
        setError(error, QStringLiteral("the drive folder cannot be created"));
        return false;
    }
    if (!QDir().mkdir(target)) {
        setError(error,
                 QFileInfo::exists(target) ? QStringLiteral("a file or folder of that name exists")
                                           : QStringLiteral("the folder cannot be created"));
        return false;
    }
    return true;
}

bool LocalFileSystem::removeEmptyFolder(const QString &path) const
{
    const QString target = m_paths.resolve(path);
    return !target.isEmpty() && QDir().rmdir(target);
}

bool LocalFileSystem::folderExists(const QString &path) const
{
    const QString target = m_paths.resolve(path);
    return !path.isEmpty() && !target.isEmpty() && QFileInfo(target).isDir();
}

bool LocalFileSystem::fileExists(const QString &path) const
{
    const QString target = m_paths.resolve(path);
    return !path.isEmpty() && !target.isEmpty() && QFileInfo::exists(target);
}

std::optional<qint64> LocalFileSystem::fileLength(const QString &path) const
{
    const QString target = m_paths.resolve(path);
    if (path.isEmpty() || target.isEmpty())
        return std::nullopt;
    const QFileInfo info(target);
    if (!info.isFile())
        return std::nullopt;
    return info.size();
}

QString LocalFileSystem::displayPath(const QString &path) const
{
    const QString target = m_paths.resolve(path);
    return target.isEmpty() ? path : QDir::toNativeSeparators(target);
}

} // namespace corvane
