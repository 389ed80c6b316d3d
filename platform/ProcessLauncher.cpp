#include "platform/ProcessLauncher.h"

#include "platform/CommandLine.h"
#include "platform/ProcessWait.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace corvane {

namespace {

#ifdef Q_OS_WIN
constexpr bool onWindows = true;
#else
constexpr bool onWindows = false;
#endif

QString nativeProgramPath(const QString &program)
{
    QString path = program;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

// A program named without a folder is looked for on the search path, as the
// Windows launcher does (start.exe, explorer.exe).
QString findProgram(const QString &program)
{
    const QString path = nativeProgramPath(program);
    if (!path.contains(QLatin1Char('/')))
        return QStandardPaths::findExecutable(path);
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

bool isProgram(const QString &program)
{
    return !findProgram(program).isEmpty();
}

class NoProcess : public LaunchedProcess {
public:
    explicit NoProcess(QString reason)
        : m_reason(std::move(reason))
    {
    }
    bool started() const override { return false; }
    QString startError() const override { return m_reason; }
    qint64 taskId() const override { return 0; }
    ProcessOutcome waitForEnd(const QString &) override { return {}; }

private:
    QString m_reason;
};

// The browser opener reports at once; there is nothing to wait for.
class OpenedPage : public LaunchedProcess {
public:
    bool started() const override { return true; }
    QString startError() const override { return {}; }
    qint64 taskId() const override { return 1; }
    ProcessOutcome waitForEnd(const QString &) override { return {true, true, 0, QString()}; }
};

void applyWindowStyle(QProcess &process, WindowStyle style)
{
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier([style](QProcess::CreateProcessArguments *arguments) {
        arguments->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        arguments->startupInfo->wShowWindow = style == WindowStyle::Hidden ? SW_HIDE : SW_SHOWNORMAL;
        // A console program (the archiver) gets no console window of its own:
        // its output is captured and shown when it fails.
        arguments->flags |= CREATE_NO_WINDOW;
    });
#else
    // A program started here has no window of its own to show or hide.
    Q_UNUSED(process);
    Q_UNUSED(style);
#endif
}

class RunningProcess : public LaunchedProcess {
public:
    RunningProcess(const QString &program, const QStringList &arguments, const QString &workingFolder,
                   WindowStyle style)
    {
        applyWindowStyle(m_process, style);
        startAsGroup(m_process);
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        m_process.setWorkingDirectory(workingFolder);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setInputChannelMode(QProcess::ManagedInputChannel);
        m_process.start();
        m_started = m_process.waitForStarted(static_cast<int>(processStartTimeout.count()));
        if (!m_started) {
            m_output = m_process.errorString();
        } else {
            m_processId = m_process.processId();
            m_process.closeWriteChannel();
        }
    }

    ~RunningProcess() override
    {
        if (m_process.state() != QProcess::NotRunning)
            m_process.waitForFinished(-1);
    }

    bool started() const override { return m_started; }
    QString startError() const override { return m_started ? QString() : m_output; }
    // Kept once it has ended, when the system no longer tells it.
    qint64 taskId() const override { return m_processId; }

    ProcessOutcome waitForEnd(const QString &busyText) override
    {
        if (!m_started)
            return {false, false, -1, m_output};
        waitWithProgress(m_process, busyText);
        // The archiver writes names in UTF-8 on every system, whatever the
        // code page of the console it might have had.
        m_output += QString::fromUtf8(m_process.readAll());
        return {true, m_process.exitStatus() == QProcess::NormalExit, m_process.exitCode(), m_output};
    }

private:
    QProcess m_process;
    bool m_started = false;
    qint64 m_processId = 0;
    QString m_output;
};

// A staged file whose name begins with "-" must reach the archiver as a file.
QString notAnOption(const QString &relativePath)
{
    return relativePath.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + relativePath : relativePath;
}

bool isPageOpener(const QString &commandLine, QString *address)
{
    const QString line = commandLine.trimmed();
    for (const QLatin1String opener : {QLatin1String("start.exe "), QLatin1String("explorer.exe ")}) {
        if (line.startsWith(opener, Qt::CaseInsensitive)) {
            *address = line.mid(opener.size()).trimmed();
            return true;
        }
    }
    return false;
}

} // namespace

std::unique_ptr<LaunchedProcess> launchCommandLine(const QString &commandLine, const DrivePaths &paths,
                                                   WindowStyle style)
{
    QString address;
    // On Windows start.exe and explorer.exe are real programs, started as
    // they are; elsewhere the desktop opens the address.
    if (!onWindows && isPageOpener(commandLine, &address)) {
        if (!address.isEmpty() && QDesktopServices::openUrl(QUrl::fromUserInput(address)))
            return std::make_unique<OpenedPage>();
        return std::make_unique<NoProcess>(QStringLiteral("The web page could not be opened."));
    }

    const auto split = splitCommandLine(commandLine, isProgram);
    if (!split)
        return std::make_unique<NoProcess>(QStringLiteral("No program was found at the start of the command line."));

    QStringList arguments;
    for (const QString &argument : split->arguments) {
        if (!paths.isStagingPath(argument))
            arguments << argument;
        else if (argument.at(0).toLower() == QLatin1Char('c'))
            arguments << notAnOption(paths.relativeToStagingRoot(argument));
        else
            arguments << paths.resolve(argument);
    }
    const QString root = paths.stagingRoot();
    QDir().mkpath(root);
    // The program is found here, not from inside the working folder.
    const QString program = findProgram(split->program);
    return std::make_unique<RunningProcess>(program, arguments, root, style);
}

} // namespace corvane
