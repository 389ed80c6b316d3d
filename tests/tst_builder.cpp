// Create, step by step, on the scripted platform.
#include "TestForm.h"

#include "widgets/Tag.h"
#include "packaging/CmpOptions.h"
#include "profiles/ProfileRecord.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

using namespace corvane;

namespace {

const QString waitPrompt = "64|Corvane|Please press OK when the archiver has finished processing files.";
const QString success = "64|Corvane|The operation seems to have been a success.";
const QString failure = "48|Wexbridge|Sorry, there was an error creating the file. Please fill in the feedback "
                        "form at the address in the About box and we will try to help you.";

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Everything below the staging root, as relative paths.
QStringList stagingContents(const FakePlatform &platform)
{
    QStringList found;
    QDir root(platform.stagingRoot());
    if (!root.exists())
        return found;
    QDirIterator it(root.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << root.relativeFilePath(it.next());
    found.sort();
    return found;
}

void chooseLevel(QDialog &dialog, int position)
{
    auto &options = static_cast<CmpOptions &>(dialog);
    options.Slider1->setValue(position);
    options.Command1->click();
}

} // namespace

class BuilderTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestForm> t;
    Form1 *f = nullptr;
    QString out;

    // A complete description of q3dm99 with real files in the fake's folder.
    void fillAll()
    {
        f->ShortName->setText("q3dm99");
        out = t->platform.root() + "/out/";
        QDir().mkpath(out);
        f->SaveLocation->setText(out);
        const struct {
            QLineEdit *slot;
            const char *name;
        } files[] = {{f->Levelshot, "q3dm99.jpg"}, {f->AAS, "q3dm99.aas"}, {f->BSP, "q3dm99.bsp"},
                     {f->ReadmeFile, "q3dm99.txt"}, {f->ArenaFile, "q3dm99.arena"}, {f->Shader1, "q3dm99.shader"}};
        for (const auto &file : files) {
            const QString path = t->platform.makeFile(QString("src/") + file.name, QByteArray("data of ") + file.name);
            TestForm::fill(file.slot, file.name, path);
        }
    }
    QString src(const char *name) const { return t->platform.root() + "/src/" + name; }

private slots:
    void init()
    {
        t = std::make_unique<TestForm>();
        t->activate();
        f = t->form.get();
        f->chkAutosave->setChecked(false);
    }
    void cleanup()
    {
        QVERIFY2(t->platform.unexpected().isEmpty(), qPrintable(t->platform.unexpected().join("; ")));
        t.reset();
    }

    void zipFormRunsBothLinesInOrder();
    void stagedFilesAreInPlaceWhileTheArchiverRuns();
    void readmeLeftOutOfPackageIsStillStaged();
    void pk3FormEndsWithoutSuccessMessage();
    void onlyMissingFoldersAreCreatedAndRemoved();
    void slotsAreTrimmedInPlace();
    void compileMenuIsCreate();
    void noSecondBuildWhileOneRuns();
    void missingArchiverTakesTheFailurePath();
    void failingArchiverIsNotASuccess_data();
    void failingArchiverIsNotASuccess();
    void failingSecondArchiverIsNotASuccess();
    void forcedEndLeavesNoTemporaryFile();
    void existingStagedNameBlocksTheBuild_data();
    void existingStagedNameBlocksTheBuild();
    void twoSlotsWithOneNameBlockTheBuild();
    void emptyNeededSlotStopsTheBuild_data();
    void emptyNeededSlotStopsTheBuild();
    void readmeThatGoesNowhereIsNotNeeded();
    void vanishedSourceStopsTheBuild();
    void unsafeInputIsRefused_data();
    void unsafeInputIsRefused();
    void autosaveUsesTheStoredSlotNames_data();
    void autosaveUsesTheStoredSlotNames();
    void compressionDialog_data();
    void compressionDialog();
    void dirExists();
};

void BuilderTest::zipFormRunsBothLinesInOrder()
{
    fillAll();
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 2); });
    f->CreateButton_Click();

    QCOMPARE(t->platform.commandLines(),
             QStringList({"C:\\Tools\\Packager\\zip.exe -9 \"" + out + "q3dm99.pk3\" \"C:\\LEVELSHOTS\\q3dm99.jpg\" "
                          "\"C:\\MAPS\\q3dm99.aas\" \"C:\\MAPS\\q3dm99.bsp\" \"C:\\q3dm99.txt\" "
                          "\"C:\\scripts\\q3dm99.arena\" \"C:\\scripts\\q3dm99.shader\"",
                          "C:\\Tools\\Packager\\zip.exe -j  -9 \"" + out + "q3dm99.zip\" \"" + out + "q3dm99.pk3\" \""
                              + src("q3dm99.txt") + "\""}));
    QCOMPARE(t->platform.messages(), QStringList({waitPrompt, success}));

    // Copies in slot order; clean-up after the first archiver has ended.
    QStringList order;
    for (const QString &call : t->platform.calls()) {
        if (call.startsWith("copyFile") || call.startsWith("deleteFile") || call.startsWith("launch")
            || call.startsWith("waitForEnd") || call.startsWith("messageBox") || call.startsWith("makeFolder")
            || call.startsWith("removeEmptyFolder"))
            order << call.section(' ', 0, 0) + (call.startsWith("copyFile") ? " " + call.section(" -> ", 1)
                                                 : call.startsWith("deleteFile") || call.contains("Folder ")
                                                     ? " " + call.section(' ', 1) : QString());
    }
    QCOMPARE(order, QStringList({"makeFolder C:\\levelshots", "makeFolder C:\\maps", "makeFolder C:\\scripts",
                                 "copyFile C:\\LEVELSHOTS\\q3dm99.jpg", "copyFile C:\\MAPS\\q3dm99.aas",
                                 "copyFile C:\\MAPS\\q3dm99.bsp", "copyFile C:\\q3dm99.txt",
                                 "copyFile C:\\scripts\\q3dm99.arena", "copyFile C:\\scripts\\q3dm99.shader",
                                 "launch", "messageBox", "waitForEnd",
                                 "deleteFile C:\\LEVELSHOTS\\q3dm99.jpg", "deleteFile C:\\MAPS\\q3dm99.aas",
                                 "deleteFile C:\\MAPS\\q3dm99.bsp", "deleteFile C:\\q3dm99.txt",
                                 "deleteFile C:\\scripts\\q3dm99.arena", "deleteFile C:\\scripts\\q3dm99.shader",
                                 "removeEmptyFolder C:\\levelshots", "removeEmptyFolder C:\\scripts",
                                 "removeEmptyFolder C:\\maps", "launch", "waitForEnd", "messageBox"}));
    QCOMPARE(stagingContents(t->platform), QStringList());
    QCOMPARE(tagOf(f->CreateButton), QString("2"));
}

void BuilderTest::stagedFilesAreInPlaceWhileTheArchiverRuns()
{
    fillAll();
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    QStringList seen;
    t->platform.onLaunch = [&](const QString &) {
        if (seen.isEmpty())
            seen = stagingContents(t->platform);
    };
    f->CreateButton_Click();
    QCOMPARE(seen, QStringList({"levelshots", "levelshots/q3dm99.jpg", "maps", "maps/q3dm99.aas", "maps/q3dm99.bsp",
                                "q3dm99.txt", "scripts", "scripts/q3dm99.arena", "scripts/q3dm99.shader"}));
}

void BuilderTest::readmeLeftOutOfPackageIsStillStaged()
{
    fillAll();
    f->ReadmePK3->setChecked(false);
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    f->CreateButton_Click();
    const QStringList lines = t->platform.commandLines();
    QCOMPARE(lines.size(), 2);
    QVERIFY(!lines[0].contains("q3dm99.txt"));
    QVERIFY(lines[1].endsWith("\"" + src("q3dm99.txt") + "\""));
    QCOMPARE(t->platform.callsStartingWith("copyFile " + src("q3dm99.txt")).size(), 1);
    QCOMPARE(t->platform.callsStartingWith("deleteFile C:\\q3dm99.txt").size(), 1);
}

void BuilderTest::pk3FormEndsWithoutSuccessMessage()
{
    fillAll();
    f->cOption1->setChecked(true);
    f->Shader1->clear();
    setTag(f->Shader1, QString());
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 0); });
    f->CreateButton_Click();
    const QStringList lines = t->platform.commandLines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].endsWith(" -0 \"" + out + "q3dm99.pk3\" \"C:\\LEVELSHOTS\\q3dm99.jpg\" \"C:\\MAPS\\q3dm99.aas\" "
                               "\"C:\\MAPS\\q3dm99.bsp\" \"C:\\q3dm99.txt\" \"C:\\scripts\\q3dm99.arena\""),
             qPrintable(lines[0]));
    QCOMPARE(t->platform.messages(), QStringList{waitPrompt});
    QCOMPARE(t->platform.callsStartingWith("copyFile").size(), 5);
    QCOMPARE(t->platform.callsStartingWith("deleteFile").size(), 5);
}

void BuilderTest::onlyMissingFoldersAreCreatedAndRemoved()
{
    fillAll();
    QVERIFY(QDir().mkpath(t->platform.stagingRoot() + "/maps"));
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    f->CreateButton_Click();
    QCOMPARE(t->platform.callsStartingWith("makeFolder"),
             QStringList({"makeFolder C:\\levelshots", "makeFolder C:\\scripts"}));
    QCOMPARE(t->platform.callsStartingWith("removeEmptyFolder"),
             QStringList({"removeEmptyFolder C:\\levelshots", "removeEmptyFolder C:\\scripts"}));
    QCOMPARE(stagingContents(t->platform), QStringList{"maps"});
    QCOMPARE(t->platform.callsStartingWith("folderExists"),
             QStringList({"folderExists c:\\levelshots\\", "folderExists c:\\maps\\", "folderExists c:\\scripts\\"}));
}

void BuilderTest::slotsAreTrimmedInPlace()
{
    fillAll();
    TestForm::fill(f->BSP, " q3dm99.bsp ", "  " + src("q3dm99.bsp") + " ");
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    f->CreateButton_Click();
    QCOMPARE(f->BSP->text(), QString("q3dm99.bsp"));
    QCOMPARE(tagOf(f->BSP), src("q3dm99.bsp"));
    QCOMPARE(t->platform.callsStartingWith("copyFile " + src("q3dm99.bsp")),
             QStringList{"copyFile " + src("q3dm99.bsp") + " -> C:\\MAPS\\q3dm99.bsp"});
}

void BuilderTest::compileMenuIsCreate()
{
    fillAll();
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 2); });
    f->CreateButton->click();
    const QStringList byButton = t->platform.calls();

    init();
    fillAll();
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 2); });
    f->Compile->trigger();
    QStringList byMenu = t->platform.calls();
    // The fake's folder differs between the two runs; the calls do not.
    QCOMPARE(byMenu.size(), byButton.size());
    QCOMPARE(t->platform.messages(), QStringList({waitPrompt, success}));
}

// While the archiver runs, every route to Create is closed: the button and
// the menu entry are disabled, and the handler itself refuses.
void BuilderTest::noSecondBuildWhileOneRuns()
{
    fillAll();
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    bool disabled = true;
    t->platform.onLaunch = [&](const QString &) {
        disabled = disabled && !f->CreateButton->isEnabled() && !f->Compile->isEnabled();
        QAccessibleInterface *button = QAccessible::queryAccessibleInterface(f->CreateButton);
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        f->Compile->trigger();
        f->CreateButton_Click();
    };
    f->CreateButton_Click();
    QVERIFY(disabled);
    QCOMPARE(t->platform.callsStartingWith("showModal").size(), 1);
    QCOMPARE(t->platform.commandLines().size(), 2);
    QVERIFY(f->CreateButton->isEnabled());
    QVERIFY(f->Compile->isEnabled());
}

void BuilderTest::missingArchiverTakesTheFailurePath()
{
    fillAll();
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    t->platform.scriptLaunch({false, false, -1, "No such program"});
    f->CreateButton_Click();
    QCOMPARE(t->platform.messages(), QStringList{failure});
    QCOMPARE(t->platform.commandLines().size(), 1);
    QCOMPARE(t->platform.callsStartingWith("deleteFile").size(), 6);
    QCOMPARE(stagingContents(t->platform), QStringList());
    // The settings were stored all the same.
    QCOMPARE(t->platform.readSetting("Settings", "SaveLocation", "unset"), out);
}

void BuilderTest::failingArchiverIsNotASuccess_data()
{
    QTest::addColumn<bool>("normalExit");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("exit 18") << true << 18;
    QTest::newRow("crash") << false << 0;
}

void BuilderTest::failingArchiverIsNotASuccess()
{
    QFETCH(bool, normalExit);
    QFETCH(int, exitCode);
    fillAll();
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    t->platform.scriptLaunch({true, normalExit, exitCode, "zip warning: could not open for reading"});
    f->CreateButton_Click();
    QCOMPARE(t->platform.messages(), QStringList({waitPrompt, failure}));
    QCOMPARE(t->platform.commandLines().size(), 1);
    const QStringList details = t->platform.callsStartingWith("messageDetails");
    QCOMPARE(details.size(), 1);
    QVERIFY(details[0].contains("zip warning: could not open for reading"));
    QVERIFY(details[0].contains(normalExit ? "exit code 18" : "stopped before it had finished"));
    QCOMPARE(stagingContents(t->platform), QStringList());
}

void BuilderTest::failingSecondArchiverIsNotASuccess()
{
    fillAll();
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    t->platform.scriptLaunch({true, true, 0, QString()});
    t->platform.scriptLaunch({true, true, 15, "zip I/O error"});
    f->CreateButton_Click();
    QCOMPARE(t->platform.messages(), QStringList({waitPrompt, failure}));
}

void BuilderTest::forcedEndLeavesNoTemporaryFile()
{
    fillAll();
    // What zip.exe (task 4242) left when it was killed, beside one that is not
    // this run's and a file of the user's.
    t->platform.makeFile("out/q3dm99.pk3.zi4242.tmp", "half an archive");
    t->platform.makeFile("out/q3dm99.pk3.zi4243.tmp", "another run's");
    t->platform.makeFile("out/q3dm99.pk3.tmp", "the user's");
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    t->platform.scriptLaunch({true, false, 1, QString()});
    f->CreateButton_Click();
    QCOMPARE(t->platform.messages(), QStringList({waitPrompt, failure}));
    QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"q3dm99.pk3.tmp", "q3dm99.pk3.zi4243.tmp"}));
}

void BuilderTest::existingStagedNameBlocksTheBuild_data()
{
    QTest::addColumn<QString>("existing");
    QTest::newRow("user's BSP, other case") << "MAPS/Q3DM99.BSP";
    QTest::newRow("readme left at the root") << "q3dm99.txt";
    QTest::newRow("folder of the shader's name") << "scripts/q3dm99.shader/";
}

void BuilderTest::existingStagedNameBlocksTheBuild()
{
    QFETCH(QString, existing);
    fillAll();
    QString native = t->platform.stagingRoot() + "/" + existing;
    if (existing.endsWith('/'))
        QVERIFY(QDir().mkpath(native));
    else
        t->platform.makeFile("drive_c/" + existing, "the user's own file");
    const QStringList before = stagingContents(t->platform);
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    f->CreateButton_Click();

    const QStringList messages = t->platform.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("48|Corvane|The file \""), qPrintable(messages[0]));
    QVERIFY2(messages[0].contains(QDir::toNativeSeparators(QDir::cleanPath(native))), qPrintable(messages[0]));
    QCOMPARE(t->platform.callsStartingWith("copyFile"), QStringList());
    QCOMPARE(t->platform.commandLines(), QStringList());
    QCOMPARE(stagingContents(t->platform), before);
    if (!existing.endsWith('/'))
        QCOMPARE(contentOf(native), QByteArray("the user's own file"));
}

void BuilderTest::twoSlotsWithOneNameBlockTheBuild()
{
    fillAll();
    TestForm::fill(f->Shader2, "Q3DM99.shader", src("q3dm99.shader"));
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    f->CreateButton_Click();
    const QStringList messages = t->platform.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains("first Shader file and the second Shader file would both be staged"),
             qPrintable(messages[0]));
    QCOMPARE(t->platform.callsStartingWith("copyFile"), QStringList());
    QCOMPARE(t->platform.callsStartingWith("makeFolder"), QStringList());
}

void BuilderTest::emptyNeededSlotStopsTheBuild_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("needed");
    QTest::newRow("levelshot") << "Levelshot" << "The Levelshot slot is empty, so there is nothing to copy into the "
                                                 "package. Please select a Levelshot to add.";
    QTest::newRow("AAS") << "AAS" << "The AAS file slot is empty, so there is nothing to copy into the package. "
                                     "Please select an AAS file to add.";
    QTest::newRow("readme") << "ReadmeFile" << "The Readme file slot is empty, so there is nothing to copy into the "
                                               "package. Please select a Readme file to add.";
}

// Reported before anything is stored in a profile or asked.
void BuilderTest::emptyNeededSlotStopsTheBuild()
{
    QFETCH(QString, slot);
    QFETCH(QString, needed);
    fillAll();
    f->chkAutosave->setChecked(true);
    auto *box = f->findChild<QLineEdit *>(slot);
    QVERIFY(box);
    TestForm::fill(box, "  ", QString());
    f->CreateButton_Click();
    QCOMPARE(t->platform.messages(), QStringList{"48|Corvane|" + needed});
    QCOMPARE(t->platform.callsStartingWith("showModal"), QStringList());
    QCOMPARE(t->platform.callsStartingWith("writeSetting Profiles"), QStringList());
    QCOMPARE(t->platform.commandLines(), QStringList());
    QCOMPARE(stagingContents(t->platform), QStringList());
}

// A .pk3 alone without the readme inside has no place for it.
void BuilderTest::readmeThatGoesNowhereIsNotNeeded()
{
    fillAll();
    f->cOption1->setChecked(true);
    f->ReadmePK3->setChecked(false);
    TestForm::fill(f->ReadmeFile, QString(), QString());
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    f->CreateButton_Click();
    QCOMPARE(t->platform.messages(), QStringList{waitPrompt});
    QCOMPARE(t->platform.commandLines().size(), 1);
    QCOMPARE(t->platform.callsStartingWith("copyFile").size(), 5);
    QCOMPARE(t->platform.callsStartingWith("deleteFile C:\\").size(), 5);
}

void BuilderTest::vanishedSourceStopsTheBuild()
{
    fillAll();
    QVERIFY(QFile::remove(src("q3dm99.arena")));
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    f->CreateButton_Click();
    const QStringList messages = t->platform.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("48|Corvane|The Arena File \"" + src("q3dm99.arena") + "\" could not be copied"),
             qPrintable(messages[0]));
    QVERIFY(messages[0].endsWith("Nothing was packaged."));
    QCOMPARE(t->platform.commandLines(), QStringList());
    // The four copies made before it are gone again, and so are the folders.
    QCOMPARE(t->platform.callsStartingWith("deleteFile").size(), 4);
    QCOMPARE(stagingContents(t->platform), QStringList());
}

void BuilderTest::unsafeInputIsRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("start");
    for (const char *bad : {"a?b", "a/b", "a\\b", "a:b", "a*b", "a\"b", "a<b", "a>b", "a|b"})
        QTest::newRow(bad) << "ShortName" << bad << "The Map Shortname \"" + QString(bad) + "\" contains the character";
    QTest::newRow("control character") << "ShortName" << "a\tb" << "The Map Shortname \"a\tb\" contains a control character";
    QTest::newRow("quote in save location") << "SaveLocation" << "/tmp/x\"y/" << "The Save Location \"/tmp/x\"y/\"";
    QTest::newRow("quote in a file name") << "BSP" << "q3\"dm.bsp" << "The BSP File \"q3\"dm.bsp\" has a double";
    QTest::newRow("quote in the readme's folder") << "readmePath" << "/s\"rc/q3dm99.txt" << "The Readme file \"/s\"rc/q3dm99.txt\"";
}

void BuilderTest::unsafeInputIsRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, start);
    fillAll();
    if (field == "readmePath")
        setTag(f->ReadmeFile, value);
    else
        f->findChild<QLineEdit *>(field)->setText(value);
    f->CreateButton_Click();
    const QStringList messages = t->platform.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("48|Corvane|" + start), qPrintable(messages[0]));
    QCOMPARE(t->platform.callsStartingWith("showModal"), QStringList());
    QCOMPARE(t->platform.callsStartingWith("copyFile"), QStringList());
}

void BuilderTest::autosaveUsesTheStoredSlotNames_data()
{
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("savedInto"); // empty: nowhere
    const QStringList mixed{"q3dm99", "Profile 2", "q3dm17", "Profile 4", "Profile 5"};
    QTest::newRow("own slot") << "q3dm17" << mixed << "Prf3";
    QTest::newRow("first free slot") << "q3dm20" << mixed << "Prf2";
    QTest::newRow("all in use") << "q3dm20" << QStringList{"a", "b", "c", "d", "e"} << "";
}

void BuilderTest::autosaveUsesTheStoredSlotNames()
{
    QFETCH(QString, shortName);
    QFETCH(QStringList, stored);
    QFETCH(QString, savedInto);
    for (int n = 1; n <= 5; ++n)
        t->platform.writeSetting("Profiles", slotKey(n) + "sname", stored[n - 1]);
    fillAll();
    f->ShortName->setText(shortName);
    f->chkAutosave->setChecked(true);
    // The menu captions still say every slot is free.
    QCOMPARE(f->prf1->text(), QString("Profile 1"));
    t->platform.answerModal([](QDialog &d) { chooseLevel(d, 1); });
    f->CreateButton_Click();

    QStringList names;
    for (int n = 1; n <= 5; ++n)
        names << t->platform.readSetting("Profiles", slotKey(n) + "sname", "?");
    QStringList expected = stored;
    if (!savedInto.isEmpty())
        expected[savedInto.mid(3).toInt() - 1] = shortName;
    QCOMPARE(names, expected);
    if (!savedInto.isEmpty())
        QCOMPARE(t->platform.readSetting("Profiles", savedInto + "BSPP", "?"), src("q3dm99.bsp"));
    // The build goes on, silently, in every case.
    QCOMPARE(t->platform.messages(), QStringList({waitPrompt, success}));
}

void BuilderTest::compressionDialog_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("action"); // slider position and OK; -1 closes without OK
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("switchText");
    QTest::newRow("OK at once after 2") << "2" << 1 << "1" << "zip.exe \"";
    QTest::newRow("OK at once after 0") << "0" << 1 << "1" << "zip.exe \"";
    QTest::newRow("Faster end") << "" << 0 << "0" << "zip.exe -0 \"";
    QTest::newRow("Slower end") << "1" << 2 << "2" << "zip.exe -9 \"";
    QTest::newRow("closed keeps 2") << "2" << -1 << "2" << "zip.exe -9 \"";
    QTest::newRow("closed keeps never-confirmed") << "" << -1 << "" << "zip.exe \"";
}

void BuilderTest::compressionDialog()
{
    QFETCH(QString, before);
    QFETCH(int, action);
    fillAll();
    setTag(f->CreateButton, before);
    t->platform.answerModal([action](QDialog &d) {
        auto &options = static_cast<CmpOptions &>(d);
        QCOMPARE(options.windowTitle(), QString("Compression Options"));
        QCOMPARE(options.Frame1->title(), QString("Compression Level"));
        QCOMPARE(options.Label2->text(), QString("Faster"));
        QCOMPARE(options.Label1->text(), QString("Slower "));
        QCOMPARE(options.Slider1->value(), 1); // a new dialog every build
        QCOMPARE(options.Slider1->minimum(), 0);
        QCOMPARE(options.Slider1->maximum(), 2);
        if (action >= 0)
            chooseLevel(d, action);
        else
            d.close();
    });
    f->CreateButton_Click();
    QTEST(tagOf(f->CreateButton), "after");
    QFETCH(QString, switchText);
    QVERIFY2(t->platform.commandLines().value(0).contains(switchText), qPrintable(t->platform.commandLines().value(0)));
}

void BuilderTest::dirExists()
{
    QVERIFY(!f->DirExists("c:\\maps\\"));
    QVERIFY(QDir().mkpath(t->platform.stagingRoot() + "/maps"));
    QVERIFY(f->DirExists("c:\\maps\\"));
    QVERIFY(f->DirExists("C:\\MAPS\\"));
    QString path = "c:\\maps\\";
    Form1::AddDirSep(path);
    QCOMPARE(path, QString("c:\\maps\\"));
}

QTEST_MAIN(BuilderTest)
#include "tst_builder.moc"
