#pragma once

#include <QString>

namespace corvane {

// The project's web page: shown on the About box and opened by both launches.
inline QString projectWebAddress()
{
    return QStringLiteral("https://corvane.example.org/");
}

inline QString feedbackAddress()
{
    return QStringLiteral("feedback@corvane.example.org");
}

} // namespace corvane
