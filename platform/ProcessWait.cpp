#include "platform/ProcessWait.h"

#include "platform/Product.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>
#include <QWindow>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace corvane {

namespace {

// While the builder waits, the windows behind it take no input and cannot be
// closed, as behind any modal window; only the progress window stays live.
class InputBlocker : public QObject {
public:
    explicit InputBlocker(const std::unique_ptr<QProgressDialog> &progress)
        : m_progress(progress)
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
        case QEvent::Close: break;
        default: return false;
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

enum class Ending { Ask, Force };

void endGroup(QProcess &process, Ending how)
{
#ifdef Q_OS_UNIX
    const qint64 leader = process.processId();
    if (leader > 0)
        ::kill(-static_cast<pid_t>(leader), how == Ending::Ask ? SIGTERM : SIGKILL);
#else
    if (how == Ending::Ask)
        process.terminate();
    else
        process.kill();
#endif
}

} // namespace

std::unique_ptr<QProgressDialog> progressWindow(const QString &busyText, QWidget *parent)
{
    auto progress = std::make_unique<QProgressDialog>(busyText, QStringLiteral("&Stop"), 0, 0, parent);
    progress->setWindowTitle(productName());
    progress->setWindowModality(Qt::ApplicationModal);
    return progress;
}

void startAsGroup(QProcess &process)
{
#ifdef Q_OS_UNIX
    process.setChildProcessModifier([] { ::setsid(); });
#else
    Q_UNUSED(process);
#endif
}

void waitWithProgress(QProcess &process, const QString &busyText)
{
    if (process.state() == QProcess::NotRunning)
        return;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    std::unique_ptr<QProgressDialog> progress;
    QTimer showLater;
    showLater.setSingleShot(true);
    QObject::connect(&showLater, &QTimer::timeout, &loop, [&] {
        progress = progressWindow(busyText, QApplication::activeWindow());
        QObject::connect(progress.get(), &QProgressDialog::canceled, &process, [&] {
            endGroup(process, Ending::Ask);
            QTimer::singleShot(stopGracePeriod, &process, [&] { endGroup(process, Ending::Force); });
        });
        progress->show();
    });
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        showLater.start(progressWindowDelay);
    InputBlocker blocker(progress);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    QApplication::restoreOverrideCursor();
}

} // namespace corvane
