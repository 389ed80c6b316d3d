#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace corvane {

struct SplitCommand {
    QString program; // as written, quotes removed
    QStringList arguments;
};

// Splits one command line the way Windows does: double quotes group an
// argument and are removed, blanks separate; an unquoted program path that
// contains blanks is resolved by trying the blank-separated prefixes,
// shortest first, until isProgram accepts one. No program: nullopt.
std::optional<SplitCommand> splitCommandLine(const QString &commandLine,
                                             const std::function<bool(const QString &)> &isProgram);

// The arguments after the program: quotes group and are removed.
QStringList splitArguments(const QString &text);

} // namespace corvane
