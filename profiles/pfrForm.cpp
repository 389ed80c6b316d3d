#include "profiles/pfrForm.h"

#include "platform/Platform.h"
#include "profiles/ProfileRecord.h"
#include "profiles/SettingsStore.h"
#include "widgets/CaptionFit.h"
#include "widgets/Controls.h"
#include "widgets/Twips.h"

#include <QListWidget>
#include <QPushButton>

namespace corvane {

pfrForm::pfrForm(const SettingsStore &store, Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("pfrForm"));
    setWindowTitle(QStringLiteral("Organise Profiles..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(designFont());

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twipsRect(120, 105, 2325, 1035));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(false);
    List1->setAccessibleName(QStringLiteral("Profiles"));
    Delbtn = pushButton(this, "Delbtn", QStringLiteral("D&elete"), twipsRect(120, 1290, 1092, 372));
    Delbtn->setEnabled(false);
    Done = pushButton(this, "Done", QStringLiteral("&Done"), twipsRect(1290, 1290, 1212, 372));
    setTabOrder(List1, Delbtn);
    setTabOrder(Delbtn, Done);
    setFixedSize(twips(2640), twips(1755));

    connect(List1, &QListWidget::itemSelectionChanged, this, &pfrForm::List1_Click);
    connect(Delbtn, &QPushButton::clicked, this, &pfrForm::Delbtn_Click);
    connect(Done, &QPushButton::clicked, this, &pfrForm::Done_Click);

    Form_Load();
}

void pfrForm::Form_Load()
{
    for (int n = 1; n <= profileSlotCount; ++n)
        List1->addItem(readSlotName(m_store, n));
}

void pfrForm::List1_Click()
{
    Delbtn->setEnabled(!List1->selectedItems().isEmpty());
}

void pfrForm::Delbtn_Click()
{
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    if (selected.isEmpty())
        return;
    QListWidgetItem *entry = selected.first();
    const int i = List1->row(entry);
    const int n = i + 1;
    const QString name = entry->text();
    // Empty means the whole default name of this very slot, as everywhere
    // else: a map named "Profiles" or "Profile 3x" must remain deletable.
    if (name == defaultSlotName(n)) {
        m_platform.messageBox(QStringLiteral("Sorry, this favourite appears to be empty."), FlagsExclamation,
                              QStringLiteral("Error"));
        return;
    }
    const int answer = m_platform.messageBox(QStringLiteral("Are you sure you wish to delete favourite, ")
                                                 + QLatin1Char('"') + name + QLatin1Char('"') + QLatin1Char('?'),
                                             FlagsQuestionYesNo, QStringLiteral("Delete favourite?"));
    if (answer != AnswerYes)
        return;
    const bool cleared = ClearProfile(m_store, n);
    // The entry is replaced in place so that its position still gives the slot.
    delete List1->takeItem(i);
    List1->insertItem(i, cleared ? defaultSlotName(n) : readSlotName(m_store, n));
    List1->clearSelection();
    List1->setCurrentRow(i, QItemSelectionModel::NoUpdate);
    List1_Click();
}

void pfrForm::Done_Click()
{
    accept();
}

} // namespace corvane
