#include "package/ExtraFilesTree.h"

#include "widgets/CaptionFit.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTreeWidget>

namespace corvane {

namespace {

constexpr int keyRole = Qt::UserRole;

QTreeWidgetItem *rootNode(const QString &key, const QString &text)
{
    auto *node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, keyRole, key);
    return node;
}

} // namespace

QString unavailableNotice()
{
    return QStringLiteral("Sorry, this feature is not \r\navailable in this\r\nversion.\r\n");
}

QString unavailableNoticeAsShown()
{
    QString shown = unavailableNotice();
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return shown;
}

void showExtraFilesUnavailable(const ExtraFilesTree &tree)
{
    QPlainTextEdit *notice = tree.Text3;
    notice->setFont(designFont(9.75));
    notice->setPlainText(unavailableNoticeAsShown());
    // Three lines of the larger face only just fit the box's height.
    notice->document()->setDocumentMargin(1);
    notice->setReadOnly(true);
    notice->setEnabled(false);
    notice->setFocusPolicy(Qt::NoFocus);
    // The trailing line break would otherwise bring up a scroll bar.
    notice->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    notice->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    notice->setAccessibleName(QStringLiteral("Notice"));
    notice->setAccessibleDescription(unavailableNoticeAsShown().simplified());
    notice->raise();

    for (QPushButton *button : {tree.Command10, tree.Command11, tree.Command9}) {
        button->setEnabled(false);
        button->setFocusPolicy(Qt::NoFocus);
    }
}

void addExtraFilesRoots(QTreeWidget *tree)
{
    tree->addTopLevelItem(rootNode(QStringLiteral("Textures"), QStringLiteral("Textures")));
    tree->addTopLevelItem(rootNode(QStringLiteral("Sounds"), QStringLiteral("Sounds")));
}

QString nodeKey(const QTreeWidgetItem *node)
{
    return node->data(0, keyRole).toString();
}

} // namespace corvane
