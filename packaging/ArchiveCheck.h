#pragma once

#include "platform/Platform.h"

#include <QStringList>

#include <optional>

namespace corvane {

// What a finished archiver run must have left: an archive at its path,
// written by this run, that the game reads whole (no zip64; stored and
// deflated entries only, every one unpacking to its size and CRC), holding
// every expected entry and every entry the archive there held before. The
// first check that fails, said for the user; nothing when all pass.
std::optional<QString> archiveProblem(const QString &shownPath, const std::optional<FileStamp> &before,
                                      const std::optional<FileStamp> &after, const ZipReport &report,
                                      const QStringList &expectedEntries, const QStringList &earlierEntries);

} // namespace corvane
