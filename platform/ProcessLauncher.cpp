#include "platform/ProcessLauncher.h"

#include "platform/Product.h"

#include "platform/CommandLine.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>
#include <QWindow>

namespace corvane {

namespace {

QString nativeProgramPath(const QString &program)
{
    QString path = program;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

bool isProgram(const QString &program)
{
    const QFileInfo info(nativeProgramPath(program));
    return info.isFile() && info.isExecutable();
}

class NoProcess : public LaunchedProcess {
public:
    bool started() const override { return false; }
    qint64 taskId() const override { return 0; }
    ProcessOutcome waitForEnd(const QString &) override { return {}; }
};

// The browser opener reports at once; there is nothing to wait for.
class OpenedPage : public LaunchedProcess {
public:
    bool started() const override { return true; }
    qint64 taskId() const override { return 1; }
    ProcessOutcome waitForEnd(const QString &) override { return {true, true, 0, QString()}; }
};

// While the builder waits, the windows behind it take no input and cannot be
// closed, as behind any modal window; only the progress window stays live.
class InputBlocker : public QObject {
public:
    explicit InputBlocker(const std::unique_ptr<QProgressDialog> &progress) : m_progress(progress)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputBlocker() override { QCoreApplication::instance()->removeEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Close:
            break;
        default:
            return false;
        }
        if (auto *window = qobject_cast<QWindow *>(watched))
            return !(m_progress && m_progress->windowHandle() == window);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && m_progress && (widget == m_progress.get() || m_progress->isAncestorOf(widget)))
            return false;
        return widget != nullptr;
    }

private:
    const std::unique_ptr<QProgressDialog> &m_progress;
};

class RunningProcess : public LaunchedProcess {
public:
    RunningProcess(const QString &program, const QStringList &arguments, const QString &workingFolder)
    {
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        m_process.setWorkingDirectory(workingFolder);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setInputChannelMode(QProcess::ManagedInputChannel);
        m_process.start();
        m_started = m_process.waitForStarted(10000);
        if (!m_started)
            m_output = m_process.errorString();
        else
            m_process.closeWriteChannel();
    }

    ~RunningProcess() override
    {
        if (m_process.state() != QProcess::NotRunning)
            m_process.waitForFinished(-1);
    }

    bool started() const override { return m_started; }
    qint64 taskId() const override { return m_started ? m_process.processId() : 0; }

    ProcessOutcome waitForEnd(const QString &busyText) override
    {
        if (!m_started)
            return {false, false, -1, m_output};
        if (m_process.state() != QProcess::NotRunning) {
            QEventLoop loop;
            QObject::connect(&m_process, &QProcess::finished, &loop, &QEventLoop::quit);
            // A progress window only when the wait lasts longer than a moment.
            std::unique_ptr<QProgressDialog> progress;
            QTimer showLater;
            showLater.setSingleShot(true);
            QObject::connect(&showLater, &QTimer::timeout, &loop, [&] {
                progress = std::make_unique<QProgressDialog>(busyText, QStringLiteral("&Stop"), 0, 0,
                                                             QApplication::activeWindow());
                progress->setWindowTitle(productName());
                progress->setWindowModality(Qt::ApplicationModal);
                QObject::connect(progress.get(), &QProgressDialog::canceled, &m_process, &QProcess::kill);
                progress->show();
            });
            if (qobject_cast<QApplication *>(QCoreApplication::instance()))
                showLater.start(500);
            InputBlocker blocker(progress);
            QApplication::setOverrideCursor(Qt::BusyCursor);
            if (m_process.state() != QProcess::NotRunning)
                loop.exec();
            QApplication::restoreOverrideCursor();
        }
        m_output += QString::fromLocal8Bit(m_process.readAll());
        return {true, m_process.exitStatus() == QProcess::NormalExit, m_process.exitCode(), m_output};
    }

private:
    QProcess m_process;
    bool m_started = false;
    QString m_output;
};

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

std::unique_ptr<LaunchedProcess> launchCommandLine(const QString &commandLine, const DrivePaths &paths)
{
    QString address;
    if (isPageOpener(commandLine, &address)) {
        if (!address.isEmpty() && QDesktopServices::openUrl(QUrl::fromUserInput(address)))
            return std::make_unique<OpenedPage>();
        return std::make_unique<NoProcess>();
    }

    const auto split = splitCommandLine(commandLine, isProgram);
    if (!split)
        return std::make_unique<NoProcess>();

    QStringList arguments;
    for (const QString &argument : split->arguments) {
        if (!DrivePaths::isDrivePath(argument))
            arguments << argument;
        else if (argument.at(0).toLower() == QLatin1Char('c'))
            arguments << paths.relativeToStagingRoot(argument);
        else
            arguments << paths.resolve(argument);
    }
    const QString root = paths.stagingRoot();
    QDir().mkpath(root);
    // The program is found here, not from inside the working folder.
    const QString program = QFileInfo(nativeProgramPath(split->program)).absoluteFilePath();
    return std::make_unique<RunningProcess>(program, arguments, root);
}

} // namespace corvane
