#include "support/TestForm.h"

#include "package/PackageDescription.h"
#include "package/SlotPickers.h"
#include "platform/FileFilter.h"
#include "platform/OpenFileDialog.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvane;

namespace {

struct ButtonCase {
    QPushButton *button;
    QLineEdit *slot;
};

ButtonCase buttonCase(Form1 &form, const QString &buttonName)
{
    static const QMap<QString, QString> slotOf{
        {"Command3", "ReadmeFile"}, {"Command4", "Levelshot"}, {"Command5", "BSP"},      {"Command6", "AAS"},
        {"Command7", "ArenaFile"},  {"Command12", "Shader1"},  {"Command13", "Shader2"},
    };
    return {form.findChild<QPushButton *>(buttonName), form.findChild<QLineEdit *>(slotOf.value(buttonName))};
}

QStringList allSlots(Form1 &form)
{
    QStringList out;
    for (QLineEdit *slot : {form.ReadmeFile, form.Levelshot, form.BSP, form.AAS, form.ArenaFile, form.Shader1,
                            form.Shader2})
        out << slot->objectName() + '=' + slotText(slot) + '|' + slotPath(slot);
    return out;
}

// The names a real Qt file dialog lists in a folder under the given filter.
QStringList listedNames(const QString &folder, const QString &filter)
{
    QFileDialog dialog(nullptr);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    OpenFileRequest request;
    request.title = "t";
    request.filter = filter;
    request.flags = PickFlags;
    prepareOpenFileDialog(dialog, request);
    auto *model = dialog.findChild<QFileSystemModel *>();
    if (!model)
        return {"no model"};
    // The model reads the folder in the background. Matching ignores letter
    // case, as on Windows.
    QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
    dialog.setDirectory(folder);
    const QModelIndex root = model->index(folder);
    if (!QTest::qWaitFor([&] {
            for (const QList<QVariant> &signal : loaded)
                if (signal.value(0).toString() == folder)
                    return true;
            return false;
        }, 5000))
        return {"not loaded"};
    QStringList names;
    for (int row = 0; row < model->rowCount(root); ++row) {
        const QModelIndex index = model->index(row, 0, root);
        if (index.flags() & Qt::ItemIsEnabled)
            names << model->fileName(index);
    }
    names.sort();
    return names;
}

} // namespace

class TestPickers : public QObject {
    Q_OBJECT

private slots:
    void eachButtonPresetsItsDialog_data();
    void eachButtonPresetsItsDialog();
    void cancelEmptiesOrKeeps_data();
    void cancelEmptiesOrKeeps();
    void emptyShortNameProposesExtensionOnly();
    void shortNameKeepsItsBlanks();
    void letterCaseKept();
    void fileOfAnotherKindIsStored();
    void shaderButtonsWriteOnlyTheirOwnSlot();
    void successWithoutPathChangesNothingInconsistent();
    void qtFilterConversion_data();
    void qtFilterConversion();
    void qtDialogListsWhatTheFilterNames_data();
    void qtDialogListsWhatTheFilterNames();
};

void TestPickers::eachButtonPresetsItsDialog_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("expectedCall");
    QTest::newRow("Command3 readme") << "Command3"
                                     << "openFile Add Readme file|Readme Files (*.txt)|*.txt|4100|cancel=failure|q3dm99.txt";
    QTest::newRow("Command4 levelshot")
        << "Command4" << "openFile Add Levelshot|Levelshots (*.tga;*.jpg)|*.tga;*.jpg|4100|cancel=failure|q3dm99.jpg";
    QTest::newRow("Command5 BSP") << "Command5"
                                  << "openFile Add Map BSP File|Map BSP Files (*.bsp)|*.bsp|4100|cancel=failure|q3dm99.bsp";
    QTest::newRow("Command6 AAS")
        << "Command6" << "openFile Add Bot Support AAS File|Bot Suport AAS Files (*.aas)|*.aas|4100|cancel=failure|q3dm99.aas";
    QTest::newRow("Command7 arena")
        << "Command7" << "openFile Add .Arena File|Arena Entry Files (*.arena)|*.arena|4100|cancel=failure|q3dm99.arena";
    QTest::newRow("Command12 shader 1")
        << "Command12" << "openFile Add Shader file|Shader Files (*.shader)|*.shader|4100|cancel=failure|q3dm99.shader";
    QTest::newRow("Command13 shader 2")
        << "Command13" << "openFile Add Shader file|Shader Files (*.shader)|*.shader|4100|cancel=failure|q3dm99.shader";
}

void TestPickers::eachButtonPresetsItsDialog()
{
    QFETCH(QString, button);
    QFETCH(QString, expectedCall);
    TestForm t;
    t.activate();
    t.form->ShortName->setText("q3dm99");
    const ButtonCase c = buttonCase(*t.form, button);
    QVERIFY(c.button && c.slot);
    const QString chosen = t.platform.makeFile("maps/chosen.file", "x");
    t.platform.answerOpenFile(chosen);
    t.platform.clearCalls();
    c.button->click();
    QCOMPARE(t.platform.callsStartingWith("openFile "), QStringList{expectedCall});
    QCOMPARE(slotText(c.slot), QString("chosen.file"));
    QCOMPARE(slotPath(c.slot), chosen);
}

void TestPickers::cancelEmptiesOrKeeps_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("kept");
    QTest::newRow("Command3") << "Command3" << false;
    QTest::newRow("Command4 keeps the levelshot") << "Command4" << true;
    QTest::newRow("Command5") << "Command5" << false;
    QTest::newRow("Command6") << "Command6" << false;
    QTest::newRow("Command7") << "Command7" << false;
    QTest::newRow("Command12") << "Command12" << false;
    QTest::newRow("Command13") << "Command13" << false;
}

void TestPickers::cancelEmptiesOrKeeps()
{
    QFETCH(QString, button);
    QFETCH(bool, kept);
    TestForm t;
    t.activate();
    const ButtonCase c = buttonCase(*t.form, button);
    TestForm::fill(c.slot, "old.file", "/somewhere/old.file");
    t.platform.answerOpenFile(std::nullopt);
    c.button->click();
    QCOMPARE(slotText(c.slot), kept ? QString("old.file") : QString());
    QCOMPARE(slotPath(c.slot), kept ? QString("/somewhere/old.file") : QString());
    QVERIFY(t.platform.messages().isEmpty());
}

void TestPickers::emptyShortNameProposesExtensionOnly()
{
    TestForm t;
    t.activate();
    t.platform.answerOpenFile(std::nullopt);
    t.form->Command5->click();
    QVERIFY(t.platform.callsStartingWith("openFile ").constFirst().endsWith("|.bsp"));
}

void TestPickers::shortNameKeepsItsBlanks()
{
    TestForm t;
    t.activate();
    t.form->ShortName->setText(" q3 ");
    t.platform.answerOpenFile(std::nullopt);
    t.form->Command4->click();
    QVERIFY(t.platform.callsStartingWith("openFile ").constFirst().endsWith("| q3 .jpg"));
}

void TestPickers::letterCaseKept()
{
    TestForm t;
    t.activate();
    t.form->ShortName->setText("mymap");
    const QString chosen = t.platform.makeFile("maps/MyMap.BSP", "x");
    t.platform.answerOpenFile(chosen);
    t.form->Command5->click();
    QCOMPARE(slotText(t.form->BSP), QString("MyMap.BSP"));
    QCOMPARE(slotPath(t.form->BSP), chosen);
}

void TestPickers::fileOfAnotherKindIsStored()
{
    TestForm t;
    t.activate();
    const QString chosen = t.platform.makeFile("notes.txt", "x");
    t.platform.answerOpenFile(chosen);
    t.form->Command5->click();
    QCOMPARE(slotText(t.form->BSP), QString("notes.txt"));
    QCOMPARE(slotPath(t.form->BSP), chosen);
}

void TestPickers::shaderButtonsWriteOnlyTheirOwnSlot()
{
    TestForm t;
    t.activate();
    const QString first = t.platform.makeFile("scripts/a.shader", "x");
    const QString second = t.platform.makeFile("scripts/b.shader", "x");
    const QStringList before = allSlots(*t.form);

    t.platform.answerOpenFile(first);
    t.form->Command12->click();
    QStringList expected = before;
    expected[5] = "Shader1=a.shader|" + first;
    QCOMPARE(allSlots(*t.form), expected);

    t.platform.answerOpenFile(second);
    t.form->Command13->click();
    expected[6] = "Shader2=b.shader|" + second;
    QCOMPARE(allSlots(*t.form), expected);

    // Cancel on the second empties the second only.
    t.platform.answerOpenFile(std::nullopt);
    t.form->Command13->click();
    expected[6] = "Shader2=|";
    QCOMPARE(allSlots(*t.form), expected);
}

void TestPickers::successWithoutPathChangesNothingInconsistent()
{
    TestForm t;
    t.activate();
    TestForm::fill(t.form->BSP, "old.bsp", "/x/old.bsp");
    t.platform.answerOpenFile(QString());
    t.form->Command5->click();
    QCOMPARE(slotText(t.form->BSP), QString());
    QCOMPARE(slotPath(t.form->BSP), QString());

    TestForm::fill(t.form->Levelshot, "old.jpg", "/x/old.jpg");
    t.platform.answerOpenFile(QString());
    t.form->Command4->click();
    QCOMPARE(slotText(t.form->Levelshot), QString("old.jpg"));
    QCOMPARE(slotPath(t.form->Levelshot), QString("/x/old.jpg"));
}

void TestPickers::qtFilterConversion_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one pattern") << "Map BSP Files (*.bsp)|*.bsp" << "Map BSP Files (*.bsp) (*.bsp)";
    QTest::newRow("two patterns") << "Levelshots (*.tga;*.jpg)|*.tga;*.jpg" << "Levelshots (*.tga;*.jpg) (*.tga *.jpg)";
    QTest::newRow("blanks around patterns") << "Images| *.tga ; *.jpg " << "Images (*.tga *.jpg)";
    QTest::newRow("empty pattern skipped") << "Text|*.txt;" << "Text (*.txt)";
    QTest::newRow("no bar") << "*.txt" << "*.txt";
}

void TestPickers::qtFilterConversion()
{
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(toQtNameFilter(filter), expected);
}

void TestPickers::qtDialogListsWhatTheFilterNames_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("shownFilter");
    QTest::newRow("levelshots") << QString(LevelshotPick.filter) << QStringList{"E.JPG", "a.tga", "b.jpg"}
                                << "Levelshots (*.tga;*.jpg)";
    QTest::newRow("bsp") << QString(BspPick.filter) << QStringList{"c.bsp"} << "Map BSP Files (*.bsp)";
    QTest::newRow("shader") << QString(ShaderPick.filter) << QStringList{} << "Shader Files (*.shader)";
}

void TestPickers::qtDialogListsWhatTheFilterNames()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, listed);
    QFETCH(QString, shownFilter);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char *name : {"a.tga", "b.jpg", "c.bsp", "d.txt", "E.JPG"}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(listedNames(dir.path(), filter), listed);

    QFileDialog dialog(nullptr);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    OpenFileRequest request;
    request.filter = filter;
    prepareOpenFileDialog(dialog, request);
    auto *combo = dialog.findChild<QComboBox *>("fileTypeCombo");
    QVERIFY(combo);
    QCOMPARE(combo->currentText(), shownFilter);
}

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
