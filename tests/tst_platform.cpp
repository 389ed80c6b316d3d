// Drive paths, command-line splitting, the launcher and the file copy.
#include "platform/CommandLine.h"
#include "platform/DesktopPlatform.h"
#include "package/SlotFacts.h"
#include "platform/DrivePaths.h"
#include "platform/FileFilter.h"
#include "platform/LocalFileSystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstring>

using namespace corvane;

namespace {

void write(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

} // namespace

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void drivePathsIgnoreLetterCase();
    void drivePathsStayOnTheirDrive();
    void splitCommandLine_data();
    void splitCommandLine();
    void launcherHandsRelativePathsAndWorkingFolder();
    void launcherRefusesAMissingProgram();
    void copyKeepsDateAndNeverHalfReplaces();
    void copyFailureSaysWhatTheSystemSaid();
    void qtNameFilter_data();
    void qtNameFilter();
};

void PlatformTest::drivePathsIgnoreLetterCase()
{
    QTemporaryDir dir;
    DrivePaths paths(dir.path(), stagingFolderNames());
    const QString root = dir.path() + "/drive_c";
    QCOMPARE(paths.stagingRoot(), root);
    write(root + "/maps/x.bsp", "x");

    QCOMPARE(paths.resolve("C:\\MAPS\\x.bsp"), root + "/maps/x.bsp");
    QCOMPARE(paths.resolve("c:\\Maps\\X.BSP"), root + "/maps/x.bsp");
    QCOMPARE(paths.resolve("C:\\MAPS\\New.bsp"), root + "/maps/New.bsp");
    QCOMPARE(paths.resolve("c:\\scripts\\"), root + "/scripts");
    QCOMPARE(paths.resolve("/home/me/x.bsp"), QString("/home/me/x.bsp"));
#ifdef Q_OS_WIN
    // Here the user's own files have drive paths as well.
    QCOMPARE(paths.resolve("C:\\"), QString("C:\\"));
    QCOMPARE(paths.resolve("C:\\Users\\me\\maps\\x.bsp"), QString("C:\\Users\\me\\maps\\x.bsp"));
    QCOMPARE(paths.resolve("D:\\maps\\x.bsp"), QString("D:\\maps\\x.bsp"));
    QCOMPARE(paths.relativeToStagingRoot("C:\\Users\\me\\x.pk3"), QString());
#else
    QCOMPARE(paths.resolve("C:\\"), root);
    QCOMPARE(paths.resolve("D:\\out\\a.pk3"), dir.path() + "/drive_d/out/a.pk3");
#endif
    QCOMPARE(paths.relativeToStagingRoot("C:\\MAPS\\x.bsp"), QString("maps/x.bsp"));
    QCOMPARE(paths.relativeToStagingRoot("C:\\q3dm99.txt"), QString("q3dm99.txt"));
    QCOMPARE(paths.relativeToStagingRoot("D:\\x"), QString());
    QVERIFY(DrivePaths::isDrivePath("C:\\"));
    QVERIFY(!DrivePaths::isDrivePath("C:x"));
    QVERIFY(!DrivePaths::isDrivePath("/C:\\"));
}

void PlatformTest::drivePathsStayOnTheirDrive()
{
    QTemporaryDir dir;
    DrivePaths paths(dir.path(), stagingFolderNames());
    QCOMPARE(paths.resolve("C:\\maps\\..\\..\\etc\\passwd"), QString());
    QCOMPARE(paths.resolve("C:\\maps\\.\\x"), QString());
    LocalFileSystem files(paths);
    QVERIFY(!files.deleteFile("C:\\maps\\..\\..\\secret"));
    QVERIFY(!files.makeFolder("C:\\maps\\..\\..\\outside", nullptr));
    QVERIFY(!QFileInfo::exists(dir.path() + "/outside"));
}

void PlatformTest::splitCommandLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("programs"); // what exists
    QTest::addColumn<QString>("program");      // empty: nothing found
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("quoted arguments, double blanks")
        << "/opt/p\\zip.exe -j  -9 \"/o/a b.zip\" \"C:\\MAPS\\x.bsp\"" << QStringList{"/opt/p\\zip.exe"}
        << "/opt/p\\zip.exe" << QStringList{"-j", "-9", "/o/a b.zip", "C:\\MAPS\\x.bsp"};
    QTest::newRow("program path with blanks")
        << "/home/my user/bin\\zip.exe -9 \"x\"" << QStringList{"/home/my user/bin\\zip.exe"}
        << "/home/my user/bin\\zip.exe" << QStringList{"-9", "x"};
    QTest::newRow("shortest existing prefix wins")
        << "/a b c d" << QStringList{"/a b", "/a b c"} << "/a b" << QStringList{"c", "d"};
    QTest::newRow("quoted program") << "\"/my tools/zip\" -q" << QStringList{"/my tools/zip"} << "/my tools/zip"
                                    << QStringList{"-q"};
    QTest::newRow("no such program") << "/nowhere/zip.exe -9 x" << QStringList{} << "" << QStringList{};
    QTest::newRow("quotes glue pieces") << "/p a\"b c\"d \"\"" << QStringList{"/p"} << "/p"
                                        << QStringList{"ab cd", ""};
    QTest::newRow("nothing") << "   " << QStringList{"   "} << "" << QStringList{};
}

void PlatformTest::splitCommandLine()
{
    QFETCH(QString, line);
    QFETCH(QStringList, programs);
    QFETCH(QString, program);
    const auto split = corvane::splitCommandLine(line, [&](const QString &p) { return programs.contains(p); });
    QCOMPARE(split.has_value(), !program.isEmpty());
    if (split) {
        QCOMPARE(split->program, program);
        QTEST(split->arguments, "arguments");
    }
}

void PlatformTest::launcherHandsRelativePathsAndWorkingFolder()
{
    QTemporaryDir dir;
    write(dir.filePath("my tools/zip.exe"), "#!/bin/sh\npwd\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
    QFile::setPermissions(dir.filePath("my tools/zip.exe"), QFile::ReadOwner | QFile::ExeOwner);
    write(dir.filePath("data/drive_c/Maps/q3.bsp"), "x");
    DesktopPlatform platform({dir.filePath("conf.ini"), dir.filePath("data"), dir.filePath("my tools")});

    auto process = platform.launch(platform.programFolder() + "\\zip.exe -j  -9 \"/o/a b.pk3\" \"C:\\MAPS\\q3.bsp\" "
                                                              "\"C:\\x.txt\" \"C:\\-r.txt\" \"a;b$(id)\"",
                                   WindowStyle::NormalFocus);
    QVERIFY(process->started());
    QVERIFY(process->taskId() != 0);
    const ProcessOutcome outcome = process->waitForEnd("test");
    QVERIFY(outcome.succeeded());
    QCOMPARE(outcome.output, dir.filePath("data/drive_c") + "\n[-j]\n[-9]\n[/o/a b.pk3]\n[Maps/q3.bsp]\n[x.txt]\n[./-r.txt]\n"
                                                          "[a;b$(id)]\n");

    // A program folder given relative to here still names the same program,
    // although the program runs in the staging root.
    const QString relative = QDir::current().relativeFilePath(dir.filePath("my tools"));
    auto again = platform.launch(relative + "\\zip.exe -q", WindowStyle::NormalFocus);
    QVERIFY(again->started());
    QVERIFY(again->waitForEnd("test").succeeded());
}

void PlatformTest::launcherRefusesAMissingProgram()
{
    QTemporaryDir dir;
    write(dir.filePath("tools/zip.exe"), "not executable");
    DesktopPlatform platform({dir.filePath("conf.ini"), dir.filePath("data"), dir.filePath("tools")});
    for (const QString &line : {dir.filePath("tools") + "\\zip.exe -9 \"x\"", dir.filePath("none") + "\\zip.exe"}) {
        auto process = platform.launch(line, WindowStyle::NormalFocus);
        QVERIFY(!process->started());
        QCOMPARE(process->taskId(), qint64(0));
        QVERIFY(!process->waitForEnd("test").succeeded());
    }
}

// A write the file system refuses is reported in the system's words (here
// the file size limit; a full disk says "No space left on device").
void PlatformTest::copyFailureSaysWhatTheSystemSaid()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a file size limit");
#else
    QTemporaryDir dir;
    LocalFileSystem files{DrivePaths(dir.path(), stagingFolderNames())};
    const QString source = dir.filePath("src/big.bsp");
    write(source, QByteArray(64 * 1024, 'b'));
    QVERIFY(files.makeFolder("C:\\maps", nullptr));
    rlimit before{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit limited = before;
    limited.rlim_cur = 4096;
    std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    QString error;
    const bool copied = files.copyFile(source, "C:\\maps\\big.bsp", &error);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, SIG_DFL);
    QVERIFY(!copied);
    QCOMPARE(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
    QVERIFY(!files.fileExists("C:\\maps\\big.bsp"));
#endif
}

void PlatformTest::copyKeepsDateAndNeverHalfReplaces()
{
    QTemporaryDir dir;
    LocalFileSystem files{DrivePaths(dir.path(), stagingFolderNames())};
    const QString source = dir.filePath("src/a.bsp");
    write(source, "new content");
    const QDateTime old = QDateTime::currentDateTime().addDays(-30);
    {
        QFile f(source);
        QVERIFY(f.open(QIODevice::Append));
        QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    QVERIFY(files.makeFolder("C:\\maps", nullptr));
    QString error;
    QVERIFY(files.copyFile(source, "C:\\MAPS\\a.bsp", &error));
    const QString target = dir.filePath("drive_c/maps/a.bsp");
    QCOMPARE(QFileInfo(target).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    QVERIFY(files.fileExists("c:\\maps\\A.BSP"));
    QCOMPARE(files.fileLength("C:\\maps\\a.bsp"), std::optional<qint64>(11));

    // A missing source leaves the old target as it was.
    QVERIFY(!files.copyFile(dir.filePath("src/none.bsp"), "C:\\maps\\a.bsp", &error));
    QCOMPARE(error, QString("the file does not exist"));
    QFile check(target);
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("new content"));
    check.close(); // Windows deletes no file that is open
    QVERIFY(!files.removeEmptyFolder("C:\\maps"));
    QVERIFY(files.deleteFile("C:\\maps\\a.bsp"));
    QVERIFY(files.removeEmptyFolder("C:\\maps"));
    QVERIFY(!files.fileLength("").has_value());
}

void PlatformTest::qtNameFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one pattern") << "Map BSP Files (*.bsp)|*.bsp" << "Map BSP Files (*.bsp) (*.bsp)";
    QTest::newRow("two patterns") << "Levelshots (*.tga;*.jpg)|*.tga;*.jpg" << "Levelshots (*.tga;*.jpg) (*.tga *.jpg)";
    QTest::newRow("no bar") << "All (*)" << "All (*)";
}

void PlatformTest::qtNameFilter()
{
    QFETCH(QString, filter);
    QTEST(toQtNameFilter(filter), "expected");
}

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
