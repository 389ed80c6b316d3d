#pragma once

#include "platform/LocalFileSystem.h"
#include "platform/Platform.h"
#include "platform/SettingsFile.h"

#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>

namespace corvane {

// A scripted platform for tests. It records every call in order, keeps its
// settings in a temporary file and its files in a temporary folder (drive C:
// is <root>/drive_c), and answers dialogs from queues. A dialog that finds
// no answer queued is recorded as unexpected and cancelled, never left open.
class FakePlatform : public Platform {
public:
    FakePlatform();

    // --- scripting -------------------------------------------------------
    // Answers for Yes/No questions (OK-only boxes answer themselves).
    void answerMessageBox(int answer) { m_answers.push_back(answer); }
    // A full path for the next Open-file dialog, or nullopt for Cancel.
    void answerOpenFile(const std::optional<QString> &fullPath) { m_openFiles.push_back(fullPath); }
    // The folder for the next folder browser; empty for Cancel.
    void answerBrowse(const QString &folder) { m_folders.push_back(folder); }
    // What to do with the next dialog of our own while it is shown (click its
    // buttons, say). A dialog the script leaves open is then rejected.
    void answerModal(std::function<void(QDialog &)> script) { m_modals.push_back(std::move(script)); }
    // What the next started program does; by default it starts and succeeds.
    void scriptLaunch(const ProcessOutcome &outcome) { m_launches.push_back(outcome); }
    // Called with each command line just before it "runs" (to fake its effect).
    std::function<void(const QString &)> onLaunch;
    // A started archiver that succeeds writes its archive (a stand-in file)
    // holding what it was given, as a well-behaved one would; scriptZip
    // replaces what the next archive inspection finds.
    void scriptZip(const ZipReport &report) { m_zipReports.push_back(report); }
    // Makes every settings write fail, as an unwritable store would.
    bool failSettingsWrites = false;
    QString programFolderPath = QStringLiteral("C:\\Tools\\Packager");

    // --- inspection ------------------------------------------------------
    const QStringList &calls() const { return m_calls; }
    QStringList callsStartingWith(const QString &prefix) const;
    QStringList messages() const;        // "flags|title|text" of each box shown
    QStringList commandLines() const;    // every launch, in order
    const QStringList &unexpected() const { return m_unexpected; }
    void clearCalls() { m_calls.clear(); }

    QString root() const { return m_dir.path(); }
    QString stagingRoot() const { return m_files.paths().stagingRoot(); }
    QString settingsFileName() const { return m_settingsFileName; }
    // Writes a file (folders made as needed) and returns its native path.
    QString makeFile(const QString &relativePath, const QByteArray &content) const;

    // --- Platform --------------------------------------------------------
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

private:
    void record(const QString &call) { m_calls << call; }
    void unexpectedDialog(const QString &what);
    void writeArchive(const QString &commandLine);

    QTemporaryDir m_dir;
    QString m_settingsFileName;
    SettingsFile m_settings;
    LocalFileSystem m_files;
    QStringList m_calls;
    QStringList m_unexpected;
    std::deque<int> m_answers;
    std::deque<std::optional<QString>> m_openFiles;
    std::deque<QString> m_folders;
    std::deque<std::function<void(QDialog &)>> m_modals;
    std::deque<ProcessOutcome> m_launches;
    std::deque<ZipReport> m_zipReports;
    QHash<QString, ZipReport> m_archives; // by native path, as written by writeArchive
    int m_archivesWritten = 0;
};

} // namespace corvane
