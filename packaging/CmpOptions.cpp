#include "packaging/CmpOptions.h"

#include "widgets/Tag.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace corvane {

CmpOptions::CmpOptions(QPushButton *createButton, QWidget *parent)
    : QDialog(parent)
    , m_createButton(createButton)
{
    setObjectName(QStringLiteral("CmpOptions"));
    setWindowTitle(QStringLiteral("Compression Options"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    Frame1 = new QGroupBox(QStringLiteral("Compression Level"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label2 = new QLabel(QStringLiteral("Faster"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Slider1 = new QSlider(Qt::Horizontal, Frame1);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setRange(0, 2);
    Slider1->setSingleStep(1);
    Slider1->setPageStep(1);
    Slider1->setTickPosition(QSlider::TicksBelow);
    Slider1->setTickInterval(1);
    Slider1->setValue(1);
    Slider1->setMinimumWidth(120);
    Slider1->setAccessibleName(QStringLiteral("Compression Level"));
    Slider1->setAccessibleDescription(QStringLiteral("Faster to the left, slower and smaller to the right"));
    Label1 = new QLabel(QStringLiteral("Slower "), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));

    auto *row = new QHBoxLayout(Frame1);
    row->addWidget(Label2);
    row->addWidget(Slider1, 1);
    row->addWidget(Label1);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command1->setAccessibleName(QStringLiteral("OK"));
    connect(Command1, &QPushButton::clicked, this, &CmpOptions::Command1_Click);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Slider1->setFocus();
}

void CmpOptions::Command1_Click()
{
    setTag(m_createButton, QString::number(Slider1->value()));
    accept();
}

} // namespace corvane
