#include "platform/SettingsFile.h"

#include "platform/Product.h"

#include <QSettings>
#include <QStringList>

#include <memory>

namespace corvane {

namespace {

std::unique_ptr<QSettings> open(const QString &fileName)
{
    if (fileName.isEmpty())
        return std::make_unique<QSettings>(productName(), productName());
    return std::make_unique<QSettings>(fileName, QSettings::IniFormat);
}

} // namespace

SettingsFile::SettingsFile(const QString &fileName)
    : m_fileName(fileName)
{
}

bool SettingsFile::write(const QString &section, const QString &key, const QString &value) const
{
    auto settings = open(m_fileName);
    settings->beginGroup(section);
    const QVariant stored = settings->value(key);
    settings->setValue(key, value);
    settings->sync();
    // A line Qt could not parse when reading is a format error, not a failed
    // write; only a store that cannot be written is.
    if (settings->status() != QSettings::AccessError)
        return true;
    // Qt keeps an unsaved value in memory for every later QSettings on this
    // file, to be shown and written with the next change: put back what the
    // file holds instead.
    if (stored.isValid())
        settings->setValue(key, stored);
    else
        settings->remove(key);
    settings->sync();
    return false;
}

QString SettingsFile::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    auto settings = open(m_fileName);
    settings->beginGroup(section);
    const QVariant value = settings->value(key);
    settings->endGroup();
    if (!value.isValid())
        return defaultValue;
    // A hand-edited value with commas reads back as a list; keep its text.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QString SettingsFile::location() const
{
    QString location = open(m_fileName)->fileName();
    // Qt names a registry key "\HKEY_CURRENT_USER\..."; people write it without the lead.
    if (location.startsWith(QLatin1String("\\HKEY_")))
        location.remove(0, 1);
    return location;
}

} // namespace corvane
