#include "about/Aboutbox.h"

#include "about/ProjectAddresses.h"
#include "about/WebLaunch.h"
#include "platform/Platform.h"
#include "platform/Product.h"
#include "widgets/CaptionFit.h"
#include "widgets/Controls.h"
#include "widgets/DialogParts.h"
#include "widgets/LinkLabel.h"
#include "widgets/Resources.h"
#include "widgets/Twips.h"
#include "widgets/WindowPlacement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace corvane {

Aboutbox::Aboutbox(Platform &platform, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_platform(platform)
{
    loadResources();
    setObjectName(QStringLiteral("Aboutbox"));
    setWindowTitle(QStringLiteral("About ") + productName());
    setFont(designFont());
    setFixedSize(twips(4740), twips(1785));

    Label1 = captionLabel(this, "Label1", QStringLiteral("Corvane for Quake 3 - 0.6"), 120, 105);
    Label1->setFont(designFont(12, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->adjustSize();

    Label3 = new QLabel(QStringLiteral("Programmed by the Corvane team"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(twipsRect(45, 510, 3450, 195));
    Label5 = new QLabel(QStringLiteral("Designed by the Corvane team"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setGeometry(twipsRect(120, 720, 3330, 195));
    for (QLabel *credit : {Label3, Label5}) {
        credit->setFont(designFont(8.25, true));
        credit->setAlignment(Qt::AlignCenter);
    }

    Label6 = wrappedLabel(this, "Label6", feedbackPrompt(), twipsRect(264, 972, 2688, 408));
    fitFeedbackLines(Label6);
    Label4 = captionLabel(this, "Label4", feedbackAddress(), 804, 1164);
    Label4->setFont(designFont(8.25, true));
    Label4->adjustSize();
    Label4->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Label2 = new LinkLabel(projectWebAddress(), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(twips(255), twips(1410));
    Label2->setAccessibleName(projectWebAddress());
    Label2->setAccessibleDescription(QStringLiteral("Opens the project web page"));

    Picture1 = smallPicture(this, 3480, 480);
    label7 = boldButton(this, "label7", QStringLiteral("&OK"), twipsRect(3840, 1320, 855, 375));
    label7->setFocus();

    connect(Label2, &LinkLabel::clicked, this, &Aboutbox::Label2_Click);
    connect(label7, &QPushButton::clicked, this, &Aboutbox::Label7_Click);
}

void Aboutbox::Form_Activate()
{
    Label3->resize(Label1->width(), Label3->height());
    Label5->resize(Label1->width(), Label5->height());
}

void Aboutbox::Label2_Click()
{
    launchWebPage(m_platform);
}

void Aboutbox::Label7_Click()
{
    accept();
}

void Aboutbox::reject()
{
}

bool Aboutbox::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(event);
}

void Aboutbox::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void Aboutbox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

void showAboutBox(Platform &platform, QWidget *owner)
{
    Aboutbox box(platform, owner);
    platform.showModal(box);
}

} // namespace corvane
