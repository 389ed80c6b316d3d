#include "packaging/CommandLines.h"

namespace corvane {

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
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
        + quoted(in.saveLocation + in.shortName + QStringLiteral(".pk3"));
    for (const StagedCopy &copy : in.staged) {
        if (copy.slot == Slot::ReadmeFile && !in.readmeInPackage)
            continue;
        line += QLatin1Char(' ') + quoted(copy.path);
    }
    return line;
}

QString secondCommandLine(const ArchiverInputs &in)
{
    return in.programFolder + QStringLiteral("\\zip.exe -j ") + in.compression
        + quoted(in.saveLocation + in.shortName + QStringLiteral(".zip")) + QLatin1Char(' ')
        + quoted(in.saveLocation + in.shortName + QStringLiteral(".pk3")) + QLatin1Char(' ') + quoted(in.readmePath);
}

// zip.exe's own rule (archiver/zip_temporary_name.h).
QString archiverTemporaryFile(const QString &archivePath, qint64 archiverTaskId)
{
    return archivePath + QStringLiteral(".zi%1.tmp").arg(archiverTaskId);
}

} // namespace corvane
