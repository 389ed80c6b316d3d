#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace corvane {

class Platform;

// The placeholder help window: a pre-release notice and where to write.
class HelpForm : public QDialog {
    Q_OBJECT

public:
    explicit HelpForm(QWidget *parent = nullptr);

    void Command1_Click();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Picture1 = nullptr;
    QPushButton *Command1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
};

// Shows a new help window modally over the owner.
void showHelpWindow(Platform &platform, QWidget *owner);

} // namespace corvane
