#pragma once

#include "package/PackageDescription.h"
#include "profiles/ProfileRecord.h"

#include <QString>
#include <QStringList>

#include <array>

class QAction;
class QWidget;

namespace corvane {

class Platform;
class SettingsStore;

// The menu items prf1 .. prf5, in slot order.
using ProfileItems = std::array<QAction *, profileSlotCount>;

// The slot name an item stands for. Its caption escapes "&", so this is
// what every comparison must use, never the caption's text.
QString itemSlotName(const QAction *item);
void setItemSlotName(QAction *item, const QString &slotName);
QStringList itemSlotNames(const ProfileItems &items);

// Opening the Profiles menu: the captions become the store's slot names.
void reloadProfileCaptions(const ProfileItems &items, const SettingsStore &store);

// Choosing prf<n>: loads slot n unless its item names it empty.
void chooseProfileItem(int n, const ProfileItems &items, const ProfileFields &fields, const SettingsStore &store,
                       Platform &platform);

// Save Map Profile: checks the description, then saves it into the slot
// that already holds its short name or else the first empty one.
void saveMapProfile(const ProfileItems &items, const PackageDescription &description, const SettingsStore &store,
                    Platform &platform);

// Organise Profiles: shows a fresh dialog modally and returns once it is closed.
void organiseProfiles(const SettingsStore &store, Platform &platform, QWidget *owner);

} // namespace corvane
