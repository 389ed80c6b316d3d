#include "widgets/CaptionFit.h"

#include "widgets/WrappedOptionButton.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

namespace corvane {

namespace {

// Below this the face becomes hard to read; a caption that still does not
// fit then shows clipped rather than illegible.
constexpr int narrowestStretch = 70;

// The rectangle the button's style draws its caption in.
QRect contentsOf(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (button->isFlat())
        option.features |= QStyleOptionButton::Flat;
    if (button->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    if (button->isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
}

// Whether the drawn text of a one-line label, tall glyphs such as brackets
// included, lies inside it: a face's ink may reach beyond its line height.
bool inkFits(const QLabel *label)
{
    const QFontMetrics metrics = label->fontMetrics();
    const QRect room = label->contentsRect();
    const Qt::Alignment vertical = label->alignment() & Qt::AlignVertical_Mask;
    const int lineTop = vertical == Qt::AlignTop      ? room.top()
                        : vertical == Qt::AlignBottom ? room.bottom() + 1 - metrics.height()
                                                      : room.top() + (room.height() - metrics.height()) / 2;
    const QRect ink = metrics.boundingRect(label->text()).translated(0, lineTop + metrics.ascent());
    return ink.top() >= room.top() && ink.bottom() <= room.bottom();
}

// For a push button smaller than the style's margins allow for (the "..."
// choosers, 17 by 16 pixels): its caption may use the whole face inside the
// frame. Styles differ in their margins, so without it the caption shows on
// one system and is clipped away on another.
class SmallButtonStyle : public QProxyStyle {
public:
    QRect subElementRect(SubElement element, const QStyleOption *option, const QWidget *widget) const override
    {
        if (element == SE_PushButtonContents)
            return option->rect.adjusted(1, 1, -1, -1);
        return QProxyStyle::subElementRect(element, option, widget);
    }

    // The base style would lay the caption out in its own contents rectangle.
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
        if (element != CE_PushButton || !button) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        proxy()->drawControl(CE_PushButtonBevel, button, painter, widget);
        QStyleOptionButton label = *button;
        label.rect = subElementRect(SE_PushButtonContents, button, widget);
        proxy()->drawControl(CE_PushButtonLabel, &label, painter, widget);
        if (button->state & State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(*button);
            focus.rect = label.rect;
            proxy()->drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
        }
    }
};

} // namespace

QFont designFont(qreal pointSize, bool bold)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

bool captionFits(const QWidget *control)
{
    if (const auto *wrapped = qobject_cast<const WrappedOptionButton *>(control))
        return wrapped->heightForWidth(wrapped->width()) <= wrapped->height();
    if (const auto *label = qobject_cast<const QLabel *>(control)) {
        if (label->text().isEmpty())
            return true;
        if (label->wordWrap())
            return label->heightForWidth(label->width()) <= label->height();
        return label->sizeHint().width() <= label->width() && inkFits(label);
    }
    if (const auto *push = qobject_cast<const QPushButton *>(control)) {
        const QSize text = push->fontMetrics().size(Qt::TextShowMnemonic, push->text());
        const QRect contents = contentsOf(push);
        return text.width() <= contents.width() && text.height() <= contents.height();
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->sizeHint().width() <= button->width();
    if (const auto *frame = qobject_cast<const QGroupBox *>(control)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        return frame->fontMetrics().horizontalAdvance(frame->title()) <= title.width() && title.right() < frame->width();
    }
    return true;
}

void fitCaption(QWidget *control)
{
    auto *push = qobject_cast<QPushButton *>(control);
    if (push && !captionFits(push)) {
        auto *style = new SmallButtonStyle;
        style->setParent(push);
        push->setStyle(style);
    }
    QFont font = control->font();
    for (int stretch = 100; !captionFits(control) && stretch > narrowestStretch;) {
        stretch -= 2;
        font.setStretch(stretch);
        control->setFont(font);
    }
}

} // namespace corvane
