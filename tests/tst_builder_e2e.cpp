// Create end to end: real files, the real launcher and the real archiver.
#include "app/Form1.h"
#include "package/PackageDescription.h"
#include "package/SlotFacts.h"
#include "platform/DesktopPlatform.h"
#include "support/ScriptedDesktop.h"
#include "support/PressStop.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include "packaging/CmpOptions.h"

using namespace corvane;

namespace {

QByteArray run(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return "<timeout>";
    if (exitCode)
        *exitCode = process.exitCode();
    return process.readAllStandardOutput();
}

const QString waitPrompt = "64|Corvane|Please press OK when the archiver has finished processing files.";
const QString success = "64|Corvane|The operation seems to have been a success.";

} // namespace

class BuilderEndToEndTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedDesktop> platform;
    std::unique_ptr<Form1> form;
    QMap<QString, QByteArray> sources; // entry name in the .pk3 -> content

    QString path(const QString &relative) const { return dir->filePath(relative); }
    QString stagingRoot() const { return path("data/drive_c"); }

    void makePlatform(const QString &programFolder)
    {
        platform = std::make_unique<ScriptedDesktop>(
            DesktopPlatformConfig{path("config/Corvane.conf"), path("data"), programFolder, stagingFolderNames()});
        form = std::make_unique<Form1>(*platform);
        form->Form_Activate();
        form->chkAutosave->setChecked(false);
    }

    void fill()
    {
        form->ShortName->setText("q3dm99");
        QDir().mkpath(path("out"));
        form->SaveLocation->setText(path("out") + "/");
        QByteArray bsp;
        for (int i = 0; i < 4000; ++i)
            bsp += "brush " + QByteArray::number(i % 97) + " textures/base_wall/concrete\n";
        const struct {
            QLineEdit *slot;
            const char *name;
            const char *entry;
            QByteArray data;
        } files[] = {
            {form->Levelshot, "q3dm99.jpg", "levelshots/q3dm99.jpg", QByteArray(3000, '\xd8')},
            {form->AAS, "q3dm99.aas", "maps/q3dm99.aas", QByteArray(5000, 'a')},
            {form->BSP, "q3dm99.bsp", "maps/q3dm99.bsp", bsp},
            {form->ReadmeFile, "q3dm99.txt", "q3dm99.txt", "A map for testing.\r\n"},
            {form->ArenaFile, "q3dm99.arena", "scripts/q3dm99.arena", "{ map \"q3dm99\" }\n"},
            {form->Shader1, "q3dm99.shader", "scripts/q3dm99.shader", "textures/q3dm99/sky { }\n"},
        };
        for (const auto &file : files) {
            const QString source = path(QString("my maps/") + file.name);
            write(source, file.data);
            setSlot(file.slot, file.name, source);
            sources.insert(file.entry, file.data);
        }
    }

    void verifyArchive(const QString &archive, const QMap<QString, QByteArray> &expected)
    {
        int code = -1;
        QByteArray list = run("unzip", {"-Z1", archive}, &code);
        QCOMPARE(code, 0);
        QStringList entries = QString::fromUtf8(list).split('\n', Qt::SkipEmptyParts);
        entries.sort();
        QStringList wanted = expected.keys();
        wanted.sort();
        QCOMPARE(entries, wanted);
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(run("unzip", {"-p", archive, it.key()}), it.value());
        run("unzip", {"-tq", archive}, &code);
        QCOMPARE(code, 0);
    }

    // Every file of the save folder with its bytes.
    QMap<QString, QByteArray> saveFolder() const
    {
        QMap<QString, QByteArray> files;
        for (const QString &name : QDir(path("out")).entryList(QDir::Files | QDir::Hidden))
            files.insert(name, readAll(path("out/" + name)));
        return files;
    }

    QStringList setAsideContents() const
    {
        return QDir(path("data/set-aside")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QStringList stagingContents() const
    {
        QStringList found;
        QDirIterator it(stagingRoot(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        sources.clear();
        makePlatform(QStringLiteral(CORVANE_BINARY_DIR));
    }
    void cleanup()
    {
        form.reset();
        platform.reset();
        dir.reset();
    }

    void zipFormMakesBothArchives();
    void readmeOutsideThePackage();
    void storedLevelKeepsEntriesUncompressed();
    void refusedBuildLeavesTheUsersFileAlone();
    void failingArchiverLeavesTheOldArchive();
    void brokenOldArchiveIsNotReplaced();
    void slowArchiverIsWaitedForAndCanBeStopped();
    void stopLeavesTheSaveFolderAsItWas();
    void lyingArchiverIsNoSuccess_data();
    void lyingArchiverIsNoSuccess();
    void failedZipStageUndoesCreate_data();
    void failedZipStageUndoesCreate();
    void dashedReadmeIsAFileToEitherArchiver_data();
    void dashedReadmeIsAFileToEitherArchiver();
};

void BuilderEndToEndTest::zipFormMakesBothArchives()
{
    fill();
    platform->level = 2;
    form->CreateButton_Click();
    QCOMPARE(platform->messages, QStringList({waitPrompt, success}));

    const QString pk3 = path("out/q3dm99.pk3");
    verifyArchive(pk3, sources);
    QVERIFY(run("unzip", {"-v", pk3}).contains("Defl:X"));
    verifyArchive(path("out/q3dm99.zip"),
                  {{"q3dm99.pk3", readAll(pk3)}, {"q3dm99.txt", sources.value("q3dm99.txt")}});
    QCOMPARE(stagingContents(), QStringList());
}

void BuilderEndToEndTest::readmeOutsideThePackage()
{
    fill();
    form->ReadmePK3->setChecked(false);
    form->CreateButton_Click();
    QCOMPARE(platform->messages, QStringList({waitPrompt, success}));
    QMap<QString, QByteArray> withoutReadme = sources;
    withoutReadme.remove("q3dm99.txt");
    verifyArchive(path("out/q3dm99.pk3"), withoutReadme);
    verifyArchive(path("out/q3dm99.zip"),
                  {{"q3dm99.pk3", readAll(path("out/q3dm99.pk3"))}, {"q3dm99.txt", sources.value("q3dm99.txt")}});
    QCOMPARE(stagingContents(), QStringList());
}

void BuilderEndToEndTest::storedLevelKeepsEntriesUncompressed()
{
    fill();
    form->cOption1->setChecked(true);
    platform->level = 0;
    form->CreateButton_Click();
    QCOMPARE(platform->messages, QStringList{waitPrompt});
    const QString pk3 = path("out/q3dm99.pk3");
    verifyArchive(pk3, sources);
    const QByteArray listing = run("unzip", {"-v", pk3});
    QVERIFY(!listing.contains("Defl:"));
    QVERIFY(listing.contains("Stored"));
    QVERIFY(!QFile::exists(path("out/q3dm99.zip")));
}

void BuilderEndToEndTest::refusedBuildLeavesTheUsersFileAlone()
{
    fill();
    write(stagingRoot() + "/Maps/q3dm99.bsp", "months of work");
    form->CreateButton_Click();
    QCOMPARE(platform->messages.size(), 1);
    QVERIFY(platform->messages[0].contains(QDir::toNativeSeparators(stagingRoot() + "/Maps/q3dm99.bsp")));
    QCOMPARE(readAll(stagingRoot() + "/Maps/q3dm99.bsp"), QByteArray("months of work"));
    QCOMPARE(stagingContents(), QStringList({stagingRoot() + "/Maps", stagingRoot() + "/Maps/q3dm99.bsp"}));
    QVERIFY(!QFile::exists(path("out/q3dm99.pk3")));
}

void BuilderEndToEndTest::failingArchiverLeavesTheOldArchive()
{
    write(path("tools/zip.exe"), "#!/bin/sh\necho 'zip error: simulated failure' >&2\nexit 18\n");
    QFile::setPermissions(path("tools/zip.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    makePlatform(path("tools"));
    fill();
    write(path("out/q3dm99.pk3"), "an earlier package");
    form->CreateButton_Click();
    QCOMPARE(platform->messages,
             QStringList({waitPrompt, "48|Wexbridge|Sorry, there was an error creating the file. Please fill in the "
                                      "feedback form at the address in the About box and we will try to help you."}));
    QVERIFY(platform->details.contains("exit code 18"));
    QVERIFY(platform->details.contains("zip error: simulated failure"));
    QCOMPARE(readAll(path("out/q3dm99.pk3")), QByteArray("an earlier package"));
    QVERIFY(!QFile::exists(path("out/q3dm99.zip")));
    QCOMPARE(stagingContents(), QStringList());
}

void BuilderEndToEndTest::brokenOldArchiveIsNotReplaced()
{
    fill();
    write(path("out/q3dm99.pk3"), QByteArray("PK\x03\x04 not really a zip file at all"));
    const QByteArray before = readAll(path("out/q3dm99.pk3"));
    form->CreateButton_Click();
    QCOMPARE(platform->messages.size(), 2);
    QCOMPARE(platform->messages[0], waitPrompt);
    QVERIFY(platform->messages[1].startsWith("48|Wexbridge|"));
    QCOMPARE(readAll(path("out/q3dm99.pk3")), before);
    QCOMPARE(stagingContents(), QStringList());
}

void BuilderEndToEndTest::slowArchiverIsWaitedForAndCanBeStopped()
{
    write(path("tools/zip.exe"), "#!/bin/sh\nsleep 30\n");
    QFile::setPermissions(path("tools/zip.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    makePlatform(path("tools"));
    fill();
    form->show();

    bool stopped = false;
    QStringList stagedWhileWaiting;
    whenWaiting(
        this, [] { return true; },
        [&] {
            stagedWhileWaiting = stagingContents();
            // The main window takes no input while the archiver runs.
            QTest::mouseClick(form->CreateButton, Qt::LeftButton);
            QTest::keyClick(form->windowHandle(), Qt::Key_Return);
            return pressStop();
        },
        stopped);
    form->CreateButton_Click();

    QVERIFY(stopped);
    QCOMPARE(stagedWhileWaiting.size(), 9);
    QCOMPARE(platform->messages.size(), 2);
    QCOMPARE(platform->messages[0], waitPrompt);
    QVERIFY(platform->messages[1].startsWith("48|Wexbridge|"));
    QVERIFY(platform->details.contains("stopped before it had finished"));
    QCOMPARE(stagingContents(), QStringList());
    QVERIFY(!QApplication::activeModalWidget());
}

// Stop asks our zip.exe to end, so it removes its temporary file: the save
// folder holds exactly what it held, the old package untouched.
void BuilderEndToEndTest::stopLeavesTheSaveFolderAsItWas()
{
    fill();
    write(path("my maps/q3dm99.bsp"), noisyText(80 << 20));
    write(path("old/notes.txt"), "an earlier package");
    int code = -1;
    run(QStringLiteral(CORVANE_BINARY_DIR) + "/zip.exe", {"-jq", path("out/q3dm99.pk3"), path("old/notes.txt")}, &code);
    QCOMPARE(code, 0);
    const QByteArray earlier = readAll(path("out/q3dm99.pk3"));
    platform->level = 2;
    form->show();
    bool stopped = false;
    whenWaiting(this, [this] { return writingInto(path("out")); }, pressStop, stopped);
    form->CreateButton_Click();
    QVERIFY2(stopped, qPrintable(platform->messages.join("\n") + platform->details));
    QCOMPARE(platform->messages.size(), 2);
    QVERIFY(platform->messages[1].startsWith("48|Wexbridge|"));
    QCOMPARE(QDir(path("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"q3dm99.pk3"});
    QCOMPARE(readAll(path("out/q3dm99.pk3")), earlier);
    QCOMPARE(stagingContents(), QStringList());
}

void BuilderEndToEndTest::lyingArchiverIsNoSuccess_data()
{
    QTest::addColumn<QByteArray>("script"); // stands in for zip.exe; "zip" is Info-ZIP
    QTest::addColumn<bool>("oldPackage");   // an earlier .pk3 is there, its first entry damaged
    QTest::addColumn<QString>("detail");
    const QByteArray ours = "exec '" CORVANE_BINARY_DIR "/zip.exe' \"$@\"";
    QTest::newRow("writes nothing") << QByteArray("exit 0") << false << "There is no archive at";
    QTest::newRow("leaves the old package") << QByteArray("exit 0") << true
                                            << "is the file that was there before the archiver started";
    QTest::newRow("leaves out entries") << QByteArray("zip -q \"$1\" \"$2\"") << false
                                        << "does not hold the entry \"maps/q3dm99.aas\"";
    QTest::newRow("zip64") << QByteArray("zip -q -fz \"$@\"") << false << "needs zip64";
    QTest::newRow("bzip2") << QByteArray("zip -q -Z bzip2 \"$@\"") << false << "uses compression method 12";
    QTest::newRow("drops the earlier entries") << QByteArray("rm -f \"$1\"; exec zip -q \"$@\"") << true
                                               << "no longer holds the entry \"notes.txt\" that it held before";
    QTest::newRow("carries a damaged entry over") << ours << true
                                                  << "the entry \"notes.txt\" of <pk3> is damaged (CRC error)";
}

// Exit code 0 is the archiver's word; only the archive itself counts. After
// the failure the save folder is as it was, the earlier package byte for byte.
void BuilderEndToEndTest::lyingArchiverIsNoSuccess()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, oldPackage);
    QFETCH(QString, detail);
    detail.replace("<pk3>", QDir::toNativeSeparators(path("out/q3dm99.pk3")));
    write(path("tools/zip.exe"), "#!/bin/sh\n" + script + "\n");
    QFile::setPermissions(path("tools/zip.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    makePlatform(path("tools"));
    fill();
    form->cOption1->setChecked(true);
    if (oldPackage) {
        write(path("old/notes.txt"), QByteArray(4000, 'n'));
        int code = -1;
        run("zip", {"-jq0", path("out/q3dm99.pk3"), path("old/notes.txt")}, &code);
        QCOMPARE(code, 0);
        // Flip one byte of the stored data, past the local header and name.
        QFile pk3(path("out/q3dm99.pk3"));
        QVERIFY(pk3.open(QIODevice::ReadWrite));
        pk3.seek(30 + 9 + 100);
        pk3.write("X");
        pk3.close();
    }
    const QMap<QString, QByteArray> before = saveFolder();
    form->CreateButton_Click();
    QCOMPARE(platform->messages.size(), 2);
    QVERIFY(platform->messages[1].startsWith("48|Wexbridge|"));
    QVERIFY2(platform->details.contains(detail), qPrintable(platform->details));
    QCOMPARE(saveFolder(), before);
    QCOMPARE(stagingContents(), QStringList());
    QCOMPARE(setAsideContents(), QStringList());
}

void BuilderEndToEndTest::failedZipStageUndoesCreate_data()
{
    QTest::addColumn<bool>("earlier");
    QTest::newRow("no earlier archives") << false;
    QTest::newRow("earlier .pk3 and .zip") << true;
}

// The .pk3 is made and proven, then the .zip fails: Create failed, so both
// archives are as they were before it.
void BuilderEndToEndTest::failedZipStageUndoesCreate()
{
    QFETCH(bool, earlier);
    write(path("tools/zip.exe"), "#!/bin/sh\n[ \"$1\" = -j ] && { echo 'zip error: no room' >&2; exit 14; }\n"
                                 "exec '" CORVANE_BINARY_DIR "/zip.exe' \"$@\"\n");
    QFile::setPermissions(path("tools/zip.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    makePlatform(path("tools"));
    fill();
    if (earlier) {
        write(path("old/notes.txt"), "an earlier package\n");
        int code = -1;
        run("zip", {"-jq", path("out/q3dm99.pk3"), path("old/notes.txt")}, &code);
        run("zip", {"-jq", path("out/q3dm99.zip"), path("old/notes.txt")}, &code);
        QCOMPARE(code, 0);
    }
    const QMap<QString, QByteArray> before = saveFolder();
    form->CreateButton_Click();
    QCOMPARE(platform->messages.size(), 2);
    QVERIFY(platform->messages[1].startsWith("48|Wexbridge|"));
    QVERIFY2(platform->details.contains("exit code 14"), qPrintable(platform->details));
    QVERIFY2(platform->details.contains(earlier ? "is as it was before Create" : "made by this Create, was removed"),
             qPrintable(platform->details));
    QCOMPARE(saveFolder(), before);
    QCOMPARE(setAsideContents(), QStringList());
}

void BuilderEndToEndTest::dashedReadmeIsAFileToEitherArchiver_data()
{
    QTest::addColumn<bool>("infoZip");
    QTest::newRow("our zip.exe") << false;
    QTest::newRow("Info-ZIP") << true;
}

// A readme named like an option still lands in both archives as a file.
void BuilderEndToEndTest::dashedReadmeIsAFileToEitherArchiver()
{
    QFETCH(bool, infoZip);
    if (infoZip) {
        write(path("tools/zip.exe"), "#!/bin/sh\nexec zip \"$@\"\n");
        QFile::setPermissions(path("tools/zip.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        makePlatform(path("tools"));
    }
    fill();
    const QByteArray readme = "Read me first.\n";
    write(path("my maps/-q3dm99.txt"), readme);
    setSlot(form->ReadmeFile, "-q3dm99.txt", path("my maps/-q3dm99.txt"));
    sources.remove("q3dm99.txt");
    sources.insert("-q3dm99.txt", readme);
    form->CreateButton_Click();
    QCOMPARE(platform->messages, QStringList({waitPrompt, success}));
    verifyArchive(path("out/q3dm99.pk3"), sources);
    verifyArchive(path("out/q3dm99.zip"), {{"q3dm99.pk3", readAll(path("out/q3dm99.pk3"))}, {"-q3dm99.txt", readme}});
    QCOMPARE(stagingContents(), QStringList());
}

QTEST_MAIN(BuilderEndToEndTest)
#include "tst_builder_e2e.moc"
