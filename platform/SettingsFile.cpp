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
    settings->setValue(key, value);
    settings->endGroup();
    settings->sync();
    return settings->status() == QSettings::NoError;
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
    return open(m_fileName)->fileName();
}

} // namespace corvane
