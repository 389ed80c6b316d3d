#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QtTest>

namespace corvane {

// A file's bytes, or "<missing>" so that a comparison shows why it failed.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Writes a file, making its folder; fails the running test when it cannot.
inline void write(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

// Text that compresses slowly and only so far: a big map file for a long run.
inline QByteArray noisyText(qsizetype size)
{
    QByteArray text(size, Qt::Uninitialized);
    quint32 seed = 1;
    for (char &c : text) {
        seed = seed * 1103515245u + 12345u;
        c = "abcdefgh \n"[(seed >> 16) % 10];
    }
    return text;
}

} // namespace corvane
