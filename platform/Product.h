#pragma once

#include <QString>

namespace corvane {

// The product's name: message-box titles, the settings store's organisation
// and application, the picture's accessible name.
inline QString productName()
{
    return QStringLiteral("Corvane");
}

} // namespace corvane
