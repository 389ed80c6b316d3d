#pragma once

#include "package/PackageDescription.h"

#include <QString>

class QLabel;

namespace corvane {

class Platform;

// The "File Sizes" labels.
struct SizeLabels {
    QLabel *cursize = nullptr;
    QLabel *zipsize = nullptr;
    QLabel *downloadtime = nullptr;
};

// Fills the labels with the total size of the slot files, the guessed
// compressed size and its download time at 33.6 kbit/s. Slots without an
// existing file add nothing; with no file at all the labels show "[value]".
void estimateSizes(Platform &platform, const SizeLabels &labels, const FileSlots &files);

// A double as decimal text: up to 15 significant digits, no trailing zeros,
// "0." before a fraction below 1, exponent form ("1E-05") only for very small
// or very large values. Reads back with QString::toDouble.
QString numberText(double value);
// The same, never in exponent form, for showing.
QString plainNumberText(double value);
// The text's first `length` characters, but never fewer than its digits
// before the decimal point.
QString leadingCharacters(const QString &text, int length);

} // namespace corvane
