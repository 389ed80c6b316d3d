#pragma once

#include "platform/DrivePaths.h"
#include "platform/Platform.h"

#include <QString>

#include <optional>

namespace corvane {

// File operations on this machine's file system, drive paths mapped.
class LocalFileSystem {
public:
    explicit LocalFileSystem(const DrivePaths &paths);

    const DrivePaths &paths() const { return m_paths; }

    bool copyFile(const QString &from, const QString &to, QString *error) const;
    bool deleteFile(const QString &path) const;
    bool makeFolder(const QString &path, QString *error) const;
    bool removeEmptyFolder(const QString &path) const;
    bool folderExists(const QString &path) const;
    bool fileExists(const QString &path) const;
    std::optional<qint64> fileLength(const QString &path) const;
    std::optional<FileStamp> fileStamp(const QString &path) const;
    ZipReport inspectZip(const QString &path) const;
    ZipReport listZip(const QString &path) const;
    std::optional<QString> setAside(const QString &path, QString *error) const;
    QString displayPath(const QString &path) const;

private:
    DrivePaths m_paths;
};

} // namespace corvane
