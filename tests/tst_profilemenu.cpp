#include "widgets/Tag.h"
#include "profiles/ProfileMenu.h"
#include "support/TestForm.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QSettings>
#include <QTreeWidget>
#include <QtTest/QtTest>

using namespace corvane;

namespace {

const QString allInUse = QStringLiteral("0|Corvane|All of the profile slots are currently in use. Please use the "
                                        "\"Organise Profiles\" feature to remove an existing profile");

// Fills the window with a complete map whose files are named after it.
void fillMap(Form1 &form, const QString &shortName)
{
    form.ShortName->setText(shortName);
    TestForm::fill(form.BSP, shortName + QStringLiteral(".bsp"), QStringLiteral("/maps/") + shortName + ".bsp");
    TestForm::fill(form.ArenaFile, shortName + QStringLiteral(".arena"), QStringLiteral("/maps/") + shortName + ".arena");
    TestForm::fill(form.AAS, shortName + QStringLiteral(".aas"), QStringLiteral("/maps/") + shortName + ".aas");
}

// Stores a map into slot n as an earlier save would have.
void storeMap(TestForm &t, int n, const QString &shortName)
{
    fillMap(*t.form, shortName);
    QVERIFY(SaveProfile(t.form->store(), t.form->profileFields(), slotKey(n)));
    t.form->ClearButton_Click();
}

QString stored(const TestForm &t, const QString &key)
{
    QSettings settings(t.platform.settingsFileName(), QSettings::IniFormat);
    return settings.value(QStringLiteral("Profiles/") + key, QStringLiteral("<absent>")).toString();
}

ProfileItems items(const Form1 &form)
{
    return {form.prf1, form.prf2, form.prf3, form.prf4, form.prf5};
}

QStringList captions(const Form1 &form)
{
    QStringList texts;
    for (const QAction *item : items(form))
        texts << item->text();
    return texts;
}

// The slot keys that the writes since the last clearCalls went to.
QStringList writtenSlots(const FakePlatform &platform)
{
    QStringList keys;
    for (const QString &call : platform.callsStartingWith(QStringLiteral("writeSetting Profiles/"))) {
        const QString key = call.mid(22, 4);
        if (!keys.contains(key))
            keys << key;
    }
    return keys;
}

} // namespace

class ProfileMenuTest : public QObject {
    Q_OBJECT

private slots:
    void openingReloadsEveryCaption();
    void captionsWaitForTheNextOpening();
    void ampersandShownLiterallyComparedAsStored_data();
    void ampersandShownLiterallyComparedAsStored();
    void emptyItemStopsEvenWithDataInWindow();
    void loadingReplacesOnlyNameAndFiles();
    void saveChecks_data();
    void saveChecks();
    void saveOverwritesSlotNamedLikeMap();
    void saveTakesFirstEmptySlot();
    void letterCaseTakesTwoSlots();
    void trailingBlanksKeptAndCompared();
    void allSlotsInUse();
    void organiseShowsFreshDialog();
};

void ProfileMenuTest::openingReloadsEveryCaption()
{
    TestForm t;
    t.activate();
    QCOMPARE(captions(*t.form), (QStringList{"Profile 1", "Profile 2", "Profile 3", "Profile 4", "Profile 5"}));
    storeMap(t, 2, QStringLiteral("dm17"));
    t.platform.writeSetting(QStringLiteral("Profiles"), QStringLiteral("Prf5sname"), QString());
    t.platform.clearCalls();

    Q_EMIT t.form->mapprofiles->aboutToShow();

    QCOMPARE(captions(*t.form), (QStringList{"Profile 1", "dm17", "Profile 3", "Profile 4", ""}));
    QCOMPARE(t.platform.callsStartingWith(QStringLiteral("readSetting")),
             (QStringList{"readSetting Profiles/Prf1sname", "readSetting Profiles/Prf2sname",
                          "readSetting Profiles/Prf3sname", "readSetting Profiles/Prf4sname",
                          "readSetting Profiles/Prf5sname"}));
}

void ProfileMenuTest::captionsWaitForTheNextOpening()
{
    TestForm t;
    t.activate();
    t.form->mapprofiles_Click();
    storeMap(t, 1, QStringLiteral("q3dm1"));
    QCOMPARE(t.form->prf1->text(), QStringLiteral("Profile 1"));
    t.form->mapprofiles_Click();
    QCOMPARE(t.form->prf1->text(), QStringLiteral("q3dm1"));
}

void ProfileMenuTest::ampersandShownLiterallyComparedAsStored_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("inner") << "R&D" << "R&&D";
    QTest::newRow("alone") << "&" << "&&";
    QTest::newRow("doubled") << "a&&b" << "a&&&&b";
    QTest::newRow("default-like") << "Profile &2" << "Profile &&2";
}

void ProfileMenuTest::ampersandShownLiterallyComparedAsStored()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    TestForm t;
    t.activate();
    storeMap(t, 2, name);
    t.form->mapprofiles_Click();
    QCOMPARE(t.form->prf2->text(), caption);
    QCOMPARE(itemSlotName(t.form->prf2), name);

    t.form->prf2_Click();
    QCOMPARE(t.platform.messages(), QStringList());
    QCOMPARE(t.form->ShortName->text(), name);

    // Saving the same map again finds its slot although slot 1 is free.
    t.platform.clearCalls();
    t.form->mapprofiles_Click();
    t.form->prfAdd_Click();
    QCOMPARE(writtenSlots(t.platform), QStringList{"Prf2"});
}

void ProfileMenuTest::emptyItemStopsEvenWithDataInWindow()
{
    TestForm t;
    t.activate();
    storeMap(t, 1, QStringLiteral("elsewhere"));
    fillMap(*t.form, QStringLiteral("dm17"));
    t.form->mapprofiles_Click();
    t.platform.clearCalls();

    t.form->prf2_Click();

    QCOMPARE(t.platform.messages(), QStringList{"16|Corvane|The Profile you selected appears to be empty."});
    QCOMPARE(t.platform.callsStartingWith(QStringLiteral("readSetting")), QStringList());
    QCOMPARE(t.form->ShortName->text(), QStringLiteral("dm17"));
    QCOMPARE(slotPath(t.form->BSP), QStringLiteral("/maps/dm17.bsp"));
}

void ProfileMenuTest::loadingReplacesOnlyNameAndFiles()
{
    TestForm t;
    t.activate();
    t.form->ShortName->setText(QStringLiteral("sparse"));
    TestForm::fill(t.form->BSP, QStringLiteral("sparse.bsp"), QStringLiteral("/m/sparse.bsp"));
    TestForm::fill(t.form->ArenaFile, QStringLiteral("sparse.arena"), QStringLiteral("/m/sparse.arena"));
    QVERIFY(SaveProfile(t.form->store(), t.form->profileFields(), QStringLiteral("Prf3")));
    QCOMPARE(stored(t, QStringLiteral("Prf3AAS")), QString());
    QCOMPARE(stored(t, QStringLiteral("Prf3shader2P")), QString());

    fillMap(*t.form, QStringLiteral("busy"));
    TestForm::fill(t.form->Shader2, QStringLiteral("busy.shader"), QStringLiteral("/s/busy.shader"));
    t.form->chkAutosave->setChecked(false);
    t.form->ReadmePK3->setChecked(false);
    t.form->cOption1->setChecked(true);
    t.form->SaveLocation->setText(QStringLiteral("/out/"));
    const int treeItems = t.form->TreeView1->topLevelItemCount();

    t.form->mapprofiles_Click();
    t.form->prf3_Click();

    QCOMPARE(t.platform.messages(), QStringList());
    QCOMPARE(t.form->ShortName->text(), QStringLiteral("sparse"));
    QCOMPARE(slotText(t.form->BSP), QStringLiteral("sparse.bsp"));
    QCOMPARE(slotPath(t.form->ArenaFile), QStringLiteral("/m/sparse.arena"));
    for (QLineEdit *slot : {t.form->AAS, t.form->Shader2, t.form->Levelshot, t.form->ReadmeFile, t.form->Shader1}) {
        QCOMPARE(slotText(slot), QString());
        QCOMPARE(slotPath(slot), QString());
    }
    QVERIFY(!t.form->chkAutosave->isChecked());
    QVERIFY(!t.form->ReadmePK3->isChecked());
    QVERIFY(t.form->cOption1->isChecked());
    QCOMPARE(t.form->SaveLocation->text(), QStringLiteral("/out/"));
    QCOMPARE(t.form->TreeView1->topLevelItemCount(), treeItems);
}

void ProfileMenuTest::saveChecks_data()
{
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QString>("bsp");
    QTest::addColumn<QString>("arena");
    QTest::addColumn<QString>("message");
    QTest::newRow("no name") << "" << "a.bsp" << "a.arena" << "Please enter a Map Shortname.";
    QTest::newRow("blank name") << "   " << "a.bsp" << "a.arena" << "Please enter a Map Shortname.";
    QTest::newRow("name first") << "" << "" << "" << "Please enter a Map Shortname.";
    QTest::newRow("no bsp") << "dm1" << "" << "a.arena" << "Please select a BSP File to add.";
    QTest::newRow("blank bsp") << "dm1" << "  " << "" << "Please select a BSP File to add.";
    QTest::newRow("no arena") << "dm1" << "a.bsp" << " " << "Please select an Arena File to add.";
}

void ProfileMenuTest::saveChecks()
{
    QFETCH(QString, shortName);
    QFETCH(QString, bsp);
    QFETCH(QString, arena);
    QFETCH(QString, message);
    TestForm t;
    t.activate();
    t.form->ShortName->setText(shortName);
    TestForm::fill(t.form->BSP, bsp, bsp);
    TestForm::fill(t.form->ArenaFile, arena, arena);
    t.form->mapprofiles_Click();
    t.platform.clearCalls();

    t.form->prfAdd_Click();

    QCOMPARE(t.platform.messages(), QStringList{"48|Corvane|" + message});
    QCOMPARE(t.platform.callsStartingWith(QStringLiteral("writeSetting")), QStringList());
}

void ProfileMenuTest::saveOverwritesSlotNamedLikeMap()
{
    TestForm t;
    t.activate();
    storeMap(t, 4, QStringLiteral("dm17"));
    fillMap(*t.form, QStringLiteral("dm17"));
    TestForm::fill(t.form->BSP, QStringLiteral("dm17b.bsp"), QStringLiteral("/new/dm17b.bsp"));
    t.form->mapprofiles_Click();
    t.platform.clearCalls();

    t.form->prfAdd_Click();

    QCOMPARE(t.platform.messages(), QStringList());
    QCOMPARE(writtenSlots(t.platform), QStringList{"Prf4"});
    QCOMPARE(stored(t, QStringLiteral("Prf4BSPP")), QStringLiteral("/new/dm17b.bsp"));
    QCOMPARE(stored(t, QStringLiteral("Prf1sname")), QStringLiteral("<absent>"));
}

void ProfileMenuTest::saveTakesFirstEmptySlot()
{
    TestForm t;
    t.activate();
    storeMap(t, 1, QStringLiteral("one"));
    storeMap(t, 2, QStringLiteral("two"));
    storeMap(t, 5, QStringLiteral("five"));
    fillMap(*t.form, QStringLiteral("newmap"));
    t.form->mapprofiles_Click();
    t.platform.clearCalls();

    t.form->prfAdd_Click();

    QCOMPARE(t.platform.messages(), QStringList());
    QCOMPARE(writtenSlots(t.platform), QStringList{"Prf3"});
    QCOMPARE(stored(t, QStringLiteral("Prf3sname")), QStringLiteral("newmap"));
    QCOMPARE(t.form->prf3->text(), QStringLiteral("Profile 3"));
    t.form->mapprofiles_Click();
    QCOMPARE(t.form->prf3->text(), QStringLiteral("newmap"));
}

void ProfileMenuTest::letterCaseTakesTwoSlots()
{
    TestForm t;
    t.activate();
    storeMap(t, 1, QStringLiteral("dm17"));
    fillMap(*t.form, QStringLiteral("DM17"));
    t.form->mapprofiles_Click();
    t.form->prfAdd_Click();
    t.form->mapprofiles_Click();
    QCOMPARE(captions(*t.form), (QStringList{"dm17", "DM17", "Profile 3", "Profile 4", "Profile 5"}));
}

void ProfileMenuTest::trailingBlanksKeptAndCompared()
{
    TestForm t;
    t.activate();
    storeMap(t, 1, QStringLiteral("dm17"));
    fillMap(*t.form, QStringLiteral("dm17  "));
    t.form->mapprofiles_Click();
    t.form->prfAdd_Click();
    QCOMPARE(t.platform.messages(), QStringList());
    QCOMPARE(stored(t, QStringLiteral("Prf2sname")), QStringLiteral("dm17  "));

    // The blanks are part of the name: saving again finds slot 2, not a new one.
    t.platform.clearCalls();
    t.form->mapprofiles_Click();
    t.form->prfAdd_Click();
    QCOMPARE(writtenSlots(t.platform), QStringList{"Prf2"});
}

void ProfileMenuTest::allSlotsInUse()
{
    TestForm t;
    t.activate();
    for (int n = 1; n <= 5; ++n)
        storeMap(t, n, QStringLiteral("map") + QString::number(n));
    fillMap(*t.form, QStringLiteral("map6"));
    t.form->mapprofiles_Click();
    t.platform.clearCalls();

    t.form->prfAdd_Click();

    QCOMPARE(t.platform.messages(), QStringList{allInUse});
    QCOMPARE(t.platform.callsStartingWith(QStringLiteral("writeSetting")), QStringList());

    // A map that has a slot still saves into it.
    fillMap(*t.form, QStringLiteral("map3"));
    t.form->prfAdd_Click();
    QCOMPARE(writtenSlots(t.platform), QStringList{"Prf3"});
}

void ProfileMenuTest::organiseShowsFreshDialog()
{
    TestForm t;
    t.activate();
    QStringList firstList;
    QStringList secondList;
    auto listOf = [](QDialog &dialog, QStringList &into) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("List1"));
        QVERIFY(list);
        for (int i = 0; i < list->count(); ++i)
            into << list->item(i)->text();
    };
    t.platform.answerModal([&](QDialog &dialog) { listOf(dialog, firstList); });
    t.form->prfOrg_Click();
    storeMap(t, 2, QStringLiteral("later"));
    t.platform.answerModal([&](QDialog &dialog) { listOf(dialog, secondList); });
    t.form->prfOrg_Click();

    QCOMPARE(t.platform.callsStartingWith(QStringLiteral("showModal")),
             (QStringList{"showModal pfrForm", "showModal pfrForm"}));
    QCOMPARE(firstList, (QStringList{"Profile 1", "Profile 2", "Profile 3", "Profile 4", "Profile 5"}));
    QCOMPARE(secondList, (QStringList{"Profile 1", "later", "Profile 3", "Profile 4", "Profile 5"}));
    QVERIFY(t.form->findChildren<QDialog *>().isEmpty());
}

QTEST_MAIN(ProfileMenuTest)
#include "tst_profilemenu.moc"
