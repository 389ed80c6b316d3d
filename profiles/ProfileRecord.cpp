#include "profiles/ProfileRecord.h"

#include "package/SlotFacts.h"
#include "profiles/SettingsStore.h"

#include <QLineEdit>

namespace corvane {

namespace {

const QString section = QStringLiteral("Profiles");

QString nameKey(const QString &key)
{
    return key + QStringLiteral("sname");
}

} // namespace

QString slotKey(int n)
{
    return QStringLiteral("Prf") + QString::number(n);
}

QString defaultSlotName(int n)
{
    return QStringLiteral("Profile ") + QString::number(n);
}

bool SaveProfile(const SettingsStore &store, const ProfileFields &fields, const QString &key)
{
    SettingsEntries entries{{nameKey(key), fields.ShortName->text()}};
    for (const Slot slot : profileOrder) {
        const QLineEdit *box = slotBox(fields.files, slot);
        entries.append({key + QLatin1String(factsOf(slot).profileName), slotText(box)});
        entries.append({key + QLatin1String(factsOf(slot).profilePath), slotPath(box)});
    }
    return store.writeAll(section, entries);
}

void LoadProfile(const SettingsStore &store, const ProfileFields &fields, const QString &key)
{
    fields.ShortName->setText(store.read(section, nameKey(key), QString()));
    for (const Slot slot : profileOrder) {
        setSlot(slotBox(fields.files, slot),
                store.read(section, key + QLatin1String(factsOf(slot).profileName), QString()),
                store.read(section, key + QLatin1String(factsOf(slot).profilePath), QString()));
    }
}

bool ClearProfile(const SettingsStore &store, int n)
{
    const QString key = slotKey(n);
    SettingsEntries entries{{nameKey(key), defaultSlotName(n)}};
    for (const Slot slot : profileOrder) {
        entries.append({key + QLatin1String(factsOf(slot).profileName), QString()});
        entries.append({key + QLatin1String(factsOf(slot).profilePath), QString()});
    }
    return store.writeAll(section, entries);
}

QString readSlotName(const SettingsStore &store, int n)
{
    return store.read(section, nameKey(slotKey(n)), defaultSlotName(n));
}

QStringList readSlotNames(const SettingsStore &store)
{
    QStringList names;
    for (int n = 1; n <= profileSlotCount; ++n)
        names << readSlotName(store, n);
    return names;
}

std::optional<QString> ChooseProfileSlot(const QString &shortName, const QStringList &slotNames)
{
    for (int i = 0; i < slotNames.size() && i < profileSlotCount; ++i) {
        if (slotNames.at(i) == shortName)
            return slotKey(i + 1);
    }
    for (int i = 0; i < slotNames.size() && i < profileSlotCount; ++i) {
        if (slotNames.at(i) == defaultSlotName(i + 1))
            return slotKey(i + 1);
    }
    return std::nullopt;
}

} // namespace corvane
