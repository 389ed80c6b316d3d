#pragma once

#include <QRect>

namespace corvane {

// Window geometry is designed in twips: 15 to a device-independent pixel.
constexpr int twips(int value)
{
    return (value + 7) / 15;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace corvane
