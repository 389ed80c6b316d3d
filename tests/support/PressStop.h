#pragma once

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace corvane {

// Presses Stop on the archiver's progress window, if there is one.
inline bool pressStop()
{
    auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
    auto *stop = progress ? progress->findChild<QPushButton *>() : nullptr;
    if (stop)
        QTest::mouseClick(stop, Qt::LeftButton);
    return stop != nullptr;
}

// Presses Stop after `delay` ms, while the build waits; `stopped` says
// whether there was one to press.
inline void pressStopAfter(QObject *context, int delay, bool &stopped)
{
    stopped = false;
    QTimer::singleShot(delay, context, [&stopped] { stopped = pressStop(); });
}

} // namespace corvane
