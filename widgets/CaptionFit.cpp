#include "widgets/CaptionFit.h"

#include "widgets/WrappedOptionButton.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace corvane {

namespace {

// Below this the face becomes hard to read; a caption that still does not
// fit then shows clipped rather than illegible.
constexpr int narrowestStretch = 70;

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
        return label->sizeHint().width() <= label->width();
    }
    if (const auto *push = qobject_cast<const QPushButton *>(control)) {
        const QSize text = push->fontMetrics().size(Qt::TextShowMnemonic, push->text());
        return text.width() + 4 <= push->width() && text.height() <= push->height();
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->sizeHint().width() <= button->width();
    return true;
}

void fitCaption(QWidget *control)
{
    QFont font = control->font();
    for (int stretch = 100; !captionFits(control) && stretch > narrowestStretch;) {
        stretch -= 2;
        font.setStretch(stretch);
        control->setFont(font);
    }
}

} // namespace corvane
