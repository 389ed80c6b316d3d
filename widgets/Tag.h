#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

namespace corvane {

// The hidden "Tag" string that text boxes, buttons and menus carry.
inline QString tagOf(const QObject *object)
{
    return object->property("Tag").toString();
}

inline void setTag(QObject *object, const QString &value)
{
    object->setProperty("Tag", value);
}

} // namespace corvane
