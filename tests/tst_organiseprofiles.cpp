#include "widgets/Twips.h"
#include "profiles/ProfileRecord.h"
#include "profiles/pfrForm.h"
#include "support/TestForm.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QtTest/QtTest>

using namespace corvane;

namespace {

const QString emptyMessage = QStringLiteral("48|Error|Sorry, this favourite appears to be empty.");

QString question(const QString &name)
{
    return QStringLiteral("36|Delete favourite?|Are you sure you wish to delete favourite, \"") + name
        + QStringLiteral("\"?");
}

QStringList entries(const pfrForm &dialog)
{
    QStringList texts;
    for (int i = 0; i < dialog.List1->count(); ++i)
        texts << dialog.List1->item(i)->text();
    return texts;
}

// Every key of the Profiles section as the settings file holds it.
QMap<QString, QString> profileKeys(const FakePlatform &platform)
{
    QSettings settings(platform.settingsFileName(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Profiles"));
    QMap<QString, QString> keys;
    for (const QString &key : settings.childKeys())
        keys.insert(key, settings.value(key).toString());
    return keys;
}

void selectByMouse(pfrForm &dialog, int row)
{
    const QRect rect = dialog.List1->visualItemRect(dialog.List1->item(row));
    QTest::mouseClick(dialog.List1->viewport(), Qt::LeftButton, {}, rect.center());
}

QWidget *nextTabStop(QWidget *from)
{
    QWidget *next = from->nextInFocusChain();
    while (next != from && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

} // namespace

class OrganiseProfilesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptyStoreListsDefaultsAndRefusesDelete();
    void deleteThirdEntryClearsOnlyItsSlot();
    void answeringNoChangesNothing();
    void questionText_data();
    void questionText();
    void entryIsEmptyOnlyWithItsOwnDefaultName_data();
    void entryIsEmptyOnlyWithItsOwnDefaultName();
    void listShowsStoreNotMenuCaptions();
    void unwritableStoreKeepsTheName();
    void layoutAndNames();
    void realModalClosesByDoneAndByEscape();

private:
    // Stores a map into slot n with every file slot filled.
    void storeMap(int n, const QString &name);
    // Opens the dialog from the menu and runs the script on it.
    void organise(const std::function<void(pfrForm &)> &script);

    std::unique_ptr<TestForm> t;
};

void OrganiseProfilesTest::init()
{
    t = std::make_unique<TestForm>();
    t->activate();
}

void OrganiseProfilesTest::cleanup()
{
    t.reset();
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName() + " left open"));
}

void OrganiseProfilesTest::storeMap(int n, const QString &name)
{
    Form1 &form = *t->form;
    form.ShortName->setText(name);
    int i = 0;
    for (QLineEdit *slot : {form.ReadmeFile, form.Levelshot, form.BSP, form.AAS, form.ArenaFile, form.Shader1,
                            form.Shader2}) {
        const QString number = QString::number(++i);
        TestForm::fill(slot, name + number, QStringLiteral("/p/") + name + number);
    }
    QVERIFY(SaveProfile(form.store(), form.profileFields(), slotKey(n)));
    form.ClearButton_Click();
}

void OrganiseProfilesTest::organise(const std::function<void(pfrForm &)> &script)
{
    bool ran = false;
    t->platform.answerModal([&](QDialog &dialog) {
        auto *form = qobject_cast<pfrForm *>(&dialog);
        QVERIFY(form);
        ran = true;
        script(*form);
    });
    t->form->prfOrg_Click();
    QVERIFY(ran);
}

void OrganiseProfilesTest::emptyStoreListsDefaultsAndRefusesDelete()
{
    t->platform.clearCalls();
    organise([&](pfrForm &dialog) {
        QCOMPARE(entries(dialog), (QStringList{"Profile 1", "Profile 2", "Profile 3", "Profile 4", "Profile 5"}));
        QVERIFY(!dialog.Delbtn->isEnabled());
        QVERIFY(dialog.Done->isEnabled());
        for (int row = 0; row < 5; ++row) {
            selectByMouse(dialog, row);
            QVERIFY(dialog.Delbtn->isEnabled());
            dialog.Delbtn->click();
        }
    });
    QCOMPARE(t->platform.messages(), QStringList(5, emptyMessage));
    QCOMPARE(t->platform.callsStartingWith(QStringLiteral("writeSetting")), QStringList());
}

void OrganiseProfilesTest::deleteThirdEntryClearsOnlyItsSlot()
{
    for (int n = 1; n <= 5; ++n)
        storeMap(n, QStringLiteral("map") + QString::number(n));
    const QMap<QString, QString> before = profileKeys(t->platform);
    QCOMPARE(before.size(), 75);
    t->platform.clearCalls();
    t->platform.answerMessageBox(AnswerYes);

    organise([&](pfrForm &dialog) {
        selectByMouse(dialog, 2);
        dialog.Delbtn->click();
        QCOMPARE(entries(dialog), (QStringList{"map1", "map2", "Profile 3", "map4", "map5"}));
        QVERIFY(dialog.List1->selectedItems().isEmpty());
        QVERIFY(!dialog.Delbtn->isEnabled());
        dialog.Done->click();
        QVERIFY(!dialog.isVisible());
    });

    QCOMPARE(t->platform.messages(), QStringList{question("map3")});
    const QMap<QString, QString> after = profileKeys(t->platform);
    QCOMPARE(after.size(), 75);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.key().startsWith(QLatin1String("Prf3")))
            QCOMPARE(after.value(it.key()), it.key() == QLatin1String("Prf3sname") ? "Profile 3" : QString());
        else
            QCOMPARE(after.value(it.key()), it.value());
    }

    t->form->mapprofiles_Click();
    QCOMPARE(t->form->prf3->text(), QStringLiteral("Profile 3"));
    QCOMPARE(t->form->prf4->text(), QStringLiteral("map4"));
}

void OrganiseProfilesTest::answeringNoChangesNothing()
{
    storeMap(2, QStringLiteral("keepme"));
    const QMap<QString, QString> before = profileKeys(t->platform);
    t->platform.clearCalls();
    t->platform.answerMessageBox(AnswerNo);

    organise([&](pfrForm &dialog) {
        dialog.List1->setCurrentRow(1);
        dialog.Delbtn->click();
        QCOMPARE(entries(dialog).at(1), QStringLiteral("keepme"));
        QVERIFY(dialog.List1->item(1)->isSelected());
    });

    QCOMPARE(t->platform.messages(), QStringList{question("keepme")});
    QCOMPARE(t->platform.callsStartingWith(QStringLiteral("writeSetting")), QStringList());
    QCOMPARE(profileKeys(t->platform), before);
}

void OrganiseProfilesTest::questionText_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "q3dm17";
    QTest::newRow("ampersand") << "R&D";
    QTest::newRow("quotes") << "say \"hi\"";
    QTest::newRow("blanks") << " dm1  ";
}

void OrganiseProfilesTest::questionText()
{
    QFETCH(QString, name);
    storeMap(4, name);
    t->platform.clearCalls();
    t->platform.answerMessageBox(AnswerNo);
    organise([&](pfrForm &dialog) {
        QCOMPARE(dialog.List1->item(3)->text(), name);
        dialog.List1->setCurrentRow(3);
        dialog.Delbtn->click();
    });
    QCOMPARE(t->platform.messages(), QStringList{question(name)});
}

void OrganiseProfilesTest::entryIsEmptyOnlyWithItsOwnDefaultName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("deletable");
    QTest::newRow("own default") << "Profile 3" << false;
    QTest::newRow("longer") << "Profile 3x" << true;
    QTest::newRow("plural") << "Profiles" << true;
    QTest::newRow("prefix only") << "Profile" << true;
    QTest::newRow("another slot's default") << "Profile 2" << true;
    QTest::newRow("trailing blank") << "Profile 3 " << true;
    QTest::newRow("lower case") << "profile 3" << true;
}

void OrganiseProfilesTest::entryIsEmptyOnlyWithItsOwnDefaultName()
{
    QFETCH(QString, name);
    QFETCH(bool, deletable);
    storeMap(3, name);
    t->platform.clearCalls();
    if (deletable)
        t->platform.answerMessageBox(AnswerYes);

    organise([&](pfrForm &dialog) {
        dialog.List1->setCurrentRow(2);
        dialog.Delbtn->click();
        QCOMPARE(dialog.List1->item(2)->text(), deletable ? QStringLiteral("Profile 3") : name);
    });

    QCOMPARE(t->platform.messages(), QStringList{deletable ? question(name) : emptyMessage});
    QCOMPARE(readSlotName(t->form->store(), 3), QStringLiteral("Profile 3"));
    QCOMPARE(profileKeys(t->platform).value(QStringLiteral("Prf3BSPP")), deletable ? QString() : "/p/" + name + "3");
}

void OrganiseProfilesTest::listShowsStoreNotMenuCaptions()
{
    storeMap(1, QStringLiteral("one"));
    t->form->mapprofiles_Click();
    storeMap(5, QStringLiteral("five"));
    organise([&](pfrForm &dialog) {
        QCOMPARE(entries(dialog), (QStringList{"one", "Profile 2", "Profile 3", "Profile 4", "five"}));
    });
    QCOMPARE(t->form->prf5->text(), QStringLiteral("Profile 5"));
}

void OrganiseProfilesTest::unwritableStoreKeepsTheName()
{
    storeMap(1, QStringLiteral("stuck"));
    t->platform.failSettingsWrites = true;
    t->platform.clearCalls();
    t->platform.answerMessageBox(AnswerYes);
    organise([&](pfrForm &dialog) {
        dialog.List1->setCurrentRow(0);
        dialog.Delbtn->click();
        QCOMPARE(dialog.List1->item(0)->text(), QStringLiteral("stuck"));
    });
    const QStringList shown = t->platform.messages();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0), question("stuck"));
    QVERIFY(shown.at(1).contains(QLatin1String("could not be saved")));
}

void OrganiseProfilesTest::layoutAndNames()
{
    pfrForm dialog(t->form->store(), t->platform, t->form.get());
    QCOMPARE(dialog.objectName(), QStringLiteral("pfrForm"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Organise Profiles..."));
    QCOMPARE(dialog.size(), QSize(twips(2640), twips(1755)));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.List1->geometry(), twipsRect(120, 105, 2325, 1035));
    QCOMPARE(dialog.Delbtn->geometry(), twipsRect(120, 1290, 1092, 372));
    QCOMPARE(dialog.Done->geometry(), twipsRect(1290, 1290, 1212, 372));
    QCOMPARE(dialog.List1->objectName(), QStringLiteral("List1"));
    QCOMPARE(dialog.Delbtn->objectName(), QStringLiteral("Delbtn"));
    QCOMPARE(dialog.Done->objectName(), QStringLiteral("Done"));
    QCOMPARE(dialog.Delbtn->text(), QStringLiteral("D&elete"));
    QCOMPARE(dialog.Done->text(), QStringLiteral("&Done"));
    QCOMPARE(dialog.List1->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(!dialog.List1->isSortingEnabled());
    QVERIFY(!dialog.List1->accessibleName().isEmpty());
    QCOMPARE(dialog.Delbtn->accessibleName(), QStringLiteral("Delete"));
    QCOMPARE(dialog.Done->accessibleName(), QStringLiteral("Done"));
    QCOMPARE(nextTabStop(dialog.List1), static_cast<QWidget *>(dialog.Delbtn));
    QCOMPARE(nextTabStop(dialog.Delbtn), static_cast<QWidget *>(dialog.Done));
}

void OrganiseProfilesTest::realModalClosesByDoneAndByEscape()
{
    storeMap(2, QStringLiteral("dm2"));
    t->platform.clearCalls();
    QStringList seen;
    auto closeWhenShown = [&](const std::function<void(pfrForm &)> &close) {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [&, timer, close] {
            if (auto *dialog = qobject_cast<pfrForm *>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                seen << entries(*dialog).join(QLatin1Char(','));
                close(*dialog);
            }
        });
        timer->start(20);
    };

    {
        pfrForm dialog(t->form->store(), t->platform, t->form.get());
        closeWhenShown([](pfrForm &shown) { shown.Done->click(); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    }
    {
        pfrForm dialog(t->form->store(), t->platform, t->form.get());
        closeWhenShown([](pfrForm &shown) { QTest::keyClick(&shown, Qt::Key_Escape); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    }
    {
        pfrForm dialog(t->form->store(), t->platform, t->form.get());
        closeWhenShown([](pfrForm &shown) { shown.close(); });
        dialog.exec();
        QVERIFY(!dialog.isVisible());
    }
    QCOMPARE(seen, QStringList(3, QStringLiteral("Profile 1,dm2,Profile 3,Profile 4,Profile 5")));
    QCOMPARE(t->platform.callsStartingWith(QStringLiteral("writeSetting")), QStringList());
    QCOMPARE(t->platform.messages(), QStringList());
}

QTEST_MAIN(OrganiseProfilesTest)
#include "tst_organiseprofiles.moc"
