#pragma once

#include <QString>

namespace corvane {

// The settings store on QSettings: organisation and application "Corvane",
// a section is a group. An empty file name means the native per-user store.
class SettingsFile {
public:
    explicit SettingsFile(const QString &fileName = QString());

    // False when the value could not be made to last (unwritable store).
    bool write(const QString &section, const QString &key, const QString &value) const;
    QString read(const QString &section, const QString &key, const QString &defaultValue) const;
    QString location() const;

private:
    QString m_fileName;
};

} // namespace corvane
