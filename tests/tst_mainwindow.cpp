#include "support/TestForm.h"

#include "packaging/CmpOptions.h"
#include "platform/ProcessWait.h"
#include "profiles/pfrForm.h"
#include "widgets/CaptionFit.h"
#include "package/ExtraFilesTree.h"
#include "widgets/Tag.h"
#include "widgets/Twips.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTreeWidget>
#include <QtTest>

using namespace corvane;

namespace {

QStringList rootTexts(const QTreeWidget *tree)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0) + QLatin1Char('=') + nodeKey(tree->topLevelItem(i))
                + QLatin1Char('/') + QString::number(tree->topLevelItem(i)->childCount());
    return texts;
}

const QStringList twoRoots{QStringLiteral("Textures=Textures/0"), QStringLiteral("Sounds=Sounds/0")};

QString captionOf(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
        return frame->title();
    if (const auto *box = qobject_cast<const QLineEdit *>(widget))
        return box->text();
    return QString();
}

QList<QLineEdit *> slotsOf(Form1 &f)
{
    return {f.ReadmeFile, f.Levelshot, f.BSP, f.AAS, f.ArenaFile, f.Shader1, f.Shader2};
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void startupWithEmptyStore();
    void startupWithStoredValue_data();
    void startupWithStoredValue();
    void laterActivationsRepeatNothing();

    void clearEmptiesOnlyTheDescription_data();
    void clearEmptiesOnlyTheDescription();
    void typedBlankBecomesUnderscore();
    void pastedTextKeepsBlanks();
    void createFromMenuAndEnterMatchesButton_data();
    void createFromMenuAndEnterMatchesButton();
    void enterOnAnotherButtonPressesThatOne();
    void exitClosesWithoutWriting();

    void captionsAndNames_data();
    void captionsAndNames();
    void rowLabelsAreBuddies_data();
    void rowLabelsAreBuddies();
    void menus();
    void geometryFollowsTwips_data();
    void geometryFollowsTwips();
    void windowIsFixedAndUndecorated();
    void fonts();
    void noCaptionIsClipped();
    void everyDialogShowsItsCaptions_data();
    void everyDialogShowsItsCaptions();

    void noticeShowsThreeLinesOverTheTree();
    void treeButtonsAreDeadAndOutOfTabChain();
};

void MainWindowTest::cleanup()
{
    QTRY_VERIFY(!QApplication::activeModalWidget());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible() || qobject_cast<QMenu *>(window), qPrintable(window->objectName()));
}

void MainWindowTest::startupWithEmptyStore()
{
    TestForm t;
    Form1 &f = *t.form;
    QCOMPARE(f.TreeView1->topLevelItemCount(), 0);
    QCOMPARE(tagOf(f.file), QString());
    t.activate();
    QCOMPARE(tagOf(f.file), QStringLiteral("1"));
    QCOMPARE(rootTexts(f.TreeView1), twoRoots);
    QVERIFY(f.chkAutosave->isChecked());
    QVERIFY(f.ReadmePK3->isChecked());
    QVERIFY(f.SaveLocation->text().isEmpty());
    QVERIFY(f.cOption2->isChecked());
    QVERIFY(!f.cOption1->isChecked());
    QVERIFY(f.ShortName->text().isEmpty());
    QVERIFY(t.platform.messages().isEmpty());
    QVERIFY(t.platform.callsStartingWith(QStringLiteral("writeSetting")).isEmpty());
}

void MainWindowTest::startupWithStoredValue_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("checked");

    QTest::newRow("autosave 0") << "chkSaveStatus" << "0" << "chkAutosave" << false;
    QTest::newRow("autosave empty") << "chkSaveStatus" << "" << "chkAutosave" << false;
    QTest::newRow("autosave yes") << "chkSaveStatus" << "yes" << "chkAutosave" << false;
    QTest::newRow("autosave 1") << "chkSaveStatus" << "1" << "chkAutosave" << true;
    QTest::newRow("readme 0") << "chkReadmeStatus" << "0" << "ReadmePK3" << false;
    QTest::newRow("readme empty") << "chkReadmeStatus" << "" << "ReadmePK3" << false;
    QTest::newRow("readme yes") << "chkReadmeStatus" << "yes" << "ReadmePK3" << false;
    QTest::newRow("readme 1") << "chkReadmeStatus" << "1" << "ReadmePK3" << true;
    QTest::newRow("form PK3") << "PK3orZIP" << "PK3" << "cOption1" << true;
    QTest::newRow("form empty") << "PK3orZIP" << "" << "cOption1" << true;
    QTest::newRow("form zip") << "PK3orZIP" << "zip" << "cOption1" << true;
    QTest::newRow("form Zip") << "PK3orZIP" << "Zip" << "cOption1" << true;
    QTest::newRow("form ZIP") << "PK3orZIP" << "ZIP" << "cOption2" << true;
}

void MainWindowTest::startupWithStoredValue()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, control);
    QFETCH(bool, checked);

    TestForm t;
    QVERIFY(t.platform.writeSetting(QStringLiteral("Settings"), key, stored));
    QVERIFY(t.platform.writeSetting(QStringLiteral("Settings"), QStringLiteral("SaveLocation"),
                                    QStringLiteral(" /home/me/maps/ ")));
    t.activate();
    auto *button = t.form->findChild<QAbstractButton *>(control);
    QVERIFY(button);
    QCOMPARE(button->isChecked(), checked);
    QVERIFY(t.form->cOption1->isChecked() != t.form->cOption2->isChecked());
    QCOMPARE(t.form->SaveLocation->text(), QStringLiteral(" /home/me/maps/ "));
    QCOMPARE(rootTexts(t.form->TreeView1), twoRoots);
}

void MainWindowTest::laterActivationsRepeatNothing()
{
    TestForm t;
    Form1 &f = *t.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(rootTexts(f.TreeView1), twoRoots); // showing runs start-up
    const int reads = t.platform.callsStartingWith(QStringLiteral("readSetting")).size();
    QCOMPARE(reads, 4);

    f.cOption1->setChecked(true);
    f.chkAutosave->setChecked(false);
    f.ReadmePK3->setChecked(false);
    f.SaveLocation->setText(QStringLiteral("/elsewhere/"));

    bool shown = false;
    t.platform.answerModal([&](QDialog &dialog) {
        shown = dialog.objectName() == QLatin1String("Aboutbox");
        if (auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("label7")))
            ok->click();
    });
    f.About->trigger();
    QVERIFY(shown);
    f.activateWindow();
    QApplication::processEvents();
    f.Form_Activate();

    QCOMPARE(rootTexts(f.TreeView1), twoRoots);
    QVERIFY(f.cOption1->isChecked());
    QVERIFY(!f.chkAutosave->isChecked());
    QVERIFY(!f.ReadmePK3->isChecked());
    QCOMPARE(f.SaveLocation->text(), QStringLiteral("/elsewhere/"));
    QCOMPARE(t.platform.callsStartingWith(QStringLiteral("readSetting")).size(), reads);
    f.close();
}

void MainWindowTest::clearEmptiesOnlyTheDescription_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("button") << false;
    QTest::newRow("menu") << true;
}

void MainWindowTest::clearEmptiesOnlyTheDescription()
{
    QFETCH(bool, fromMenu);
    TestForm t;
    t.activate();
    Form1 &f = *t.form;
    f.ShortName->setText(QStringLiteral("dm_test"));
    for (QLineEdit *slot : slotsOf(f))
        TestForm::fill(slot, slot->objectName() + QStringLiteral(".x"), QStringLiteral("/maps/") + slot->objectName());
    f.SaveLocation->setText(QStringLiteral("/out/"));
    f.cOption1->setChecked(true);
    f.chkAutosave->setChecked(false);
    f.ReadmePK3->setChecked(false);
    f.cursize->setText(QStringLiteral("1.5 MB"));
    f.zipsize->setText(QStringLiteral("0.7 MB"));
    f.downloadtime->setText(QStringLiteral("3 mins at 33.6"));
    setTag(f.CreateButton, QStringLiteral("2"));
    t.platform.clearCalls();

    if (fromMenu)
        f.Clear->trigger();
    else
        QTest::mouseClick(f.ClearButton, Qt::LeftButton);

    QVERIFY(f.ShortName->text().isEmpty());
    for (QLineEdit *slot : slotsOf(f)) {
        QVERIFY2(slot->text().isEmpty(), qPrintable(slot->objectName()));
        QVERIFY2(tagOf(slot).isEmpty(), qPrintable(slot->objectName()));
    }
    QCOMPARE(f.SaveLocation->text(), QStringLiteral("/out/"));
    QVERIFY(f.cOption1->isChecked());
    QVERIFY(!f.cOption2->isChecked());
    QVERIFY(!f.chkAutosave->isChecked());
    QVERIFY(!f.ReadmePK3->isChecked());
    QCOMPARE(f.cursize->text(), QStringLiteral("1.5 MB"));
    QCOMPARE(f.zipsize->text(), QStringLiteral("0.7 MB"));
    QCOMPARE(f.downloadtime->text(), QStringLiteral("3 mins at 33.6"));
    QCOMPARE(tagOf(f.CreateButton), QStringLiteral("2"));
    QCOMPARE(rootTexts(f.TreeView1), twoRoots);
    QCOMPARE(t.platform.calls(), QStringList()); // no store, no message
}

void MainWindowTest::typedBlankBecomesUnderscore()
{
    TestForm t;
    t.activate();
    QTest::keyClicks(t.form->ShortName, QStringLiteral("my map  x"));
    QCOMPARE(t.form->ShortName->text(), QStringLiteral("my_map__x"));
    QCOMPARE(Form1::ShortName_KeyPress(32), 95);
    QCOMPARE(Form1::ShortName_KeyPress('a'), int('a'));
    QCOMPARE(Form1::ShortName_KeyPress(95), 95);
    QCOMPARE(Form1::ShortName_KeyPress(9), 9);
}

void MainWindowTest::pastedTextKeepsBlanks()
{
    TestForm t;
    t.activate();
    QLineEdit *name = t.form->ShortName;
    name->insert(QStringLiteral("a b"));
    QCOMPARE(name->text(), QStringLiteral("a b"));

    name->clear();
    QApplication::clipboard()->setText(QStringLiteral("big map"));
    name->paste();
    QCOMPARE(name->text(), QStringLiteral("big map"));

    name->clear();
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(name->text(), QStringLiteral("big map"));
    QTest::keyClick(name, Qt::Key_Space);
    QCOMPARE(name->text(), QStringLiteral("big map_"));
}

void MainWindowTest::createFromMenuAndEnterMatchesButton_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("menu") << "menu";
    QTest::newRow("enter in short name") << "enter";
    QTest::newRow("keypad enter in a slot") << "keypad";
}

void MainWindowTest::createFromMenuAndEnterMatchesButton()
{
    QFETCH(QString, how);
    TestForm byButton;
    byButton.activate();
    byButton.platform.clearCalls();
    QTest::mouseClick(byButton.form->CreateButton, Qt::LeftButton);
    const QStringList expected = byButton.platform.calls();
    QCOMPARE(byButton.platform.messages().size(), 1);
    QVERIFY2(byButton.platform.messages().first().endsWith(QLatin1String("|Please enter a Map Shortname.")),
             qPrintable(byButton.platform.messages().first()));

    TestForm other;
    other.activate();
    other.platform.clearCalls();
    if (how == QLatin1String("menu"))
        other.form->Compile->trigger();
    else if (how == QLatin1String("enter"))
        QTest::keyClick(other.form->ShortName, Qt::Key_Return);
    else
        QTest::keyClick(other.form->BSP, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(other.platform.calls(), expected);
}

void MainWindowTest::enterOnAnotherButtonPressesThatOne()
{
    TestForm t;
    t.form->show();
    t.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t.form.get()));
    t.form->ShortName->setText(QStringLiteral("dm_x"));
    t.form->ClearButton->setFocus();
    t.platform.clearCalls();
    QTest::keyClick(t.form->ClearButton, Qt::Key_Return);
    QVERIFY(t.form->ShortName->text().isEmpty());
    QVERIFY(t.platform.messages().isEmpty());
    t.form->close();
}

void MainWindowTest::exitClosesWithoutWriting()
{
    TestForm t;
    t.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.form.get()));
    t.platform.clearCalls();
    t.form->Exit->trigger();
    QVERIFY(!t.form->isVisible());
    QCOMPARE(t.platform.calls(), QStringList());
}

void MainWindowTest::captionsAndNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("accessible");

    auto row = [](const char *name, const char *caption, const char *accessible = nullptr) {
        QTest::newRow(name) << name << caption << QString::fromLatin1(accessible ? accessible : caption);
    };
    row("Label6", "Map shortname:");
    row("ShortName", "", "Map shortname:");
    row("chkAutosave", "Autosave Map Profile");
    row("Frame1", "Main Files");
    row("Frame3", "File Sizes");
    row("Frame4", "Textures and Sounds");
    row("Frame2", "Compile Options");
    row("ClearButton", "Clear");
    row("CreateButton", "Create");
    row("Label1", "Readme file:");
    row("Label2", "Levelshot:");
    row("Label3", "BSP File:");
    row("Label4", "AAS file:");
    row("Label5", "Arena File:");
    row("Label13", "Shaders:");
    row("ReadmeFile", "", "Readme file:");
    row("Levelshot", "", "Levelshot:");
    row("BSP", "", "BSP File:");
    row("AAS", "", "AAS file:");
    row("ArenaFile", "", "Arena File:");
    row("Shader1", "", "Shaders:");
    row("Label7", "Total Size:");
    row("cursize", "[value] MB", "[value] MB");
    row("Label8", "Compressed Size:");
    row("zipsize", "[value] MB", "[value] MB");
    row("Label11", "Download time:");
    row("downloadtime", "[value] mins at 33.6", "[value] mins at 33.6");
    row("btnEstimate", "Estimate...");
    row("Command10", "Add Folder");
    row("Command11", "Add Files");
    row("Command9", "Delete");
    row("cOption1", "Create as a .pk3 file");
    row("cOption2", "Create as a .pk3 in a .zip file");
    row("ReadmePK3", "Readme in PK3");
    row("Label16", "Compile in:");
    row("SaveLocation", "", "Compile in:");
    for (const char *pick : {"Command3", "Command4", "Command5", "Command6", "Command7", "Command12", "Command13", "Command8"})
        QTest::newRow(pick) << pick << "..." << QString();
}

void MainWindowTest::captionsAndNames()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, accessible);
    TestForm t;
    t.activate();
    const auto found = t.form->findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QWidget *control = found.first();
    QCOMPARE(captionOf(control), caption);
    // What a screen reader is told, not only the property.
    QAccessibleInterface *reported = QAccessible::queryAccessibleInterface(control);
    QVERIFY(reported);
    const QString reportedName = reported->text(QAccessible::Name);
    if (accessible.isEmpty())
        QVERIFY(!reportedName.isEmpty());
    else if (!qobject_cast<QLabel *>(control) || control->accessibleName().size() || accessible == caption)
        QCOMPARE(reportedName, accessible);
}

void MainWindowTest::rowLabelsAreBuddies_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("box");
    QTest::newRow("Label6") << "Label6" << "ShortName";
    QTest::newRow("Label1") << "Label1" << "ReadmeFile";
    QTest::newRow("Label2") << "Label2" << "Levelshot";
    QTest::newRow("Label3") << "Label3" << "BSP";
    QTest::newRow("Label4") << "Label4" << "AAS";
    QTest::newRow("Label5") << "Label5" << "ArenaFile";
    QTest::newRow("Label13") << "Label13" << "Shader1";
    QTest::newRow("Label16") << "Label16" << "SaveLocation";
}

void MainWindowTest::rowLabelsAreBuddies()
{
    QFETCH(QString, label);
    QFETCH(QString, box);
    TestForm t;
    auto *text = t.form->findChild<QLabel *>(label);
    QVERIFY(text);
    QVERIFY(text->buddy());
    QCOMPARE(text->buddy()->objectName(), box);
}

void MainWindowTest::menus()
{
    TestForm t;
    Form1 &f = *t.form;
    QStringList bar;
    for (QAction *top : f.menuBar()->actions())
        bar << top->menu()->objectName() + QLatin1Char(':') + top->text();
    QCOMPARE(bar, (QStringList{"file:&File", "mapprofiles:&Profiles", "Help:&Help"}));

    auto entries = [](QMenu *menu) {
        QStringList list;
        for (QAction *item : menu->actions()) {
            list << item->objectName() + QLatin1Char(':') + (item->isSeparator() ? QStringLiteral("-") : item->text());
            if (!item->shortcut().isEmpty())
                list << QStringLiteral("SHORTCUT ") + item->shortcut().toString();
        }
        return list;
    };
    QCOMPARE(entries(f.file), (QStringList{"Clear:&Clear", "Compile:C&reate", "Line1:-", "Exit:&Exit"}));
    QCOMPARE(entries(f.mapprofiles),
             (QStringList{"prfAdd:&Save Map Profile", "prfOrg:&Organise Profiles", "spacer0:-", "prf1:Profile 1",
                          "prf2:Profile 2", "prf3:Profile 3", "prf4:Profile 4", "prf5:Profile 5"}));
    QCOMPARE(entries(f.Help), (QStringList{"morehelp:H&elp", "Webhelp:&Online...", "Line2:-", "About:&About"}));
}

void MainWindowTest::geometryFollowsTwips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("design"); // twips; a height of 0 is not checked

    QTest::newRow("ShortName") << "ShortName" << QRect(1320, 120, 2055, 285);
    QTest::newRow("Frame1") << "Frame1" << QRect(120, 480, 3852, 2775);
    QTest::newRow("Frame3") << "Frame3" << QRect(4080, 480, 1692, 2775);
    QTest::newRow("Frame4") << "Frame4" << QRect(120, 3360, 3852, 3135);
    QTest::newRow("Frame2") << "Frame2" << QRect(4080, 3360, 1692, 2175);
    QTest::newRow("ClearButton") << "ClearButton" << QRect(4080, 5640, 1692, 372);
    QTest::newRow("CreateButton") << "CreateButton" << QRect(4080, 6120, 1692, 372);
    QTest::newRow("ReadmeFile") << "ReadmeFile" << QRect(1200, 240, 2052, 288);
    QTest::newRow("Shader2") << "Shader2" << QRect(1200, 2400, 2052, 288);
    QTest::newRow("TreeView1") << "TreeView1" << QRect(120, 240, 3615, 2415);
    QTest::newRow("Text3") << "Text3" << QRect(240, 1200, 3375, 0);
    QTest::newRow("Command10") << "Command10" << QRect(240, 2760, 1095, 255);
    QTest::newRow("Command11") << "Command11" << QRect(1440, 2760, 1095, 255);
    QTest::newRow("Command9") << "Command9" << QRect(2640, 2760, 1095, 255);
    QTest::newRow("btnEstimate") << "btnEstimate" << QRect(120, 1800, 1455, 255);
    QTest::newRow("cursize") << "cursize" << QRect(120, 480, 1365, 0);
    QTest::newRow("downloadtime") << "downloadtime" << QRect(0, 1440, 1575, 0);
    QTest::newRow("SaveLocation") << "SaveLocation" << QRect(120, 1800, 1095, 288);
    QTest::newRow("Command8") << "Command8" << QRect(1320, 1800, 255, 288);
}

void MainWindowTest::geometryFollowsTwips()
{
    QFETCH(QString, name);
    QFETCH(QRect, design);
    TestForm t;
    auto *control = t.form->findChild<QWidget *>(name);
    QVERIFY(control);
    const QRect expected = twipsRect(design.x(), design.y(), design.width(), design.height());
    QCOMPARE(control->pos(), expected.topLeft());
    QCOMPARE(control->width(), expected.width());
    if (design.height())
        QCOMPARE(control->height(), expected.height());
}

void MainWindowTest::windowIsFixedAndUndecorated()
{
    TestForm t;
    Form1 &f = *t.form;
    QCOMPARE(f.windowTitle(), QStringLiteral("Corvane For Quake 3 - Version: 0.9"));
    QCOMPARE(f.centralWidget()->size(), QSize(twips(5865), twips(6555)));
    QCOMPARE(QSize(twips(5865), twips(6555)), QSize(391, 437));
    QCOMPARE(f.minimumSize(), f.maximumSize());
    QVERIFY(!f.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!f.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(f.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!f.windowIcon().isNull());
    QCOMPARE(QImage(QStringLiteral(":/corvane/icon.png")).size(), QSize(32, 32));
    QVERIFY(f.CreateButton->isDefault());
    QVERIFY(!f.ClearButton->isDefault());
}

void MainWindowTest::fonts()
{
    TestForm t;
    Form1 &f = *t.form;
    for (QGroupBox *frame : {f.Frame1, f.Frame2, f.Frame3, f.Frame4}) {
        QVERIFY(frame->font().bold());
        QCOMPARE(frame->font().pointSizeF(), 8.25);
    }
    QVERIFY(f.CreateButton->font().bold());
    for (QWidget *regular : std::initializer_list<QWidget *>{f.Label6, f.ShortName, f.chkAutosave, f.ClearButton, f.Label1,
                                                             f.BSP, f.Label7, f.cursize, f.btnEstimate, f.cOption1,
                                                             f.ReadmePK3, f.SaveLocation, f.Command10}) {
        QVERIFY2(!regular->font().bold(), qPrintable(regular->objectName()));
        QCOMPARE(regular->font().pointSizeF(), 8.25);
    }
    QCOMPARE(f.Text3->font().pointSizeF(), 9.75);
    QVERIFY(!f.Text3->font().bold());
}

void MainWindowTest::noCaptionIsClipped()
{
    TestForm t;
    t.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.form.get()));
    for (QWidget *control : t.form->centralWidget()->findChildren<QWidget *>())
        QVERIFY2(captionFits(control), qPrintable(control->objectName() + QStringLiteral(": ") + captionOf(control)));
    // Both option captions take two lines in the narrow frame.
    for (QRadioButton *option : {t.form->cOption1, t.form->cOption2}) {
        const int line = option->fontMetrics().height();
        QCOMPARE(option->heightForWidth(option->width()) / line, 2);
    }
    // Every caption lies inside its frame.
    for (QGroupBox *frame : {t.form->Frame1, t.form->Frame2, t.form->Frame3, t.form->Frame4}) {
        for (QWidget *child : frame->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            QVERIFY2(frame->rect().contains(child->geometry()), qPrintable(child->objectName()));
    }
    t.form->close();
}

void MainWindowTest::everyDialogShowsItsCaptions_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("Compression Options") << "CmpOptions";
    QTest::newRow("Organise Profiles") << "pfrForm";
    QTest::newRow("progress window") << "progress";
}

// Each push button's caption within the style's contents rectangle, each
// other caption within its control, in the font the system gives.
void MainWindowTest::everyDialogShowsItsCaptions()
{
    QFETCH(QString, window);
    TestForm t;
    std::unique_ptr<QWidget> dialog;
    if (window == "CmpOptions")
        dialog = std::make_unique<CmpOptions>(t.form->CreateButton);
    else if (window == "pfrForm")
        dialog = std::make_unique<pfrForm>(t.form->store(), t.platform);
    else
        dialog = progressWindow("Waiting for the archiver to finish ctf_\u00d6sterreich_remix.pk3...", nullptr);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    int checked = 0;
    for (QWidget *control : dialog->findChildren<QWidget *>()) {
        if (!qobject_cast<QAbstractButton *>(control) && !qobject_cast<QLabel *>(control))
            continue;
        QVERIFY2(captionFits(control), qPrintable(control->objectName() + ": " + captionOf(control)));
        QVERIFY2(dialog->rect().contains(control->mapTo(dialog.get(), control->rect().bottomRight())),
                 qPrintable(control->objectName()));
        ++checked;
    }
    QVERIFY(checked >= 2);
    dialog->close();
}

void MainWindowTest::noticeShowsThreeLinesOverTheTree()
{
    TestForm t;
    Form1 &f = *t.form;
    QCOMPARE(unavailableNotice(), QStringLiteral("Sorry, this feature is not \r\navailable in this\r\nversion.\r\n"));
    QCOMPARE(f.Text3->toPlainText(), QStringLiteral("Sorry, this feature is not \navailable in this\nversion.\n"));
    QVERIFY(!f.Text3->isEnabled());
    QVERIFY(f.Text3->isReadOnly());
    QCOMPARE(f.Text3->focusPolicy(), Qt::NoFocus);

    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(f.TreeView1->geometry().contains(f.Text3->geometry()));
    QWidget *top = f.Frame4->childAt(f.Text3->geometry().center());
    QVERIFY(top == f.Text3 || f.Text3->isAncestorOf(top));
    // All three lines show whole.
    const QTextBlock last = f.Text3->document()->findBlockByNumber(2);
    QCOMPARE(last.text(), QStringLiteral("version."));
    QTextCursor end(last);
    end.movePosition(QTextCursor::EndOfBlock);
    QVERIFY2(f.Text3->cursorRect(end).bottom() < f.Text3->viewport()->height(),
             qPrintable(QStringLiteral("%1 in %2").arg(f.Text3->cursorRect(end).bottom()).arg(f.Text3->viewport()->height())));
    QVERIFY(f.Text3->cursorRect(end).right() < f.Text3->viewport()->width());
    QTextCursor first(f.Text3->document()->firstBlock());
    first.movePosition(QTextCursor::EndOfBlock);
    QVERIFY(f.Text3->cursorRect(first).right() < f.Text3->viewport()->width());
    f.close();
}

void MainWindowTest::treeButtonsAreDeadAndOutOfTabChain()
{
    TestForm t;
    Form1 &f = *t.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    t.platform.clearCalls();
    for (QPushButton *button : {f.Command10, f.Command11, f.Command9}) {
        QVERIFY(!button->isEnabled());
        QSignalSpy clicks(button, &QPushButton::clicked);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks.count(), 0);
    }
    QCOMPARE(rootTexts(f.TreeView1), twoRoots);
    QCOMPARE(t.platform.calls(), QStringList());

    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.ShortName->setFocus();
    QSet<QWidget *> reached;
    for (int i = 0; i < 60; ++i) {
        reached << QApplication::focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QVERIFY(reached.contains(f.CreateButton));
    QVERIFY(reached.contains(f.TreeView1));
    for (QWidget *never : std::initializer_list<QWidget *>{f.Command10, f.Command11, f.Command9, f.Text3})
        QVERIFY2(!reached.contains(never), qPrintable(never->objectName()));
    f.close();
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
