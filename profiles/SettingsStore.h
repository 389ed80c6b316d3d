#pragma once

#include <QPair>
#include <QString>
#include <QVector>

namespace corvane {

class Platform;

using SettingsEntries = QVector<QPair<QString, QString>>; // key, value

// The settings store of application "Corvane". Writes come in batches, and a
// batch that could not be stored is reported once, never silently dropped.
class SettingsStore {
public:
    explicit SettingsStore(Platform &platform);

    QString read(const QString &section, const QString &key, const QString &defaultValue) const;
    // Writes every entry in order; false (after telling the user) when any failed.
    bool writeAll(const QString &section, const SettingsEntries &entries) const;

private:
    Platform &m_platform;
};

} // namespace corvane
