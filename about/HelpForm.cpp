#include "about/HelpForm.h"

#include "about/ProjectAddresses.h"
#include "platform/Platform.h"
#include "widgets/CaptionFit.h"
#include "widgets/Controls.h"
#include "widgets/DialogParts.h"
#include "widgets/Resources.h"
#include "widgets/Twips.h"
#include "widgets/WindowPlacement.h"

#include <QLabel>
#include <QPushButton>

namespace corvane {

HelpForm::HelpForm(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    loadResources();
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Help not implemented yet..."));
    setFont(designFont());
    setFixedSize(twips(3555), twips(2880));

    Label1 = wrappedLabel(this, "Label1",
                          QStringLiteral("Version 0.6 is a pre-release, and does not contain all the features to be "
                                         "implemented. If you are a mapper and have any suggestions for features, "
                                         "please visit our website (Help -> Online) and fill out the contact form"),
                          twipsRect(120, 120, 3255, 975));
    fitCaption(Label1);
    Label2 = wrappedLabel(this, "Label2", feedbackPrompt(), twipsRect(345, 1695, 2685, 405));
    fitFeedbackLines(Label2);
    Label3 = captionLabel(this, "Label3", feedbackAddress(), 960, 1890);
    Label3->setFont(designFont(8.25, true));
    Label3->adjustSize();
    // The window is narrow: keep the address inside it.
    Label3->resize(qMin(Label3->width(), width() - Label3->x() - 2), Label3->height());
    fitCaption(Label3);
    Label3->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Picture1 = smallPicture(this, 1080, 1200);
    Command1 = boldButton(this, "Command1", QStringLiteral("Done"), twipsRect(960, 2280, 1575, 495));
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &HelpForm::Command1_Click);
}

void HelpForm::Command1_Click()
{
    accept();
}

void HelpForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

void showHelpWindow(Platform &platform, QWidget *owner)
{
    HelpForm help(owner);
    platform.showModal(help);
}

} // namespace corvane
