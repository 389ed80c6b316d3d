#include "profiles/ProfileMenu.h"

#include "package/PreBuildCheck.h"
#include "platform/Platform.h"
#include "platform/Product.h"
#include "profiles/SettingsStore.h"
#include "profiles/pfrForm.h"

#include <QAction>
#include <QLineEdit>
#include <QVariant>

namespace corvane {

namespace {

const char slotNameProperty[] = "slotName";

} // namespace

QString itemSlotName(const QAction *item)
{
    const QVariant stored = item->property(slotNameProperty);
    // Until the menu first opens, the design caption is the name.
    return stored.isValid() ? stored.toString() : item->text();
}

void setItemSlotName(QAction *item, const QString &slotName)
{
    item->setProperty(slotNameProperty, slotName);
    // A lone "&" would make the next letter an access key and vanish.
    QString caption = slotName;
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    item->setText(caption);
}

QStringList itemSlotNames(const ProfileItems &items)
{
    QStringList names;
    for (const QAction *item : items)
        names << itemSlotName(item);
    return names;
}

void reloadProfileCaptions(const ProfileItems &items, const SettingsStore &store)
{
    for (int n = 1; n <= profileSlotCount; ++n)
        setItemSlotName(items[n - 1], readSlotName(store, n));
}

void chooseProfileItem(int n, const ProfileItems &items, const ProfileFields &fields, const SettingsStore &store,
                       Platform &platform)
{
    if (itemSlotName(items[n - 1]) == defaultSlotName(n)) {
        platform.messageBox(QStringLiteral("The Profile you selected appears to be empty."), FlagsStop, productName());
        return;
    }
    LoadProfile(store, fields, slotKey(n));
}

void saveMapProfile(const ProfileItems &items, const PackageDescription &description, const SettingsStore &store,
                    Platform &platform)
{
    if (const auto failure = preBuildCheck(description, CheckRules::ProfileSave)) {
        platform.messageBox(*failure, FlagsExclamation, productName());
        return;
    }
    const auto key = ChooseProfileSlot(description.ShortName->text(), itemSlotNames(items));
    if (!key) {
        platform.messageBox(QStringLiteral("All of the profile slots are currently in use. Please use the ")
                                + QLatin1Char('"') + QStringLiteral("Organise Profiles") + QLatin1Char('"')
                                + QStringLiteral(" feature to remove an existing profile"),
                            FlagsOkOnly, productName());
        return;
    }
    SaveProfile(store, ProfileFields{description.ShortName, description.files}, *key);
}

void organiseProfiles(const SettingsStore &store, Platform &platform, QWidget *owner)
{
    pfrForm dialog(store, platform, owner);
    platform.showModal(dialog);
}

} // namespace corvane
