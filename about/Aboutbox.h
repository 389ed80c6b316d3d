#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace corvane {

class LinkLabel;
class Platform;

// The About box. "&OK" is its only way out: it has no close box, and Esc
// or a close request from the window system leave it open.
class Aboutbox : public QDialog {
    Q_OBJECT

public:
    explicit Aboutbox(Platform &platform, QWidget *parent = nullptr);

    void Form_Activate();
    void Label2_Click();
    void Label7_Click();

    void reject() override;

    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label4 = nullptr;
    LinkLabel *Label2 = nullptr;
    QLabel *Picture1 = nullptr;
    QPushButton *label7 = nullptr;

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    Platform &m_platform;
};

// Shows a new About box modally over the owner.
void showAboutBox(Platform &platform, QWidget *owner);

} // namespace corvane
