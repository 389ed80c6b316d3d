// Damaged and hostile archives, each through zip.exe (as the package it is to
// update) and through the archive check (as if an archiver had left it).
#include "CraftedZip.h"
#include "TestFiles.h"
#include "packaging/ArchiveCheck.h"
#include "platform/ZipInspection.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace corvane;

namespace {

const QByteArray bsp = noisyText(40000);
const QByteArray arena = "{ map \"q3dm99\" }\n";
const QByteArray shot(3000, '\xd8');

CraftedZip healthy()
{
    CraftedZip zip;
    zip.add("levelshots/q3dm99.jpg", shot).add("maps/q3dm99.bsp", bsp, true).add("scripts/q3dm99.arena", arena, true);
    return zip;
}

QByteArray withZip64EndRecord(quint64 entries)
{
    CraftedZip zip = healthy();
    QByteArray bytes = zip.bytes();
    const qsizetype end = zip.endRecord();
    QByteArray record(56 + 20, '\0');
    put32(record, 0, 0x06064b50);
    put32(record, 4, 44); // what follows the size field
    put16(record, 12, 45);
    put16(record, 14, 45);
    put32(record, 24, quint32(entries));
    put32(record, 32, quint32(entries));
    put32(record, 48, quint32(end)); // an empty directory, right before this record
    put32(record, 56, 0x07064b50);
    put32(record, 64, quint32(end));
    put32(record, 72, 1);
    bytes.insert(end, record);
    return bytes;
}

struct Damage {
    const char *row;
    std::function<QByteArray()> make;
    int zipExit;           // what zip.exe ends with when asked to add a file to it
    const char *zipSays;   // in its error output
    const char *checkSays; // in the check's finding; empty when it passes
};

const QList<Damage> &damages()
{
    static const QList<Damage> table{
        {"healthy", [] { return healthy().bytes(); }, 0, "", ""},
        {"extra block longer than its field",
         [] {
             CraftedZip zip = healthy();
             zip.entries[1].centralExtra = QByteArray("\x55\x54\xfc\xff" "abcd", 8);
             return zip.bytes();
         },
         3, "has a damaged extra field", "its extra field is damaged"},
        {"zip64 end record counting no entries", [] { return withZip64EndRecord(0); }, 3,
         "its end record and its zip64 end record disagree", "needs zip64"},
        {"end record counting one entry fewer",
         [] {
             CraftedZip zip = healthy();
             QByteArray bytes = zip.bytes();
             put16(bytes, zip.endRecord() + 8, 2);
             put16(bytes, zip.endRecord() + 10, 2);
             return bytes;
         },
         3, "holds more than the 2 entries its end record counts", "holds more than the 2 entries"},
        {"two archives joined", [] { return healthy().bytes() + healthy().bytes(); }, 3,
         "bytes of something else before its entries", "bytes before its entries that belong to none"},
        {"deflated entry declared empty",
         [] {
             CraftedZip zip = healthy();
             QByteArray bytes = zip.bytes();
             for (const qsizetype header : {zip.localHeader(1) + 14, zip.centralHeader(1) + 16}) {
                 put32(bytes, header, 0);     // CRC
                 put32(bytes, header + 8, 0); // size
             }
             return bytes;
         },
         3, "maps/q3dm99.bsp\" of", "it unpacks to more than its declared 0 bytes"},
        {"flipped bit ends the deflate stream early",
         [] {
             CraftedZip zip;
             zip.add("maps/q3dm99.bsp", bsp, true);
             zip.entries[0].deflateBlock = 8000;
             QByteArray bytes = zip.bytes();
             const qsizetype data = zip.localHeader(0) + 30 + zip.entries[0].name.size();
             bytes[data] = char(bytes[data] | 1); // the first block becomes the last
             return bytes;
         },
         3, "is damaged", "its data goes on after its deflate stream ends"},
        {"stored entry with a bad CRC",
         [] {
             CraftedZip zip = healthy();
             QByteArray bytes = zip.bytes();
             bytes[zip.localHeader(0) + 30 + 21 + 100] = 'X';
             return bytes;
         },
         3, "levelshots/q3dm99.jpg\" of", "its data fails the CRC check"},
        {"NUL in a name",
         [] {
             CraftedZip zip = healthy();
             zip.add(QByteArray("maps/q3dm99.bsp\0.txt", 20), "hidden");
             return zip.bytes();
         },
         3, "has a NUL byte in its name", "its name holds a NUL byte"},
        {"local header for another name",
         [] {
             CraftedZip zip = healthy();
             QByteArray bytes = zip.bytes();
             bytes[zip.localHeader(2) + 30] = 'S';
             return bytes;
         },
         3, "has a local header for another name", "its local header has another name"},
        {"entries overlapping",
         [] {
             CraftedZip zip;
             zip.add("maps/q3dm99.bsp", bsp, true).add("maps/q3dm99.bsp", bsp, true);
             QByteArray bytes = zip.bytes();
             put32(bytes, zip.centralHeader(1) + 42, 0);
             return bytes;
         },
         3, "overlap", "overlap"},
        {"comment holding an end record",
         [] {
             CraftedZip zip = healthy();
             zip.comment = QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0');
             return zip.bytes();
         },
         3, "its comment holds a second end-of-directory record", "its comment holds a second end record"},
        {"entry asking for a newer zip reader",
         [] {
             CraftedZip zip = healthy();
             QByteArray bytes = zip.bytes();
             put16(bytes, zip.localHeader(0) + 4, 45);
             put16(bytes, zip.centralHeader(0) + 6, 45);
             return bytes;
         },
         0, "", "asks for a zip reader of version 4.5"},
        {"bzip2 entry",
         [] {
             CraftedZip zip = healthy();
             QByteArray bytes = zip.bytes();
             put16(bytes, zip.localHeader(2) + 8, 12);
             put16(bytes, zip.centralHeader(2) + 10, 12);
             return bytes;
         },
         3, "uses compression method 12", "uses compression method 12"},
    };
    return table;
}

QString checkFinding(const QString &path)
{
    const ZipReport report = inspectZipFile(path, ZipDepth::Whole);
    return archiveProblem(path, std::nullopt, FileStamp{1, 1, 1}, report, {}, {}).value_or(QString());
}

} // namespace

class DamagedArchivesTest : public QObject {
    Q_OBJECT

private slots:
    void zipExeAndCheck_data();
    void zipExeAndCheck();
    void zip64FromInfoZipIsCarriedPlain();
};

void DamagedArchivesTest::zipExeAndCheck_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < damages().size(); ++i)
        QTest::newRow(damages()[i].row) << i;
}

void DamagedArchivesTest::zipExeAndCheck()
{
    QFETCH(int, index);
    const Damage &damage = damages()[index];
    QTemporaryDir dir;
    const QString archive = dir.filePath("out/q3dm99.pk3");
    const QByteArray bytes = damage.make();
    write(archive, bytes);
    write(dir.filePath("stage/new.txt"), "added now\n");

    // As the finished package of an archiver run.
    const QString finding = checkFinding(archive);
    if (QByteArray(damage.checkSays).isEmpty())
        QCOMPARE(finding, QString());
    else
        QVERIFY2(finding.contains(QLatin1String(damage.checkSays)), qPrintable(finding));

    // As the package zip.exe is to update.
    QProcess zip;
    zip.setWorkingDirectory(dir.filePath("stage"));
    zip.start(QStringLiteral(CORVANE_BINARY_DIR "/zip.exe"), {"-q", archive, "new.txt"});
    QVERIFY(zip.waitForFinished(60000));
    const QString errors = QString::fromUtf8(zip.readAllStandardError());
    QCOMPARE(zip.exitCode(), damage.zipExit);
    QVERIFY2(errors.contains(QLatin1String(damage.zipSays)), qPrintable(errors));
    QCOMPARE(QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"q3dm99.pk3"});
    if (damage.zipExit != 0) {
        QCOMPARE(readAll(archive), bytes);
        return;
    }
    // Every old entry carried, byte for byte, and the new one added.
    QProcess unzip;
    unzip.start("unzip", {"-Z1", archive});
    QVERIFY(unzip.waitForFinished());
    QCOMPARE(QString::fromUtf8(unzip.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
             QStringList({"levelshots/q3dm99.jpg", "maps/q3dm99.bsp", "scripts/q3dm99.arena", "new.txt"}));
    const QList<QPair<QString, QByteArray>> contents{
        {"levelshots/q3dm99.jpg", shot}, {"maps/q3dm99.bsp", bsp}, {"scripts/q3dm99.arena", arena},
        {"new.txt", "added now\n"}};
    for (const auto &[name, content] : contents) {
        unzip.start("unzip", {"-p", archive, name});
        QVERIFY(unzip.waitForFinished());
        QCOMPARE(unzip.readAllStandardOutput(), content);
    }
    QCOMPARE(checkFinding(archive), QString());
}

// A zip64 archive whose entries fit plain zip: its entries are carried
// without their zip64 blocks, and the package is one the game reads.
void DamagedArchivesTest::zip64FromInfoZipIsCarriedPlain()
{
    QTemporaryDir dir;
    write(dir.filePath("stage/maps/q3dm99.bsp"), bsp);
    write(dir.filePath("stage/new.txt"), "added now\n");
    const QString archive = dir.filePath("q3dm99.pk3");
    QProcess zip;
    zip.setWorkingDirectory(dir.filePath("stage"));
    zip.start("zip", {"-q", "-fz", archive, "maps/q3dm99.bsp"});
    QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
    QVERIFY(checkFinding(archive).contains("needs zip64"));

    zip.start(QStringLiteral(CORVANE_BINARY_DIR "/zip.exe"), {"-q", archive, "new.txt"});
    QVERIFY(zip.waitForFinished());
    QCOMPARE(zip.exitCode(), 0);
    QCOMPARE(checkFinding(archive), QString());
    QProcess unzip;
    unzip.start("unzip", {"-p", archive, "maps/q3dm99.bsp"});
    QVERIFY(unzip.waitForFinished());
    QCOMPARE(unzip.readAllStandardOutput(), bsp);
}

QTEST_MAIN(DamagedArchivesTest)
#include "tst_damaged_archives.moc"
