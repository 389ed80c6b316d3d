#include "widgets/WrappedOptionButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace corvane {

WrappedOptionButton::WrappedOptionButton(const QString &caption, QWidget *parent)
    : QRadioButton(caption, parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

int WrappedOptionButton::indicatorSpace() const
{
    return style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this)
        + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, this) + 2;
}

QSize WrappedOptionButton::sizeHint() const
{
    const QSize caption = fontMetrics().size(0, text());
    return QSize(indicatorSpace() + caption.width(), qMax(caption.height(), QRadioButton::sizeHint().height()));
}

QSize WrappedOptionButton::minimumSizeHint() const
{
    return QSize(indicatorSpace() + fontMetrics().averageCharWidth() * 4, QRadioButton::minimumSizeHint().height());
}

int WrappedOptionButton::heightForWidth(int width) const
{
    const QRect room(0, 0, qMax(1, width - indicatorSpace()), 10000);
    return fontMetrics().boundingRect(room, flags, text()).height();
}

bool WrappedOptionButton::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void WrappedOptionButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();

    QStyleOptionButton indicator = option;
    const int side = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, this);
    const int sideHeight = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &option, this);
    indicator.rect = QRect(1, (height() - sideHeight) / 2, side, sideHeight);
    painter.drawPrimitive(QStyle::PE_IndicatorRadioButton, indicator);

    const QRect room = rect().adjusted(indicatorSpace(), 0, 0, 0);
    painter.drawItemText(room, flags, palette(), isEnabled(), text(), QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = fontMetrics().boundingRect(room, flags, text()).adjusted(-1, 0, 1, 0) & rect();
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace corvane
