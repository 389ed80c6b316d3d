// The game itself loads what Corvane builds: a real OpenArena map, renamed,
// packaged by the real builder and zip.exe, then loaded by Debian's id Tech 3
// dedicated server, which must say it took the map and its bot file from
// that .pk3.
#include "app/Form1.h"
#include "package/PackageDescription.h"
#include "support/ScriptedDesktop.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvane;

namespace {

const QString server = "/usr/lib/ioquake3/ioq3ded";
const QString gameData = "/usr/lib/openarena-server/baseoa";
const QString mapName = "corvane_t1";

// One file out of one of the game's own packages.
QByteArray fromGamePackage(const QString &package, const QString &entry)
{
    QProcess unzip;
    unzip.start("unzip", {"-p", gameData + "/" + package, entry});
    unzip.waitForFinished(60000);
    return unzip.exitCode() == 0 ? unzip.readAllStandardOutput() : QByteArray();
}

bool write(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return !data.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class GameLoadTest : public QObject {
    Q_OBJECT

private slots:
    void serverLoadsTheBuiltPackage();
};

void GameLoadTest::serverLoadsTheBuiltPackage()
{
    QVERIFY2(QFileInfo(server).isExecutable() && QFileInfo(gameData + "/pak0.pk3").exists(),
             "needs ioquake3-server and openarena-server (scripts/deps.sh installs them)");
    QTemporaryDir dir;
    const QString base = dir.filePath("base/baseoa");
    const QString home = dir.filePath("home");
    QVERIFY(QDir().mkpath(base));
    for (const QFileInfo &file : QDir(gameData).entryInfoList({"*.pk3", "*.so"}, QDir::Files))
        QVERIFY(QFile::link(file.canonicalFilePath(), base + "/" + file.fileName()));

    // oa_dm3, renamed: its map and levelshot, its bot file, an arena entry.
    const QString src = dir.filePath("my map/");
    QVERIFY(write(src + mapName + ".bsp", fromGamePackage("pak1-maps.pk3", "maps/oa_dm3.bsp")));
    QVERIFY(write(src + mapName + ".aas", fromGamePackage("pak6-misc.pk3", "maps/oa_dm3.aas")));
    QVERIFY(write(src + mapName + ".jpg", fromGamePackage("pak1-maps.pk3", "levelshots/oa_dm3.jpg")));
    QVERIFY(write(src + mapName + ".arena", "{\nmap \"" + mapName.toUtf8() + "\"\nlongname \"Corvane\"\ntype \"ffa\"\n}\n"));
    QVERIFY(write(src + mapName + ".txt", "A map packaged by Corvane's tests.\n"));

    ScriptedDesktop platform({dir.filePath("config/Corvane.conf"), dir.filePath("data"), CORVANE_BINARY_DIR});
    platform.level = 2;
    Form1 form(platform);
    form.Form_Activate();
    form.chkAutosave->setChecked(false);
    form.cOption1->setChecked(true);
    form.ShortName->setText(mapName);
    form.SaveLocation->setText(base + "/");
    const struct {
        QLineEdit *slot;
        const char *extension;
    } files[] = {{form.BSP, ".bsp"}, {form.AAS, ".aas"}, {form.Levelshot, ".jpg"}, {form.ArenaFile, ".arena"},
                 {form.ReadmeFile, ".txt"}};
    for (const auto &slot : files)
        setSlot(slot.slot, mapName + slot.extension, src + mapName + slot.extension);
    form.CreateButton_Click();
    QCOMPARE(platform.messages.size(), 1); // the wait prompt, and nothing after it
    const QString pk3 = base + "/" + mapName + ".pk3";
    QVERIFY(QFileInfo(pk3).isFile());

    QVERIFY(write(home + "/baseoa/corvane.cfg", "map " + mapName.toUtf8() + "\nquit\n"));
    QProcess game;
    game.setProcessChannelMode(QProcess::MergedChannels);
    game.start(server, {"+set", "dedicated", "1", "+set", "net_enabled", "0", "+set", "com_basegame", "baseoa",
                        "+set", "fs_basepath", dir.filePath("base"), "+set", "fs_homepath", home, "+set", "fs_debug",
                        "1", "+set", "com_protocol", "71", "+set", "com_legacyprotocol", "71", "+exec", "corvane.cfg"});
    QVERIFY(game.waitForStarted(10000));
    // The watchdog: a server that does not quit by itself is ended by its PID.
    if (!game.waitForFinished(60000)) {
        game.kill();
        game.waitForFinished(5000);
        QFAIL("the server did not quit");
    }
    const QString log = QString::fromLocal8Bit(game.readAll());
    for (const QString &entry : {"maps/" + mapName + ".bsp", "maps/" + mapName + ".aas"}) {
        const QString loaded = QString("FS_FOpenFileRead: %1 (found in '%2')").arg(entry, pk3);
        QVERIFY2(log.contains(loaded), qPrintable("not in the server's log: " + loaded + "\n" + log.right(3000)));
    }
    QVERIFY2(log.contains("loaded maps/" + mapName + ".aas"), qPrintable(log.right(3000)));
}

QTEST_MAIN(GameLoadTest)
#include "tst_game_load.moc"
