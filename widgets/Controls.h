#pragma once

#include <QRect>
#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace corvane {

// Every control carries its design name as its objectName.
template <typename Widget>
Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A label at (left, top) twips that sizes itself to its caption; with a
// rightLimit (twips) it stops short of the control beside it.
QLabel *captionLabel(QWidget *parent, const char *name, const QString &caption, int left, int top, int rightLimit = 0);
// A label whose text wraps inside the given twips rectangle.
QLabel *wrappedLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry);
// A push button that Enter presses only when it has the focus; its accessible
// name is its caption without the mnemonic.
QPushButton *pushButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry);
// The dialogs' bold default button.
QPushButton *boldButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry);
// A text box the user cannot type into, with an empty Tag.
QLineEdit *lockedBox(QWidget *parent, const char *name, const QRect &geometry);
QGroupBox *frame(QWidget *parent, const char *name, const QString &caption, const QRect &geometry);
// The small product picture the windows share.
QLabel *smallPicture(QWidget *parent, int left, int top);

} // namespace corvane
