#include "profiles/SettingsStore.h"

#include "platform/Platform.h"
#include "platform/Product.h"

#include <QDir>

namespace corvane {

SettingsStore::SettingsStore(Platform &platform)
    : m_platform(platform)
{
}

QString SettingsStore::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    return m_platform.readSetting(section, key, defaultValue);
}

bool SettingsStore::writeAll(const QString &section, const SettingsEntries &entries) const
{
    bool allWritten = true;
    for (const auto &entry : entries)
        allWritten = m_platform.writeSetting(section, entry.first, entry.second) && allWritten;
    if (!allWritten) {
        m_platform.messageBox(QStringLiteral("The settings could not be saved to \"")
                                  + QDir::toNativeSeparators(m_platform.settingsLocation())
                                  + QStringLiteral("\". Please check that this file and its folder can be written."),
                              FlagsExclamation, productName());
    }
    return allWritten;
}

} // namespace corvane
