#include "platform/FileFilter.h"

#include <QStringList>

namespace corvane {

QString toQtNameFilter(const QString &filter)
{
    const int bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return filter;
    const QString description = filter.left(bar);
    QStringList patterns = filter.mid(bar + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString &pattern : patterns)
        pattern = pattern.trimmed();
    // Qt takes the patterns from the last parenthesised group, split at blanks;
    // the description's own "(…;…)" stays visible with HideNameFilterDetails.
    return description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

} // namespace corvane
