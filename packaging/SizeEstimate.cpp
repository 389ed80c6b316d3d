#include "packaging/SizeEstimate.h"

#include "package/SlotFacts.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QLineEdit>

#include <cmath>

namespace corvane {

namespace {

// Every intermediate total is kept as it would be shown: rounded to 15
// significant digits. 3 MiB of levelshot at 0.7 is 2.1 MiB, not 2.0999….
double settled(double value)
{
    return numberText(value).toDouble();
}

} // namespace

QString numberText(double value)
{
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    return text;
}

QString plainNumberText(double value)
{
    const QString text = numberText(value);
    if (!text.contains(QLatin1Char('E')) || !std::isfinite(value))
        return text;
    // Fixed notation with the same 15 significant digits, trailing zeros dropped.
    const int exponent = value == 0.0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    QString fixed = QString::number(value, 'f', qMax(0, 14 - exponent));
    if (fixed.contains(QLatin1Char('.'))) {
        while (fixed.endsWith(QLatin1Char('0')))
            fixed.chop(1);
        if (fixed.endsWith(QLatin1Char('.')))
            fixed.chop(1);
    }
    return fixed;
}

QString leadingCharacters(const QString &text, int length)
{
    int wholeDigits = text.indexOf(QLatin1Char('.'));
    if (wholeDigits < 0)
        wholeDigits = text.size();
    return text.left(qMax(length, wholeDigits));
}

void estimateSizes(Platform &platform, const SizeLabels &labels, const FileSlots &files)
{
    double total = 0.0;
    double compressed = 0.0;
    bool anyFile = false;
    for (const Slot slot : estimateOrder) {
        const QString path = slotPath(slotBox(files, slot));
        const double factor = factsOf(slot).estimateFactor;
        if (path.isEmpty())
            continue;
        const std::optional<qint64> length = platform.fileLength(path);
        if (!length)
            continue;
        anyFile = true;
        total = settled(total + static_cast<double>(*length));
        compressed = settled(compressed + static_cast<double>(*length) * factor);
    }

    if (!anyFile) {
        labels.cursize->setText(QStringLiteral("[value] MB"));
        labels.zipsize->setText(QStringLiteral("[value] MB"));
        labels.downloadtime->setText(QStringLiteral("[value] mins at 33.6"));
        return;
    }

    total = settled(settled(total / 1024) / 1024);
    compressed = settled(compressed / 1024);
    const double minutes = compressed / 336;
    compressed = settled(compressed / 1024);

    labels.downloadtime->setText(leadingCharacters(plainNumberText(minutes), 3) + QStringLiteral(" mins at 33.6"));
    labels.cursize->setText(leadingCharacters(plainNumberText(total), 4) + QStringLiteral(" MB"));
    labels.zipsize->setText(leadingCharacters(plainNumberText(compressed), 4) + QStringLiteral(" MB"));
}

} // namespace corvane
