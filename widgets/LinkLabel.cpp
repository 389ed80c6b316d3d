#include "widgets/LinkLabel.h"

#include <QEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace corvane {

LinkLabel::LinkLabel(const QString &text, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    QFont look = font();
    look.setBold(true);
    look.setUnderline(true);
    setFont(look);
    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setColor(group, QPalette::WindowText, QColor(0, 0, 255));
    setPalette(colours);
    adjustSize();
}

QSize LinkLabel::sizeHint() const
{
    return fontMetrics().size(Qt::TextSingleLine, text()) + QSize(2, 0);
}

void LinkLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        adjustSize();
    QAbstractButton::changeEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace corvane
