#pragma once

#include <QString>

namespace corvane {

// Maps Windows drive paths ("C:\maps\x.bsp") onto folders of this machine.
// Drive C: is the staging root; letter case is ignored when finding an
// existing file or folder, and kept as written for a new one.
class DrivePaths {
public:
    // dataFolder holds one folder per drive letter; C: is dataFolder/drive_c.
    explicit DrivePaths(const QString &dataFolder);

    static bool isDrivePath(const QString &path);

    QString stagingRoot() const;
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
};

} // namespace corvane
