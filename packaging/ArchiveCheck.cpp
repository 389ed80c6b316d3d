#include "packaging/ArchiveCheck.h"

#include <algorithm>

namespace corvane {

std::optional<QString> archiveProblem(const QString &shownPath, const std::optional<FileStamp> &before,
                                      const std::optional<FileStamp> &after, const ZipReport &report,
                                      const QStringList &expectedEntries, const QStringList &earlierEntries)
{
    const QString archive = QLatin1Char('"') + shownPath + QLatin1Char('"');
    if (!after)
        return QStringLiteral("There is no archive at %1.").arg(archive);
    if (before && *before == *after)
        return QStringLiteral("%1 is the file that was there before the archiver started.").arg(archive);
    // Zip64 first: it is the real reason a zip64 archive reads oddly.
    if (report.zip64)
        return QStringLiteral("%1 needs zip64, which the game cannot read.").arg(archive);
    if (!report.problem.isEmpty())
        return QStringLiteral("%1 cannot be read: %2.").arg(archive, report.problem);
    for (const ZipEntryReport &entry : report.entries) {
        if (entry.method != 0 && entry.method != 8) {
            return QStringLiteral("The entry \"%1\" of %2 uses compression method %3; the game reads only stored "
                                  "and deflated entries.")
                .arg(entry.name, archive)
                .arg(entry.method);
        }
        if (!entry.problem.isEmpty())
            return QStringLiteral("The entry \"%1\" of %2 is damaged: %3.").arg(entry.name, archive, entry.problem);
    }
    // The game finds files whatever their letter case.
    for (const QString &expected : expectedEntries) {
        const bool held = std::any_of(report.entries.cbegin(), report.entries.cend(), [&](const ZipEntryReport &e) {
            return e.name.compare(expected, Qt::CaseInsensitive) == 0;
        });
        if (!held)
            return QStringLiteral("%1 does not hold the entry \"%2\".").arg(archive, expected);
    }
    // The archiver carries them over by their exact names.
    const QStringList names = report.names();
    for (const QString &earlier : earlierEntries) {
        if (!names.contains(earlier))
            return QStringLiteral("%1 no longer holds the entry \"%2\" that it held before.").arg(archive, earlier);
    }
    return std::nullopt;
}

} // namespace corvane
