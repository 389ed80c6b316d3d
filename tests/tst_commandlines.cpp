// The archiver command lines, compared as whole strings.
#include "packaging/CommandLines.h"

#include <QtTest>

using namespace corvane;

Q_DECLARE_METATYPE(corvane::ArchiverInputs)

namespace {

// The staged copies of a build, in copy order; an empty shader is not staged.
std::vector<StagedCopy> staged(const QString &shader1, const QString &shader2 = {})
{
    std::vector<StagedCopy> copies{
        {Slot::Levelshot, stagedPath(Slot::Levelshot, "q3dm99.jpg")},
        {Slot::AAS, stagedPath(Slot::AAS, "q3dm99.aas")},
        {Slot::BSP, stagedPath(Slot::BSP, "q3dm99.bsp")},
        {Slot::ReadmeFile, stagedPath(Slot::ReadmeFile, "q3dm99.txt")},
        {Slot::ArenaFile, stagedPath(Slot::ArenaFile, "q3dm99.arena")},
    };
    if (!shader1.isEmpty())
        copies.push_back({Slot::Shader1, stagedPath(Slot::Shader1, shader1)});
    if (!shader2.isEmpty())
        copies.push_back({Slot::Shader2, stagedPath(Slot::Shader2, shader2)});
    return copies;
}

ArchiverInputs example()
{
    ArchiverInputs in;
    in.programFolder = "C:\\Tools\\Packager";
    in.compression = compressionSwitch("2");
    in.saveLocation = "D:\\out\\";
    in.shortName = "q3dm99";
    in.staged = staged("q3dm99.shader");
    in.readmeInPackage = true;
    in.readmePath = "D:\\src\\q3dm99.txt";
    return in;
}

} // namespace

class CommandLinesTest : public QObject {
    Q_OBJECT

private slots:
    void compressionSwitch_data();
    void compressionSwitch();
    void firstLine_data();
    void firstLine();
    void secondLine_data();
    void secondLine();
};

void CommandLinesTest::compressionSwitch_data()
{
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("expected");
    QTest::newRow("never confirmed") << "" << " ";
    QTest::newRow("0") << "0" << " -0 ";
    QTest::newRow("1") << "1" << " ";
    QTest::newRow("2") << "2" << " -9 ";
    QTest::newRow("7") << "7" << " ";
    QTest::newRow("padded 2") << " 2" << " ";
}

void CommandLinesTest::compressionSwitch()
{
    QFETCH(QString, level);
    QTEST(corvane::compressionSwitch(level), "expected");
}

void CommandLinesTest::firstLine_data()
{
    QTest::addColumn<ArchiverInputs>("inputs");
    QTest::addColumn<QString>("expected");

    QTest::newRow("example") << example()
                             << "C:\\Tools\\Packager\\zip.exe -9 \"D:\\out\\q3dm99.pk3\" \"C:\\LEVELSHOTS\\q3dm99.jpg\" "
                                "\"C:\\MAPS\\q3dm99.aas\" \"C:\\MAPS\\q3dm99.bsp\" \"C:\\q3dm99.txt\" "
                                "\"C:\\scripts\\q3dm99.arena\" \"C:\\scripts\\q3dm99.shader\"";

    ArchiverInputs noReadme = example();
    noReadme.readmeInPackage = false;
    noReadme.compression = corvane::compressionSwitch("0");
    QTest::newRow("readme left out, stored") << noReadme
                             << "C:\\Tools\\Packager\\zip.exe -0 \"D:\\out\\q3dm99.pk3\" \"C:\\LEVELSHOTS\\q3dm99.jpg\" "
                                "\"C:\\MAPS\\q3dm99.aas\" \"C:\\MAPS\\q3dm99.bsp\" "
                                "\"C:\\scripts\\q3dm99.arena\" \"C:\\scripts\\q3dm99.shader\"";

    ArchiverInputs noShaders = example();
    noShaders.staged = staged({});
    noShaders.compression = corvane::compressionSwitch("1");
    QTest::newRow("no shaders, default level") << noShaders
                             << "C:\\Tools\\Packager\\zip.exe \"D:\\out\\q3dm99.pk3\" \"C:\\LEVELSHOTS\\q3dm99.jpg\" "
                                "\"C:\\MAPS\\q3dm99.aas\" \"C:\\MAPS\\q3dm99.bsp\" \"C:\\q3dm99.txt\" "
                                "\"C:\\scripts\\q3dm99.arena\"";

    ArchiverInputs secondShaderOnly = example();
    secondShaderOnly.staged = staged({}, "sky.shader");
    QTest::newRow("second shader only") << secondShaderOnly
                             << "C:\\Tools\\Packager\\zip.exe -9 \"D:\\out\\q3dm99.pk3\" \"C:\\LEVELSHOTS\\q3dm99.jpg\" "
                                "\"C:\\MAPS\\q3dm99.aas\" \"C:\\MAPS\\q3dm99.bsp\" \"C:\\q3dm99.txt\" "
                                "\"C:\\scripts\\q3dm99.arena\" \"C:\\scripts\\sky.shader\"";

    ArchiverInputs native = example();
    native.programFolder = "/opt/my tools";
    native.saveLocation = "/home/me/maps/";
    native.shortName = "my_map";
    QTest::newRow("native folders") << native
                             << "/opt/my tools\\zip.exe -9 \"/home/me/maps/my_map.pk3\" \"C:\\LEVELSHOTS\\q3dm99.jpg\" "
                                "\"C:\\MAPS\\q3dm99.aas\" \"C:\\MAPS\\q3dm99.bsp\" \"C:\\q3dm99.txt\" "
                                "\"C:\\scripts\\q3dm99.arena\" \"C:\\scripts\\q3dm99.shader\"";
}

void CommandLinesTest::firstLine()
{
    QFETCH(ArchiverInputs, inputs);
    QTEST(firstCommandLine(inputs), "expected");
}

void CommandLinesTest::secondLine_data()
{
    QTest::addColumn<ArchiverInputs>("inputs");
    QTest::addColumn<QString>("expected");

    QTest::newRow("example") << example()
                             << "C:\\Tools\\Packager\\zip.exe -j  -9 \"D:\\out\\q3dm99.zip\" \"D:\\out\\q3dm99.pk3\" "
                                "\"D:\\src\\q3dm99.txt\"";
    ArchiverInputs level1 = example();
    level1.compression = corvane::compressionSwitch("1");
    QTest::newRow("level 1 keeps two blanks") << level1
                             << "C:\\Tools\\Packager\\zip.exe -j  \"D:\\out\\q3dm99.zip\" \"D:\\out\\q3dm99.pk3\" "
                                "\"D:\\src\\q3dm99.txt\"";
    ArchiverInputs readmeOutside = example();
    readmeOutside.readmeInPackage = false;
    QTest::newRow("readme goes in whatever the switch") << readmeOutside
                             << "C:\\Tools\\Packager\\zip.exe -j  -9 \"D:\\out\\q3dm99.zip\" \"D:\\out\\q3dm99.pk3\" "
                                "\"D:\\src\\q3dm99.txt\"";
}

void CommandLinesTest::secondLine()
{
    QFETCH(ArchiverInputs, inputs);
    QTEST(secondCommandLine(inputs), "expected");
}

QTEST_APPLESS_MAIN(CommandLinesTest)
#include "tst_commandlines.moc"
