#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace corvane {

class Platform;
class SettingsStore;

// Organise Profiles: lists the five slot names, entry i standing for slot
// i + 1, and frees the selected slot. Filled afresh on every creation.
class pfrForm : public QDialog {
    Q_OBJECT

public:
    pfrForm(const SettingsStore &store, Platform &platform, QWidget *parent = nullptr);

    void Form_Load();
    void List1_Click();
    void Delbtn_Click();
    void Done_Click();

    QListWidget *List1 = nullptr;
    QPushButton *Delbtn = nullptr;
    QPushButton *Done = nullptr;

private:
    const SettingsStore &m_store;
    Platform &m_platform;
};

} // namespace corvane
