#include "package/PackageDescription.h"

#include "widgets/Tag.h"

#include <QLineEdit>

namespace corvane {

QString trimBlanks(const QString &text)
{
    int first = 0;
    int last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

QString slotText(const QLineEdit *slot)
{
    return slot->text();
}

QString slotPath(const QLineEdit *slot)
{
    return tagOf(slot);
}

void setSlot(QLineEdit *slot, const QString &text, const QString &path)
{
    slot->setText(text);
    setTag(slot, path);
}

} // namespace corvane
