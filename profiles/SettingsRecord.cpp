#include "profiles/SettingsRecord.h"

#include "profiles/SettingsStore.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace corvane {

namespace {

const QString section = QStringLiteral("Settings");

QString checkValue(const QCheckBox *box)
{
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

bool saveSettingsRecord(const SettingsStore &store, const SettingsControls &controls)
{
    return store.writeAll(section,
                          {
                              {QStringLiteral("chkSaveStatus"), checkValue(controls.chkAutosave)},
                              {QStringLiteral("chkReadmeStatus"), checkValue(controls.ReadmePK3)},
                              {QStringLiteral("SaveLocation"), controls.SaveLocation->text()},
                              {QStringLiteral("PK3orZIP"),
                               controls.cOption2->isChecked() ? QStringLiteral("ZIP") : QStringLiteral("PK3")},
                          });
}

void applySettingsRecord(const SettingsStore &store, const SettingsControls &controls)
{
    if (store.read(section, QStringLiteral("chkSaveStatus"), QStringLiteral("1")) == QLatin1String("1"))
        controls.chkAutosave->setChecked(true);
    controls.ReadmePK3->setChecked(store.read(section, QStringLiteral("chkReadmeStatus"), QStringLiteral("1"))
                                   == QLatin1String("1"));
    controls.SaveLocation->setText(store.read(section, QStringLiteral("SaveLocation"), QString()));
    if (store.read(section, QStringLiteral("PK3orZIP"), QStringLiteral("ZIP")) == QLatin1String("ZIP"))
        controls.cOption2->setChecked(true);
    else
        controls.cOption1->setChecked(true);
}

} // namespace corvane
