#include "FakePlatform.h"

#include "package/SlotFacts.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QtTest/QTest>

namespace corvane {

namespace {

class FakeProcess : public LaunchedProcess {
public:
    FakeProcess(ProcessOutcome outcome, QStringList &calls, QString commandLine)
        : m_outcome(std::move(outcome)), m_calls(calls), m_commandLine(std::move(commandLine)) {}
    bool started() const override { return m_outcome.started; }
    QString startError() const override { return m_outcome.started ? QString() : m_outcome.output; }
    qint64 taskId() const override { return m_outcome.started ? 4242 : 0; }
    ProcessOutcome waitForEnd(const QString &busyText) override
    {
        m_calls << QStringLiteral("waitForEnd ") + busyText;
        return m_outcome;
    }

private:
    ProcessOutcome m_outcome;
    QStringList &m_calls;
    QString m_commandLine;
};

} // namespace

FakePlatform::FakePlatform()
    : m_settingsFileName(m_dir.filePath(QStringLiteral("config/Corvane.conf")))
    , m_settings(m_settingsFileName)
    , m_files(DrivePaths(m_dir.path(), stagingFolderNames()))
{
}

QStringList FakePlatform::callsStartingWith(const QString &prefix) const
{
    QStringList found;
    for (const QString &call : m_calls) {
        if (call.startsWith(prefix))
            found << call;
    }
    return found;
}

QStringList FakePlatform::messages() const
{
    QStringList found;
    for (const QString &call : callsStartingWith(QStringLiteral("messageBox ")))
        found << call.mid(11);
    return found;
}

QStringList FakePlatform::commandLines() const
{
    QStringList found;
    for (const QString &call : callsStartingWith(QStringLiteral("launch ")))
        found << call.mid(7);
    return found;
}

QString FakePlatform::makeFile(const QString &relativePath, const QByteArray &content) const
{
    const QString path = m_dir.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
        qFatal("cannot write test file %s", qPrintable(path));
    return path;
}

void FakePlatform::unexpectedDialog(const QString &what)
{
    m_unexpected << what;
    record(QStringLiteral("UNEXPECTED ") + what);
    QTest::qFail(qPrintable(QStringLiteral("no scripted answer for ") + what), __FILE__, __LINE__);
}

bool FakePlatform::writeSetting(const QString &section, const QString &key, const QString &value)
{
    record(QStringLiteral("writeSetting %1/%2=%3").arg(section, key, value));
    return !failSettingsWrites && m_settings.write(section, key, value);
}

QString FakePlatform::readSetting(const QString &section, const QString &key, const QString &defaultValue)
{
    record(QStringLiteral("readSetting %1/%2").arg(section, key));
    return m_settings.read(section, key, defaultValue);
}

QString FakePlatform::settingsLocation() const
{
    return m_settingsFileName;
}

bool FakePlatform::copyFile(const QString &from, const QString &to, QString *error)
{
    record(QStringLiteral("copyFile %1 -> %2").arg(from, to));
    return m_files.copyFile(from, to, error);
}

bool FakePlatform::deleteFile(const QString &path)
{
    record(QStringLiteral("deleteFile ") + path);
    return m_files.deleteFile(path);
}

bool FakePlatform::makeFolder(const QString &path, QString *error)
{
    record(QStringLiteral("makeFolder ") + path);
    return m_files.makeFolder(path, error);
}

bool FakePlatform::removeEmptyFolder(const QString &path)
{
    record(QStringLiteral("removeEmptyFolder ") + path);
    return m_files.removeEmptyFolder(path);
}

bool FakePlatform::folderExists(const QString &path)
{
    record(QStringLiteral("folderExists ") + path);
    return m_files.folderExists(path);
}

bool FakePlatform::fileExists(const QString &path)
{
    record(QStringLiteral("fileExists ") + path);
    return m_files.fileExists(path);
}

std::optional<qint64> FakePlatform::fileLength(const QString &path)
{
    record(QStringLiteral("fileLength ") + path);
    return m_files.fileLength(path);
}

QString FakePlatform::programFolder() const
{
    return programFolderPath;
}

QString FakePlatform::displayPath(const QString &path) const
{
    return m_files.displayPath(path);
}

std::optional<FileStamp> FakePlatform::fileStamp(const QString &path)
{
    record(QStringLiteral("fileStamp ") + path);
    return m_files.fileStamp(path);
}

ZipReport FakePlatform::inspectZip(const QString &path)
{
    record(QStringLiteral("inspectZip ") + path);
    if (!m_zipReports.empty()) {
        const ZipReport report = m_zipReports.front();
        m_zipReports.pop_front();
        return report;
    }
    const QString native = m_files.paths().resolve(path);
    if (m_archives.contains(native) && QFile::exists(native))
        return m_archives.value(native);
    return m_files.inspectZip(path);
}

ZipReport FakePlatform::listZip(const QString &path)
{
    record(QStringLiteral("listZip ") + path);
    const QString native = m_files.paths().resolve(path);
    if (m_archives.contains(native) && QFile::exists(native))
        return m_archives.value(native);
    return m_files.listZip(path);
}

std::optional<QString> FakePlatform::setAside(const QString &path, QString *error)
{
    record(QStringLiteral("setAside ") + path);
    return m_files.setAside(path, error);
}

// The archive is the first quoted argument; each further one becomes an entry
// the way the real launcher and archiver name it.
void FakePlatform::writeArchive(const QString &commandLine)
{
    const QStringList quoted = commandLine.split(QLatin1Char('"'));
    if (quoted.size() < 3)
        return;
    const bool junkPaths = quoted.first().contains(QStringLiteral(" -j "));
    const QString archive = m_files.paths().resolve(quoted.at(1));
    ZipReport report;
    for (int i = 3; i < quoted.size(); i += 2) {
        const QString argument = quoted.at(i);
        QString name = DrivePaths::isDrivePath(argument) && !junkPaths
            ? m_files.paths().relativeToStagingRoot(argument)
            : QFileInfo(QString(argument).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
        report.entries << ZipEntryReport{name, 8, QString()};
    }
    QDir().mkpath(QFileInfo(archive).path());
    QFile file(archive);
    if (file.open(QIODevice::WriteOnly))
        file.write("stand-in archive " + QByteArray::number(++m_archivesWritten));
    m_archives.insert(archive, report);
}

std::unique_ptr<LaunchedProcess> FakePlatform::launch(const QString &commandLine, WindowStyle style)
{
    record(QStringLiteral("launch ") + commandLine);
    Q_UNUSED(style);
    ProcessOutcome outcome{true, true, 0, QString()};
    if (!m_launches.empty()) {
        outcome = m_launches.front();
        m_launches.pop_front();
    }
    if (onLaunch && outcome.started)
        onLaunch(commandLine);
    if (outcome.succeeded())
        writeArchive(commandLine);
    return std::make_unique<FakeProcess>(outcome, m_calls, commandLine);
}

int FakePlatform::messageBox(const QString &text, int flags, const QString &title, const QString &details)
{
    record(QStringLiteral("messageBox %1|%2|%3").arg(QString::number(flags), title, text));
    if (!details.isEmpty())
        record(QStringLiteral("messageDetails ") + details);
    if (!asksYesNo(flags))
        return AnswerOk;
    if (m_answers.empty()) {
        unexpectedDialog(QStringLiteral("message box \"%1\"").arg(text));
        return AnswerNo;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<OpenFileResult> FakePlatform::openFile(const OpenFileRequest &request)
{
    record(QStringLiteral("openFile %1|%2|%3|%4|%5")
               .arg(request.title, request.filter, QString::number(request.flags),
                    request.cancelIsFailure ? QStringLiteral("cancel=failure") : QStringLiteral("cancel=ok"),
                    request.initialName));
    if (m_openFiles.empty()) {
        unexpectedDialog(QStringLiteral("Open-file dialog \"%1\"").arg(request.title));
        return std::nullopt;
    }
    const auto answer = m_openFiles.front();
    m_openFiles.pop_front();
    if (!answer)
        return std::nullopt;
    QString name = *answer;
    name = name.mid(qMax(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1);
    return OpenFileResult{*answer, name};
}

QString FakePlatform::browseForFolder(const QString &prompt, QWidget *owner)
{
    record(QStringLiteral("browseForFolder ") + prompt);
    Q_UNUSED(owner);
    if (m_folders.empty()) {
        unexpectedDialog(QStringLiteral("folder browser \"%1\"").arg(prompt));
        return QString();
    }
    const QString answer = m_folders.front();
    m_folders.pop_front();
    return answer;
}

int FakePlatform::showModal(QDialog &dialog)
{
    record(QStringLiteral("showModal ") + dialog.objectName());
    if (m_modals.empty()) {
        unexpectedDialog(QStringLiteral("dialog \"%1\"").arg(dialog.windowTitle()));
        return QDialog::Rejected;
    }
    auto script = std::move(m_modals.front());
    m_modals.pop_front();
    dialog.show();
    QCoreApplication::processEvents();
    script(dialog);
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

} // namespace corvane
