#include "packaging/CommandLines.h"

namespace corvane {

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString staged(const char *prefix, const QString &name)
{
    return QLatin1Char(' ') + quoted(QLatin1String(prefix) + name);
}

} // namespace

QString compressionSwitch(const QString &level)
{
    if (level == QLatin1String("0"))
        return QStringLiteral(" -0 ");
    if (level == QLatin1String("2"))
        return QStringLiteral(" -9 ");
    return QStringLiteral(" ");
}

QString firstCommandLine(const ArchiverInputs &in)
{
    QString line = in.programFolder + QStringLiteral("\\zip.exe") + in.compression
        + quoted(in.saveLocation + in.shortName + QStringLiteral(".pk3"))
        + staged("C:\\LEVELSHOTS\\", in.levelshot)
        + staged("C:\\MAPS\\", in.aas)
        + staged("C:\\MAPS\\", in.bsp);
    if (in.readmeInPackage)
        line += staged("C:\\", in.readme);
    line += staged("C:\\scripts\\", in.arena);
    if (!in.shader1.isEmpty())
        line += staged("C:\\scripts\\", in.shader1);
    if (!in.shader2.isEmpty())
        line += staged("C:\\scripts\\", in.shader2);
    return line;
}

QString secondCommandLine(const ArchiverInputs &in)
{
    return in.programFolder + QStringLiteral("\\zip.exe -j ") + in.compression
        + quoted(in.saveLocation + in.shortName + QStringLiteral(".zip")) + QLatin1Char(' ')
        + quoted(in.saveLocation + in.shortName + QStringLiteral(".pk3")) + QLatin1Char(' ')
        + quoted(in.readmePath);
}

} // namespace corvane
