#pragma once

#include <QString>

class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

// The "Textures and Sounds" frame. Extra files are not available in this
// version: the tree only shows its two roots and nothing can change it.
struct ExtraFilesTree {
    QTreeWidget *TreeView1 = nullptr;
    QPlainTextEdit *Text3 = nullptr;
    QPushButton *Command10 = nullptr; // "Add Folder"
    QPushButton *Command11 = nullptr; // "Add Files"
    QPushButton *Command9 = nullptr;  // "Delete"
};

// The notice over the tree, each line ended by CR LF.
QString unavailableNotice();
// The same notice with the line breaks a Qt text box shows.
QString unavailableNoticeAsShown();

// Puts the frame into its only state: notice greyed, read-only, unfocusable
// and above the tree; the three buttons disabled and out of the Tab chain.
void showExtraFilesUnavailable(const ExtraFilesTree &tree);

// Adds the root nodes "Textures" and then "Sounds" (key = text).
void addExtraFilesRoots(QTreeWidget *tree);

// The key a node was added with.
QString nodeKey(const QTreeWidgetItem *node);

} // namespace corvane
