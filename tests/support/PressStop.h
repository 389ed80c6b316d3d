#pragma once

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace corvane {

// Presses Stop on the archiver's progress window after `delay` ms, while the
// build waits; `stopped` says whether there was one to press.
inline void pressStopAfter(QObject *context, int delay, bool &stopped)
{
    stopped = false;
    QTimer::singleShot(delay, context, [&stopped] {
        auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
        if (auto *stop = progress ? progress->findChild<QPushButton *>() : nullptr) {
            QTest::mouseClick(stop, Qt::LeftButton);
            stopped = true;
        }
    });
}

} // namespace corvane
