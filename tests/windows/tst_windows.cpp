// What only Windows has: the registry, the per-user staging root, start.exe
// and explorer.exe, and the real archiver started without a console.
#include "ScriptedDesktop.h"
#include "PressStop.h"
#include "TestFiles.h"
#include "about/WebLaunch.h"
#include "about/ProjectAddresses.h"
#include "app/Form1.h"
#include "package/PackageDescription.h"
#include "package/SlotFacts.h"
#include "platform/DesktopPlatform.h"
#include "platform/Product.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <QtTest>

using namespace corvane;

namespace {

// reg.exe, as an outside program, reads the registry the way any other would.
QString regQuery(const QString &key)
{
    QProcess reg;
    reg.start(QStringLiteral("reg.exe"), {QStringLiteral("query"), key});
    if (!reg.waitForFinished(30000))
        return QStringLiteral("<timeout>");
    return QString::fromLocal8Bit(reg.readAllStandardOutput());
}

const QString registryKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Corvane\\Corvane");
const QString success = QStringLiteral("64|Corvane|The operation seems to have been a success.");

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString path(const QString &relative) const { return dir->filePath(relative); }

    // Where the end-to-end package goes: the folder the Linux side checks it
    // in when it asks for one (CORVANE_ARCHIVE_CHECK), else a temporary one.
    QString checkFolder() const
    {
        const QString asked = qEnvironmentVariable("CORVANE_ARCHIVE_CHECK");
        return asked.isEmpty() ? path("check") : QStringLiteral("Z:") + asked;
    }

    std::unique_ptr<ScriptedDesktop> realDesktop(const QString &root)
    {
        return std::make_unique<ScriptedDesktop>(DesktopPlatformConfig{
            root + "/Corvane.ini", root + "/data", QStringLiteral(CORVANE_BINARY_DIR), stagingFolderNames()});
    }

    // A description of a map named with letters beyond ASCII, its files in a
    // folder with blanks; returns the sources by the entry they should get.
    QMap<QString, QByteArray> describe(Form1 &form, const QString &folder)
    {
        QByteArray bsp;
        for (int i = 0; i < 20000; ++i)
            bsp += "brush " + QByteArray::number(i % 89) + " textures/gothic_wall/stone\n";
        const QString map = QStringLiteral("ctf_\u00d6sterreich");
        const struct {
            QLineEdit *slot;
            QString name;
            QString entry;
            QByteArray data;
        } files[] = {
            {form.Levelshot, map + ".jpg", "levelshots/" + map + ".jpg", QByteArray(3000, '\xd8')},
            {form.AAS, map + ".aas", "maps/" + map + ".aas", QByteArray(5000, 'a')},
            {form.BSP, map + ".bsp", "maps/" + map + ".bsp", bsp},
            {form.ReadmeFile, "read me.txt", "read me.txt", "A map for testing.\r\n"},
            {form.ArenaFile, map + ".arena", "scripts/" + map + ".arena", "{ map \"ctf_Oesterreich\" }\n"},
        };
        QMap<QString, QByteArray> sources;
        for (const auto &file : files) {
            const QString source = folder + "/my maps/" + file.name;
            write(source, file.data);
            setSlot(file.slot, file.name, QDir::toNativeSeparators(source));
            sources.insert(file.entry, file.data);
        }
        form.ShortName->setText(map);
        QDir().mkpath(folder + "/out");
        form.SaveLocation->setText(QDir::toNativeSeparators(folder + "/out") + "\\");
        return sources;
    }

    // A package made earlier at pk3 by the real zip.exe; its bytes, or none.
    QByteArray earlierPackage(const QString &pk3) const
    {
        write(path("old/notes.txt"), "an earlier package");
        QProcess zip;
        zip.start(QStringLiteral(CORVANE_BINARY_DIR) + "/zip.exe", {"-jq", pk3, path("old/notes.txt")});
        zip.waitForFinished(30000);
        return zip.exitCode() == 0 ? readAll(pk3) : QByteArray();
    }

    static QStringList contents(const QString &folder)
    {
        QStringList found;
        QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(productName());
        QCoreApplication::setApplicationName(productName());
    }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup()
    {
        QTRY_VERIFY(!QApplication::activeModalWidget());
        dir.reset();
    }

    void settingsLiveInTheRegistry();
    void stagingRootIsUnderLocalAppData();
    void webLaunchTriesStartThenExplorer_data();
    void webLaunchTriesStartThenExplorer();
    void createWithTheRealArchiver();
    void saveFolderOfAnyLength_data();
    void saveFolderOfAnyLength();
    void packageHeldOpen_data();
    void packageHeldOpen();
};

void WindowsTest::settingsLiveInTheRegistry()
{
    QSettings(registryKey, QSettings::NativeFormat).remove(QString());
    DesktopPlatform platform;
    QCOMPARE(platform.settingsLocation(), registryKey);
    const QString folder = QStringLiteral("C:\\My Maps\\");
    QVERIFY(platform.writeSetting("Settings", "SaveLocation", folder));
    QVERIFY(platform.writeSetting("Profiles", "Prf1sname", QString()));
    const QString map = QStringLiteral("ctf_\u00d6sterreich");
    QVERIFY(platform.writeSetting("Profiles", "Prf2sname", map));

    const QString settings = regQuery(registryKey + "\\Settings");
    QVERIFY2(settings.contains(QRegularExpression("SaveLocation\\s+REG_SZ\\s+" + QRegularExpression::escape(folder))),
             qPrintable(settings));
    QVERIFY2(regQuery(registryKey + "\\Profiles").contains(QRegularExpression("Prf1sname\\s+REG_SZ")),
             qPrintable(regQuery(registryKey + "\\Profiles")));

    // A stored empty string is a value, not the default.
    QCOMPARE(platform.readSetting("Profiles", "Prf1sname", "default"), QString(""));
    QCOMPARE(platform.readSetting("Profiles", "Prf3sname", "default"), QString("default"));
    QCOMPARE(DesktopPlatform().readSetting("Profiles", "Prf2sname", "default"), map);

    // What another program stores, the next reading finds.
    QProcess reg;
    reg.start("reg.exe", {"add", registryKey + "\\Profiles", "/v", "Prf1lshot", "/t", "REG_SZ", "/d",
                          "C:\\shots\\x.jpg", "/f"});
    QVERIFY(reg.waitForFinished(30000));
    QCOMPARE(reg.exitCode(), 0);
    QCOMPARE(platform.readSetting("Profiles", "Prf1lshot", "default"), QString("C:\\shots\\x.jpg"));
    QSettings(registryKey, QSettings::NativeFormat).remove(QString());
}

void WindowsTest::stagingRootIsUnderLocalAppData()
{
    DesktopPlatform platform({QString(), QString(), QString(), stagingFolderNames()});
    const QString expected = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA")) + "/Corvane/Corvane/drive_c";
    QVERIFY(!qEnvironmentVariable("LOCALAPPDATA").isEmpty());
    QCOMPARE(platform.drivePaths().stagingRoot().toLower(), expected.toLower());
    QCOMPARE(platform.displayPath("C:\\maps\\x.bsp").toLower(),
             QDir::toNativeSeparators(expected + "/maps/x.bsp").toLower());
    // The user's own files keep their places.
    QCOMPARE(platform.displayPath("C:\\Users\\me\\x.bsp"), QString("C:\\Users\\me\\x.bsp"));
}

void WindowsTest::webLaunchTriesStartThenExplorer_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("started");
    const QString address = projectWebAddress();
    QTest::newRow("start opens it") << QStringList{"start.exe", "explorer.exe"} << QStringList{"start.exe " + address};
    QTest::newRow("no start.exe") << QStringList{"explorer.exe"} << QStringList{"explorer.exe " + address};
    QTest::newRow("neither") << QStringList() << QStringList();
}

void WindowsTest::webLaunchTriesStartThenExplorer()
{
    QFETCH(QStringList, present);
    QFETCH(QStringList, started);
    const QString programs = path("programs");
    QDir().mkpath(programs);
    for (const QString &name : present)
        QVERIFY(QFile::copy(QStringLiteral(CORVANE_STANDIN), programs + "/" + name));
    const QString log = path("started.txt");
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QDir::toNativeSeparators(programs).toLocal8Bit());
    qputenv("CORVANE_STANDIN_LOG", QDir::toNativeSeparators(log).toLocal8Bit());
    DesktopPlatform platform;
    launchWebPage(platform);
    qputenv("PATH", oldPath);
    if (!started.isEmpty())
        QTRY_VERIFY(QFileInfo::exists(log));
    QTest::qWait(1000); // a second program would have started by now
    QCOMPARE(QString::fromLocal8Bit(readAll(log)).split('\n', Qt::SkipEmptyParts),
             started.isEmpty() ? QStringList{"<missing>"} : started);
}

void WindowsTest::createWithTheRealArchiver()
{
    const QString check = checkFolder();
    auto platform = realDesktop(path("home"));
    Form1 form(*platform);
    form.Form_Activate();
    form.chkAutosave->setChecked(false);
    const QMap<QString, QByteArray> sources = describe(form, check);
    platform->level = 2;
    form.CreateButton_Click();
    QCOMPARE(platform->messages.size(), 2);
    QCOMPARE(platform->messages[1], success);
    const QString pk3 = check + "/out/" + form.ShortName->text() + ".pk3";
    const ZipReport report = platform->inspectZip(QDir::toNativeSeparators(pk3));
    QVERIFY2(report.problem.isEmpty(), qPrintable(report.problem));
    QStringList entries;
    for (const ZipEntryReport &entry : report.entries)
        entries << entry.name;
    entries.sort();
    QCOMPARE(entries, sources.keys());
    QCOMPARE(contents(platform->drivePaths().stagingRoot()), QStringList());
    // For the Linux side: which file holds each entry.
    QFile list(check + "/entries.txt");
    QVERIFY(list.open(QIODevice::WriteOnly));
    for (auto it = sources.begin(); it != sources.end(); ++it) {
        const QString name = it.key().section('/', -1);
        list.write((it.key() + "\t" + "my maps/" + name + "\n").toUtf8());
    }
}

namespace {

// A folder inside `base` whose path is `length` characters long.
QString folderOfLength(const QString &base, int length)
{
    QString folder = base + "/out";
    while (folder.size() < length) {
        const int room = length - folder.size() - 1;
        folder += "/" + QString(qMin(room < 60 ? room : 50, 200), QLatin1Char('d'));
    }
    return folder;
}

} // namespace

void WindowsTest::saveFolderOfAnyLength_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("end");
    QTest::newRow("300, finished") << 300 << "finished";
    QTest::newRow("short, Stop") << 0 << "Stop";
    QTest::newRow("249, Stop") << 249 << "Stop";
    QTest::newRow("300, Stop") << 300 << "Stop";
    // As Task Manager ends a program: nothing of the archiver's own runs.
    QTest::newRow("300, forced end") << 300 << "forced";
}

void WindowsTest::saveFolderOfAnyLength()
{
    QFETCH(int, length);
    QFETCH(QString, end);
    auto platform = realDesktop(path("home"));
    Form1 form(*platform);
    form.Form_Activate();
    form.chkAutosave->setChecked(false);
    describe(form, path("work"));
    const QString out = length ? folderOfLength(path("work"), length) : path("work/out");
    QVERIFY(QDir().mkpath(out));
    QCOMPARE(out.size(), length ? length : out.size());
    form.SaveLocation->setText(QDir::toNativeSeparators(out) + "\\");
    const QString pk3 = out + "/" + form.ShortName->text() + ".pk3";
    if (end == "finished") {
        platform->level = 2;
        form.CreateButton_Click();
        QCOMPARE(platform->messages.size(), 2);
        QCOMPARE(platform->messages[1], success);
        QCOMPARE(platform->inspectZip(QDir::toNativeSeparators(pk3)).problem, QString());
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2); // the .pk3 and the .zip
        return;
    }

    write(path("work/my maps/") + form.BSP->text(), noisyText(48 << 20));
    const QByteArray earlier = earlierPackage(pk3);
    QVERIFY(!earlier.isEmpty());
    platform->level = 9;
    form.show();
    bool acted = false;
    whenWaiting(
        this, [out] { return writingInto(out); },
        [end] { return end == "forced" ? QProcess::execute("taskkill.exe", {"/F", "/IM", "zip.exe"}) == 0 : pressStop(); },
        acted);
    form.CreateButton_Click();
    QVERIFY2(acted, qPrintable(platform->messages.join("\n") + platform->details));
    QCOMPARE(platform->messages.size(), 2);
    QVERIFY(platform->messages[1].startsWith("48|Wexbridge|"));
    const QStringList left = QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QVERIFY2(left == QStringList{QFileInfo(pk3).fileName()}, qPrintable(left.join(", ") + "\n" + platform->details));
    QCOMPARE(readAll(pk3), earlier);
    QCOMPARE(contents(platform->drivePaths().stagingRoot()), QStringList());
}

void WindowsTest::packageHeldOpen_data()
{
    QTest::addColumn<int>("holdMs"); // 0: until the game is closed
    QTest::newRow("by the game") << 0;
    QTest::newRow("for a moment") << 1500;
}

void WindowsTest::packageHeldOpen()
{
    QFETCH(int, holdMs);
    auto platform = realDesktop(path("home"));
    Form1 form(*platform);
    form.Form_Activate();
    form.chkAutosave->setChecked(false);
    form.cOption1->setChecked(true);
    describe(form, path("work"));
    const QString pk3 = path("work/out/") + form.ShortName->text() + ".pk3";
    const QByteArray earlier = earlierPackage(pk3);
    QVERIFY(!earlier.isEmpty());
    QProcess holder;
    QStringList arguments{QDir::toNativeSeparators(pk3)};
    if (holdMs)
        arguments << QString::number(holdMs);
    holder.start(QStringLiteral(CORVANE_HOLDER), arguments);
    QVERIFY(holder.waitForReadyRead(30000));
    QCOMPARE(holder.readAll().trimmed(), QByteArray("holding"));

    form.CreateButton_Click();
    holder.closeWriteChannel();
    QVERIFY(holder.state() == QProcess::NotRunning || holder.waitForFinished(30000));
    const QStringList left = QDir(path("work/out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QCOMPARE(left, QStringList{QFileInfo(pk3).fileName()});
    if (holdMs) {
        QCOMPARE(platform->messages.size(), 1); // the wait prompt, and no failure
        QVERIFY(readAll(pk3) != earlier);
        return;
    }
    QCOMPARE(platform->messages.size(), 2);
    QVERIFY(platform->messages[1].startsWith("48|Wexbridge|"));
    // The name as the user typed it, and what is wrong with the file.
    QVERIFY2(platform->details.contains(QDir::toNativeSeparators(pk3) + ": the file is in use by another program"),
             qPrintable(platform->details));
    QCOMPARE(readAll(pk3), earlier);
}

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
