#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// Maps Windows drive paths ("C:\maps\x.bsp") onto folders of this machine.
// Drive C: is the staging root; letter case is ignored when finding an
// existing file or folder, and kept as written for a new one.
class DrivePaths {
public:
    // dataFolder holds one folder per drive letter; C: is dataFolder/drive_c.
    // On Windows, where the user's own files have drive paths too, only a file
    // directly in the root of C: and the stagingFolders of C: are staging
    // places; every other path is the user's and is used as it is.
    explicit DrivePaths(const QString &dataFolder, const QStringList &stagingFolders = {});

    static bool isDrivePath(const QString &path);
    // Whether the path names a staging place rather than a file of the user.
    bool isStagingPath(const QString &path) const;

    QString stagingRoot() const;
    // The folder of the program's own data that holds the drive folders.
    QString dataFolder() const { return m_dataFolder; }
    // The folder that stands for the drive of a drive path.
    QString driveFolderOf(const QString &path) const { return driveFolder(path.at(0)); }
    // The native path for any path; empty for a drive path that tries to
    // climb out of its drive with "." or "..".
    QString resolve(const QString &path) const;
    // For a path on drive C: its path below the staging root, with the real
    // letter case of what exists; empty for any other path.
    QString relativeToStagingRoot(const QString &path) const;

private:
    QString driveFolder(QChar letter) const;
    // Null when the path climbs out; empty for the drive root itself.
    QString relativeTo(const QString &base, const QString &path) const;
    QString m_dataFolder;
    QStringList m_stagingFolders;
};

} // namespace corvane
