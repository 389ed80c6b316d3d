#include "platform/CommandLine.h"

namespace corvane {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

QStringList splitArguments(const QString &text)
{
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool haveArgument = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            haveArgument = true;
        } else if (isBlank(c) && !inQuotes) {
            if (haveArgument)
                arguments << current;
            current.clear();
            haveArgument = false;
        } else {
            current += c;
            haveArgument = true;
        }
    }
    if (haveArgument)
        arguments << current;
    return arguments;
}

std::optional<SplitCommand> splitCommandLine(const QString &commandLine,
                                             const std::function<bool(const QString &)> &isProgram)
{
    int start = 0;
    while (start < commandLine.size() && isBlank(commandLine.at(start)))
        ++start;
    if (start == commandLine.size())
        return std::nullopt;

    if (commandLine.at(start) == QLatin1Char('"')) {
        const int close = commandLine.indexOf(QLatin1Char('"'), start + 1);
        const int end = close < 0 ? commandLine.size() : close;
        const QString program = commandLine.mid(start + 1, end - start - 1);
        if (!isProgram(program))
            return std::nullopt;
        return SplitCommand{program, splitArguments(commandLine.mid(end + 1))};
    }

    // Unquoted: each blank ends a candidate program path, shortest first.
    for (int end = start; end <= commandLine.size(); ++end) {
        if (end < commandLine.size() && !isBlank(commandLine.at(end)))
            continue;
        if (end > start && !isBlank(commandLine.at(end - 1))) {
            const QString candidate = commandLine.mid(start, end - start);
            if (candidate.contains(QLatin1Char('"')))
                return std::nullopt;
            if (isProgram(candidate))
                return SplitCommand{candidate, splitArguments(commandLine.mid(end))};
        }
    }
    return std::nullopt;
}

} // namespace corvane
