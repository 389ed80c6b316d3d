#include "about/DialogParts.h"

#include "app/CaptionFit.h"
#include "platform/Twips.h"

#include <QLabel>
#include <QPushButton>

namespace corvane {

QLabel *dialogLabel(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(twips(left), twips(top));
    label->adjustSize();
    return label;
}

QLabel *wrappedLabel(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(twipsRect(left, top, width, height));
    return label;
}

QLabel *smallPicture(QWidget *parent, int left, int top)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(QPixmap(QStringLiteral(":/corvane/picture.png")));
    picture->setGeometry(twips(left), twips(top), 74, 31);
    picture->setAccessibleName(QStringLiteral("Corvane"));
    return picture;
}

QPushButton *boldButton(QWidget *parent, const char *name, const QString &caption,
                        int left, int top, int width, int height)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(twipsRect(left, top, width, height));
    button->setFont(designFont(8.25, true));
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setDefault(true);
    return button;
}

QString feedbackPrompt()
{
    return QStringLiteral("Problems, Comments suggestions? Email:");
}

void fitFeedbackLines(QLabel *label)
{
    const QString firstLine = QStringLiteral("Problems, Comments suggestions?");
    QFont font = label->font();
    for (int stretch = 100; stretch > 70; stretch -= 2) {
        font.setStretch(stretch);
        label->setFont(font);
        if (label->fontMetrics().horizontalAdvance(firstLine) <= label->width() - 2
            && label->heightForWidth(label->width()) <= label->height())
            break;
    }
}

} // namespace corvane
