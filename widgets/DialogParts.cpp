#include "widgets/DialogParts.h"

#include <QLabel>

namespace corvane {

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
