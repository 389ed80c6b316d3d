// The settings record, the profile records and the pre-build check.
#include "TestForm.h"

#include "package/PreBuildCheck.h"
#include "widgets/Tag.h"
#include "platform/DesktopPlatform.h"
#include "profiles/ProfileRecord.h"
#include "profiles/SettingsRecord.h"
#include "profiles/SettingsStore.h"

#include <QDir>
#include <QCheckBox>
#include <QFile>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#include <QtTest>

using namespace corvane;

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void emptyStoreGivesDefaults();
    void storedValuesAreComparedExactly_data();
    void storedValuesAreComparedExactly();
    void storedEmptyStringIsNotTheDefault();
    void createSavesTheRecordBeforeAnyCheck();
    void profileRoundTripOverwritesEveryField();
    void profileKeysAreSpelledExactly();
    void clearProfileEmptiesOnlyItsSlot();
    void chooseProfileSlot_data();
    void chooseProfileSlot();
    void preBuildCheck_data();
    void preBuildCheck();
    void profileSaveSkipsTheSaveLocationRule();
    void unwritableStoreIsReported();
    void unparsableLineIsNoWriteFailure();
    void failedWriteLeavesWhatTheFileHolds_data();
    void failedWriteLeavesWhatTheFileHolds();
    void longStoredValuesComeBackWhole();
};

void SettingsTest::emptyStoreGivesDefaults()
{
    TestForm t;
    t.activate();
    QVERIFY(t.form->chkAutosave->isChecked());
    QVERIFY(t.form->ReadmePK3->isChecked());
    QCOMPARE(t.form->SaveLocation->text(), QString());
    QVERIFY(t.form->cOption2->isChecked());
    QVERIFY(!t.form->cOption1->isChecked());
    QCOMPARE(readSlotNames(t.form->store()),
             QStringList({"Profile 1", "Profile 2", "Profile 3", "Profile 4", "Profile 5"}));
}

void SettingsTest::storedValuesAreComparedExactly_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("autosave");
    QTest::addColumn<bool>("readme");
    QTest::addColumn<bool>("zipForm");

    QTest::newRow("autosave 0") << "chkSaveStatus" << "0" << false << true << true;
    QTest::newRow("autosave empty") << "chkSaveStatus" << "" << false << true << true;
    QTest::newRow("autosave yes") << "chkSaveStatus" << "yes" << false << true << true;
    QTest::newRow("autosave 1") << "chkSaveStatus" << "1" << true << true << true;
    QTest::newRow("readme 0") << "chkReadmeStatus" << "0" << true << false << true;
    QTest::newRow("readme blank-padded 1") << "chkReadmeStatus" << " 1" << true << false << true;
    QTest::newRow("form PK3") << "PK3orZIP" << "PK3" << true << true << false;
    QTest::newRow("form zip lower case") << "PK3orZIP" << "zip" << true << true << false;
    QTest::newRow("form empty") << "PK3orZIP" << "" << true << true << false;
    QTest::newRow("form ZIP") << "PK3orZIP" << "ZIP" << true << true << true;
}

void SettingsTest::storedValuesAreComparedExactly()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    TestForm t;
    QVERIFY(t.platform.writeSetting("Settings", key, value));
    t.activate();
    QTEST(t.form->chkAutosave->isChecked(), "autosave");
    QTEST(t.form->ReadmePK3->isChecked(), "readme");
    QTEST(t.form->cOption2->isChecked(), "zipForm");
    QCOMPARE(t.form->cOption1->isChecked(), !t.form->cOption2->isChecked());
}

void SettingsTest::storedEmptyStringIsNotTheDefault()
{
    FakePlatform platform;
    QVERIFY(platform.writeSetting("Profiles", "Prf2sname", ""));
    QCOMPARE(platform.readSetting("Profiles", "Prf2sname", "Profile 2"), QString(""));
    QCOMPARE(platform.readSetting("Profiles", "Prf3sname", "Profile 3"), QString("Profile 3"));

    // An empty slot name means the slot is in use.
    QCOMPARE(ChooseProfileSlot("q3dm1", {"Profile 1", "", "Profile 3", "Profile 4", "Profile 5"}),
             std::optional<QString>("Prf1"));
    QCOMPARE(ChooseProfileSlot("", {"x", "", "Profile 3", "Profile 4", "Profile 5"}), std::optional<QString>("Prf2"));
}

void SettingsTest::createSavesTheRecordBeforeAnyCheck()
{
    TestForm t;
    t.activate();
    t.form->chkAutosave->setChecked(false);
    t.form->ReadmePK3->setChecked(false);
    t.form->cOption1->setChecked(true);
    t.platform.clearCalls();
    t.form->CreateButton_Click();

    QCOMPARE(t.platform.callsStartingWith("writeSetting"),
             QStringList({"writeSetting Settings/chkSaveStatus=0", "writeSetting Settings/chkReadmeStatus=0",
                          "writeSetting Settings/SaveLocation=", "writeSetting Settings/PK3orZIP=PK3"}));
    QCOMPARE(t.platform.messages(), QStringList{"48|Corvane|Please enter a Map Shortname."});

    // The next start shows what was stored.
    Form1 next(t.platform);
    next.Form_Activate();
    QVERIFY(!next.chkAutosave->isChecked());
    QVERIFY(!next.ReadmePK3->isChecked());
    QVERIFY(next.cOption1->isChecked());
}

void SettingsTest::profileRoundTripOverwritesEveryField()
{
    TestForm t;
    Form1 &f = *t.form;
    f.ShortName->setText("q3dm99 ");
    TestForm::fill(f.BSP, "q3dm99.bsp", "/src/q3dm99.bsp");
    TestForm::fill(f.ArenaFile, "q3dm99.arena", "/src/q3dm99.arena");
    TestForm::fill(f.Shader2, "sky.shader", "/src/sky.shader");
    f.SaveProfile("Prf3");

    // The window now holds something else in every field.
    f.ShortName->setText("other");
    for (QLineEdit *slot : {f.ReadmeFile, f.Levelshot, f.BSP, f.AAS, f.ArenaFile, f.Shader1, f.Shader2})
        TestForm::fill(slot, "stale.txt", "/stale/stale.txt");
    f.SaveLocation->setText("/keep/");
    f.cOption1->setChecked(true);

    f.LoadProfile("Prf3");
    QCOMPARE(f.ShortName->text(), QString("q3dm99 "));
    QCOMPARE(f.BSP->text(), QString("q3dm99.bsp"));
    QCOMPARE(tagOf(f.BSP), QString("/src/q3dm99.bsp"));
    QCOMPARE(tagOf(f.ArenaFile), QString("/src/q3dm99.arena"));
    QCOMPARE(f.Shader2->text(), QString("sky.shader"));
    for (QLineEdit *slot : {f.ReadmeFile, f.Levelshot, f.AAS, f.Shader1}) {
        QCOMPARE(slot->text(), QString());
        QCOMPARE(tagOf(slot), QString());
    }
    QCOMPARE(f.SaveLocation->text(), QString("/keep/"));
    QVERIFY(f.cOption1->isChecked());

    // A slot never written loads as empty strings.
    f.LoadProfile("Prf5");
    QCOMPARE(f.ShortName->text(), QString());
    QCOMPARE(f.BSP->text(), QString());
}

void SettingsTest::profileKeysAreSpelledExactly()
{
    TestForm t;
    t.form->ShortName->setText("m");
    t.platform.clearCalls();
    t.form->SaveProfile("Prf2");
    QStringList keys;
    for (const QString &call : t.platform.callsStartingWith("writeSetting"))
        keys << call.section(' ', 1).section('=', 0, 0);
    QCOMPARE(keys, QStringList({"Profiles/Prf2sname", "Profiles/Prf2readme", "Profiles/Prf2readmeP",
                                "Profiles/Prf2levelshot", "Profiles/Prf2levelshotP", "Profiles/Prf2BSP",
                                "Profiles/Prf2BSPP", "Profiles/Prf2AAS", "Profiles/Prf2AASP", "Profiles/Prf2Arena",
                                "Profiles/Prf2ArenaP", "Profiles/Prf2shader1", "Profiles/Prf2shader1P",
                                "Profiles/Prf2shader2", "Profiles/Prf2shader2P"}));

    // The file on disk has exactly these sections and keys.
    t.form->CreateButton_Click();
    QSettings file(t.platform.settingsFileName(), QSettings::IniFormat);
    QCOMPARE(file.childGroups(), QStringList({"Profiles", "Settings"}));
    file.beginGroup("Settings");
    QCOMPARE(file.childKeys(), QStringList({"PK3orZIP", "SaveLocation", "chkReadmeStatus", "chkSaveStatus"}));
    file.endGroup();
    file.beginGroup("Profiles");
    QCOMPARE(file.childKeys().size(), 15);
}

void SettingsTest::clearProfileEmptiesOnlyItsSlot()
{
    TestForm t;
    t.form->ShortName->setText("keep");
    TestForm::fill(t.form->BSP, "keep.bsp", "/k/keep.bsp");
    t.form->SaveProfile("Prf1");
    t.form->ShortName->setText("gone");
    t.form->SaveProfile("Prf2");
    QVERIFY(ClearProfile(t.form->store(), 2));

    QCOMPARE(readSlotNames(t.form->store()),
             QStringList({"keep", "Profile 2", "Profile 3", "Profile 4", "Profile 5"}));
    QCOMPARE(t.platform.readSetting("Profiles", "Prf2BSPP", "unset"), QString(""));
    QCOMPARE(t.platform.readSetting("Profiles", "Prf1BSPP", "unset"), QString("/k/keep.bsp"));
}

void SettingsTest::chooseProfileSlot_data()
{
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("expected"); // empty: none

    const QStringList mixed{"q3dm99", "Profile 2", "q3dm17", "Profile 4", "Profile 5"};
    QTest::newRow("own slot") << "q3dm17" << mixed << "Prf3";
    QTest::newRow("first empty") << "q3dm20" << mixed << "Prf2";
    QTest::newRow("exact match beats lower empty slots")
        << "mine" << QStringList{"Profile 1", "Profile 2", "Profile 3", "mine", "Profile 5"} << "Prf4";
    QTest::newRow("letter case counts")
        << "Q3DM99" << QStringList{"q3dm99", "a", "b", "c", "d"} << "";
    QTest::newRow("trailing blanks count")
        << "q3dm99 " << QStringList{"q3dm99", "Profile 2", "b", "c", "d"} << "Prf2";
    QTest::newRow("Profile 3 in slot 3 is empty")
        << "x" << QStringList{"a", "b", "Profile 3", "c", "d"} << "Prf3";
    QTest::newRow("Profile 3 in slot 2 is in use")
        << "x" << QStringList{"a", "Profile 3", "b", "c", "d"} << "";
    QTest::newRow("all in use") << "x" << QStringList{"a", "b", "c", "d", "e"} << "";
}

void SettingsTest::chooseProfileSlot()
{
    QFETCH(QString, shortName);
    QFETCH(QStringList, names);
    QFETCH(QString, expected);
    const auto chosen = ChooseProfileSlot(shortName, names);
    QCOMPARE(chosen.value_or(QString()), expected);
}

void SettingsTest::preBuildCheck_data()
{
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QString>("saveLocation");
    QTest::addColumn<QString>("bsp");
    QTest::addColumn<QString>("arena");
    QTest::addColumn<QString>("message"); // empty: passes

    QTest::newRow("all empty") << "" << "" << "" << "" << "Please enter a Map Shortname.";
    QTest::newRow("three blanks") << "   " << "/out/" << "a.bsp" << "a.arena" << "Please enter a Map Shortname.";
    QTest::newRow("no save location") << "m" << " " << "a.bsp" << "a.arena" << "Please enter a Save Location.";
    QTest::newRow("BSP before arena") << "m" << "/out/" << "" << "" << "Please select a BSP File to add.";
    QTest::newRow("blank BSP") << "m" << "/out/" << "  " << "a.arena" << "Please select a BSP File to add.";
    QTest::newRow("no arena") << "m" << "/out/" << "a.bsp" << "" << "Please select an Arena File to add.";
    QTest::newRow("optional slots empty") << "m" << "/out/" << "a.bsp" << "a.arena" << "";
    QTest::newRow("tab is not a blank") << "\t" << "/out/" << "a.bsp" << "a.arena" << "";
}

void SettingsTest::preBuildCheck()
{
    QFETCH(QString, shortName);
    QFETCH(QString, saveLocation);
    QFETCH(QString, bsp);
    QFETCH(QString, arena);
    QFETCH(QString, message);
    TestForm t;
    t.form->ShortName->setText(shortName);
    t.form->SaveLocation->setText(saveLocation);
    t.form->BSP->setText(bsp);
    t.form->ArenaFile->setText(arena);
    QCOMPARE(corvane::preBuildCheck(t.form->description()).value_or(QString()), message);
}

void SettingsTest::profileSaveSkipsTheSaveLocationRule()
{
    TestForm t;
    t.form->ShortName->setText("m");
    t.form->BSP->setText("a.bsp");
    QCOMPARE(corvane::preBuildCheck(t.form->description(), CheckRules::ProfileSave).value_or(QString()),
             QString("Please select an Arena File to add."));
}

void SettingsTest::unwritableStoreIsReported()
{
    // A settings file below a regular file can never be written, not even by root.
    QTemporaryDir dir;
    QFile blocker(dir.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString fileName = dir.filePath("blocker/Corvane.conf");

    DesktopPlatform desktop({fileName, dir.filePath("data"), QString()});
    QVERIFY(!desktop.writeSetting("Settings", "chkSaveStatus", "1"));

    FakePlatform platform;
    platform.failSettingsWrites = true;
    Form1 form(platform);
    form.ShortName->setText("m");
    form.SaveProfile("Prf1");
    const QStringList messages = platform.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().startsWith("48|Corvane|The settings could not be saved to \""));
    QVERIFY(messages.first().contains(QDir::toNativeSeparators(platform.settingsFileName())));
}

void SettingsTest::unparsableLineIsNoWriteFailure()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath("Corvane.conf");
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\nSaveLocation=/old/\n\\x\n");
    file.close();
    DesktopPlatform desktop({fileName, dir.filePath("data"), QString()});
    QVERIFY(desktop.writeSetting("Settings", "PK3orZIP", "PK3"));
    QCOMPARE(QSettings(fileName, QSettings::IniFormat).value("Settings/PK3orZIP").toString(), QString("PK3"));
}

void SettingsTest::failedWriteLeavesWhatTheFileHolds_data()
{
    QTest::addColumn<bool>("readOnlyFile");
    QTest::newRow("read-only file") << true;
    QTest::newRow("folder that cannot be made") << false;
}

// The real store: what the program shows and later writes after a failed
// write is what the file holds, not the value Qt kept in memory.
void SettingsTest::failedWriteLeavesWhatTheFileHolds()
{
    QFETCH(bool, readOnlyFile);
    QTemporaryDir dir;
    QString fileName = dir.filePath("config/Corvane.conf");
    QString held = "Profile 1";
    if (readOnlyFile) {
#ifdef Q_OS_UNIX
        if (geteuid() == 0)
            QSKIP("permissions do not stop root");
#endif
        QVERIFY(DesktopPlatform({fileName, dir.filePath("data"), QString()}).writeSetting("Profiles", "Prf1sname", "stuck"));
        held = "stuck";
        QVERIFY(QFile::setPermissions(fileName, QFile::ReadOwner));
    } else {
        QFile blocker(dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        fileName = dir.filePath("blocker/Corvane.conf");
    }
    struct Desktop : DesktopPlatform {
        using DesktopPlatform::DesktopPlatform;
        QStringList shown;
        int messageBox(const QString &text, int, const QString &, const QString &) override
        {
            shown << text;
            return AnswerOk;
        }
    } desktop({fileName, dir.filePath("data"), QString()});
    SettingsStore store(desktop);
    QVERIFY(!ClearProfile(store, 1));
    QCOMPARE(desktop.shown.size(), 1);
    QCOMPARE(readSlotName(store, 1), held);
    if (readOnlyFile) {
        // Writable again: an unrelated write must not carry the lost value along.
        QVERIFY(QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(desktop.writeSetting("Settings", "PK3orZIP", "PK3"));
        QCOMPARE(QSettings(fileName, QSettings::IniFormat).value("Profiles/Prf1sname").toString(), QString("stuck"));
    }
}

// Longer than a text box holds by default (32,767 characters).
void SettingsTest::longStoredValuesComeBackWhole()
{
    TestForm t;
    t.activate();
    const QString name = QString(40000, 'n');
    const QString file = QString(40000, 'f') + ".bsp";
    t.platform.writeSetting("Profiles", "Prf2sname", name);
    t.platform.writeSetting("Profiles", "Prf2BSP", file);
    t.platform.writeSetting("Profiles", "Prf2BSPP", "/m/" + file);
    t.form->LoadProfile("Prf2");
    QCOMPARE(t.form->ShortName->text(), name);
    QCOMPARE(slotText(t.form->BSP), file);
    t.form->SaveProfile("Prf3");
    QCOMPARE(t.platform.readSetting("Profiles", "Prf3sname", {}), name);
    QCOMPARE(t.platform.readSetting("Profiles", "Prf3BSP", {}), file);
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
