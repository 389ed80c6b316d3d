#pragma once

#include <QString>

namespace corvane {

// Turns a filter of the form "description|pattern;pattern" into the form Qt
// reads, "description (pattern pattern)", keeping the description as shown.
QString toQtNameFilter(const QString &filter);

} // namespace corvane
