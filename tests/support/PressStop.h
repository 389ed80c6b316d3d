#pragma once

#include <QApplication>
#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

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

// Once the archiver's progress window is up and `ready` holds, runs `act`;
// `acted` says whether it did what it meant to. It waits for these, never
// for a time, so that a busy machine changes nothing.
inline void whenWaiting(QObject *context, std::function<bool()> ready, std::function<bool()> act, bool &acted)
{
    acted = false;
    auto *poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [=, &acted] {
        if (!qobject_cast<QProgressDialog *>(QApplication::activeModalWidget()) || !ready())
            return;
        poll->stop();
        poll->deleteLater();
        acted = act();
    });
    poll->start(20);
}

// Whether the archiver has begun writing its new archive into `folder`.
inline bool writingInto(const QString &folder)
{
    const QFileInfoList temporary = QDir(folder).entryInfoList({QStringLiteral("*.tmp")}, QDir::Files);
    return !temporary.isEmpty() && temporary.first().size() > 0;
}

} // namespace corvane
