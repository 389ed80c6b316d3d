#pragma once

#include "packaging/CmpOptions.h"
#include "platform/DesktopPlatform.h"

#include <QDialog>
#include <QPushButton>
#include <QSlider>
#include <QStringList>

namespace corvane {

// The real desktop platform with its modal boxes answered by the test: every
// message box is OK, the Compression Options dialog takes `level`.
class ScriptedDesktop : public DesktopPlatform {
public:
    using DesktopPlatform::DesktopPlatform;
    QStringList messages;
    QString details;
    int level = 1;

    int messageBox(const QString &text, int flags, const QString &title, const QString &more) override
    {
        messages << QString::number(flags) + "|" + title + "|" + text;
        if (!more.isEmpty())
            details = more;
        return AnswerOk;
    }
    int showModal(QDialog &dialog) override
    {
        auto &options = dynamic_cast<CmpOptions &>(dialog);
        options.Slider1->setValue(level);
        options.Command1->click();
        return dialog.result();
    }
};

} // namespace corvane
