#pragma once

#include "package/PackageDescription.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

class SettingsStore;

constexpr int profileSlotCount = 5;

QString slotKey(int n);         // "Prf1" .. "Prf5"
QString defaultSlotName(int n); // "Profile 1" .. "Profile 5": marks slot n empty

// What a profile holds: the short name and the seven file slots.
struct ProfileFields {
    QLineEdit *ShortName = nullptr;
    FileSlots files;
};

bool SaveProfile(const SettingsStore &store, const ProfileFields &fields, const QString &key);
void LoadProfile(const SettingsStore &store, const ProfileFields &fields, const QString &key);
bool ClearProfile(const SettingsStore &store, int n);

QString readSlotName(const SettingsStore &store, int n);
QStringList readSlotNames(const SettingsStore &store);

// The slot already named like shortName, else the first empty one, else none.
std::optional<QString> ChooseProfileSlot(const QString &shortName, const QStringList &slotNames);

} // namespace corvane
