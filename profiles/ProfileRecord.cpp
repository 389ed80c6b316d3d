#include "profiles/ProfileRecord.h"

#include "widgets/Tag.h"
#include "profiles/SettingsStore.h"

#include <QLineEdit>

namespace corvane {

namespace {

const QString section = QStringLiteral("Profiles");

struct SlotKeys {
    const char *name;
    const char *path;
    QLineEdit *FileSlots::*slot;
};

// The fourteen file keys in the order every operation handles them.
constexpr SlotKeys fileKeys[] = {
    {"readme", "readmeP", &FileSlots::ReadmeFile},
    {"levelshot", "levelshotP", &FileSlots::Levelshot},
    {"BSP", "BSPP", &FileSlots::BSP},
    {"AAS", "AASP", &FileSlots::AAS},
    {"Arena", "ArenaP", &FileSlots::ArenaFile},
    {"shader1", "shader1P", &FileSlots::Shader1},
    {"shader2", "shader2P", &FileSlots::Shader2},
};

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
    for (const SlotKeys &keys : fileKeys) {
        const QLineEdit *slot = fields.files.*keys.slot;
        entries.append({key + QLatin1String(keys.name), slot->text()});
        entries.append({key + QLatin1String(keys.path), tagOf(slot)});
    }
    return store.writeAll(section, entries);
}

void LoadProfile(const SettingsStore &store, const ProfileFields &fields, const QString &key)
{
    fields.ShortName->setText(store.read(section, nameKey(key), QString()));
    for (const SlotKeys &keys : fileKeys) {
        QLineEdit *slot = fields.files.*keys.slot;
        slot->setText(store.read(section, key + QLatin1String(keys.name), QString()));
        setTag(slot, store.read(section, key + QLatin1String(keys.path), QString()));
    }
}

bool ClearProfile(const SettingsStore &store, int n)
{
    const QString key = slotKey(n);
    SettingsEntries entries{{nameKey(key), defaultSlotName(n)}};
    for (const SlotKeys &keys : fileKeys) {
        entries.append({key + QLatin1String(keys.name), QString()});
        entries.append({key + QLatin1String(keys.path), QString()});
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
