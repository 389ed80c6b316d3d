#pragma once

#include "platform/LocalFileSystem.h"
#include "platform/Platform.h"
#include "platform/SettingsFile.h"

namespace corvane {

struct DesktopPlatformConfig {
    QString settingsFile;  // empty: the native per-user store
    QString dataFolder;    // empty: the per-user application data folder
    QString programFolder; // empty: the folder of the running executable
    QStringList stagingFolders = {}; // the folders of C: that are staging places on Windows
};

// The platform on Qt, for the running program and for end-to-end tests.
class DesktopPlatform : public Platform {
public:
    explicit DesktopPlatform(const DesktopPlatformConfig &config = {});

    bool writeSetting(const QString &section, const QString &key, const QString &value) override;
    QString readSetting(const QString &section, const QString &key, const QString &defaultValue) override;
    QString settingsLocation() const override;

    bool copyFile(const QString &from, const QString &to, QString *error) override;
    bool deleteFile(const QString &path) override;
    bool makeFolder(const QString &path, QString *error) override;
    bool removeEmptyFolder(const QString &path) override;
    bool folderExists(const QString &path) override;
    bool fileExists(const QString &path) override;
    std::optional<qint64> fileLength(const QString &path) override;
    std::optional<FileStamp> fileStamp(const QString &path) override;
    ZipReport inspectZip(const QString &path) override;
    ZipReport listZip(const QString &path) override;
    std::optional<QString> setAside(const QString &path, QString *error) override;
    QString programFolder() const override;
    QString displayPath(const QString &path) const override;

    std::unique_ptr<LaunchedProcess> launch(const QString &commandLine, WindowStyle style) override;

    int messageBox(const QString &text, int flags, const QString &title, const QString &details) override;
    std::optional<OpenFileResult> openFile(const OpenFileRequest &request) override;
    QString browseForFolder(const QString &prompt, QWidget *owner) override;
    int showModal(QDialog &dialog) override;

    const DrivePaths &drivePaths() const { return m_files.paths(); }

private:
    SettingsFile m_settings;
    LocalFileSystem m_files;
    QString m_programFolder;
};

} // namespace corvane
