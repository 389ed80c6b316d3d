#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QDialog;
class QWidget;

namespace corvane {

// Answers of a message box, as the flags' buttons report them.
enum MessageAnswer { AnswerOk = 1, AnswerYes = 6, AnswerNo = 7 };

// Message box flags: buttons plus icon.
enum MessageFlags {
    FlagsOkOnly = 0,
    FlagsStop = 16,
    FlagsQuestionYesNo = 36,
    FlagsExclamation = 48,
    FlagsInformation = 64,
};

// The two halves of the flags, for whoever draws the box.
enum class MessageIcon { None, Stop, Question, Exclamation, Information };

constexpr MessageIcon messageIcon(int flags)
{
    switch (flags & 0xF0) {
    case 16: return MessageIcon::Stop;
    case 32: return MessageIcon::Question;
    case 48: return MessageIcon::Exclamation;
    case 64: return MessageIcon::Information;
    default: return MessageIcon::None;
    }
}

constexpr bool asksYesNo(int flags)
{
    return (flags & 0x0F) == 4;
}

enum class WindowStyle { Hidden = 0, NormalFocus = 1 };

// What became of a started program once it has ended.
struct ProcessOutcome {
    bool started = false;
    bool normalExit = false;
    int exitCode = -1;
    QString output; // everything it printed, both channels

    bool succeeded() const { return started && normalExit && exitCode == 0; }
};

// A program started from one command line; never waited for unless asked.
class LaunchedProcess {
public:
    virtual ~LaunchedProcess() = default;
    virtual bool started() const = 0;
    // Why it did not start; empty when it did.
    virtual QString startError() const = 0;
    // Non-zero when the start created a task; 0 when nothing was started.
    virtual qint64 taskId() const = 0;
    // Blocks the caller (but not the user interface) until the program ends.
    // busyText tells the user what is being waited for.
    virtual ProcessOutcome waitForEnd(const QString &busyText) = 0;
};

// Enough of a file's identity to tell whether it was written again.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedMs = 0;
    qint64 changedMs = 0; // metadata change

    bool operator==(const FileStamp &other) const
    {
        return size == other.size && modifiedMs == other.modifiedMs && changedMs == other.changedMs;
    }
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};

// What reading a zip archive found.
struct ZipEntryReport {
    QString name;    // as the game reads it
    int method = 0;  // 0 stored, 8 deflated
    QString problem; // the first thing wrong with the entry, said for the user; empty when none
};

struct ZipReport {
    QString problem; // the first thing wrong with the archive as a whole; empty when none
    bool zip64 = false;
    QList<ZipEntryReport> entries; // as the game lists them

    QStringList names() const;
};

// The Open-file dialog's flags.
constexpr int OpenFileNoReadOnlyBox = 0x4;
constexpr int OpenFileMustExist = 0x1000;

// The Open-file dialog's settings, as one pick sets them.
struct OpenFileRequest {
    QString title;
    QString filter; // "description|pattern;pattern"
    int flags = 0;  // OpenFileMustExist, OpenFileNoReadOnlyBox
    bool cancelIsFailure = true;
    QString initialName;
};

struct OpenFileResult {
    QString fullPath;
    QString fileName; // without folder
};

// Everything the logic needs from the operating system, and nothing more.
// Paths are either drive paths ("C:\maps\x.bsp"), which the platform maps,
// or native paths, used as they are.
class Platform {
public:
    virtual ~Platform() = default;

    // Settings store: application "Corvane", section = group.
    virtual bool writeSetting(const QString &section, const QString &key, const QString &value) = 0;
    virtual QString readSetting(const QString &section, const QString &key, const QString &defaultValue) = 0;
    virtual QString settingsLocation() const = 0;

    // File system.
    virtual bool copyFile(const QString &from, const QString &to, QString *error) = 0; // replaces
    virtual bool deleteFile(const QString &path) = 0;
    virtual bool makeFolder(const QString &path, QString *error) = 0;
    virtual bool removeEmptyFolder(const QString &path) = 0;
    virtual bool folderExists(const QString &path) = 0;
    virtual bool fileExists(const QString &path) = 0;
    virtual std::optional<qint64> fileLength(const QString &path) = 0;
    // Null when there is no such file.
    virtual std::optional<FileStamp> fileStamp(const QString &path) = 0;
    // Reads the zip archive at path entry by entry, checking every entry's data.
    virtual ZipReport inspectZip(const QString &path) = 0;
    // The entries of the zip archive at path as the game lists them; no data is read.
    virtual ZipReport listZip(const QString &path) = 0;
    // Copies the file at path to a folder of the program's own, to be copied
    // back should what replaces it fail. The copy's native path, or nullopt
    // (with error set) when it could not be made.
    virtual std::optional<QString> setAside(const QString &path, QString *error) = 0;
    virtual QString programFolder() const = 0; // without a trailing separator
    // The path as the user knows it on this machine, for messages.
    virtual QString displayPath(const QString &path) const = 0;

    // Processes.
    virtual std::unique_ptr<LaunchedProcess> launch(const QString &commandLine, WindowStyle style) = 0;

    // Modal user interface.
    virtual int messageBox(const QString &text, int flags, const QString &title,
                           const QString &details = QString()) = 0;
    virtual std::optional<OpenFileResult> openFile(const OpenFileRequest &request) = 0;
    // The chosen folder's path, or empty when cancelled.
    virtual QString browseForFolder(const QString &prompt, QWidget *owner) = 0;
    // Shows one of the program's own dialogs modally; returns its result code.
    virtual int showModal(QDialog &dialog) = 0;
};

} // namespace corvane
