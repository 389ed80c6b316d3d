#pragma once

#include "package/ExtraFilesTree.h"
#include "package/PackageDescription.h"
#include "package/SlotFacts.h"
#include "profiles/ProfileRecord.h"
#include "profiles/SettingsRecord.h"
#include "profiles/SettingsStore.h"

#include <QMainWindow>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace corvane {

class Platform;

// The main window. It owns every control of the package description and
// wires them to the behaviour that lives in the other folders.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(Platform &platform, QWidget *parent = nullptr);

    PackageDescription description() const;
    SettingsControls settingsControls() const;
    ProfileFields profileFields() const;
    ExtraFilesTree extraFilesTree() const;
    const SettingsStore &store() const { return m_store; }

    bool DirExists(const QString &path) const;
    static void AddDirSep(QString &path);

    void Form_Activate();
    void CreateButton_Click();
    void Compile_Click();
    void ClearButton_Click();
    void Clear_Click();
    void Exit_Click();
    // The character the short name receives for a typed one.
    static int ShortName_KeyPress(int keyAscii);

    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command12_Click();
    void Command13_Click();
    void Command8_Click();
    void btnEstimate_Click();

    void mapprofiles_Click();
    void prf1_Click();
    void prf2_Click();
    void prf3_Click();
    void prf4_Click();
    void prf5_Click();
    void prfAdd_Click();
    void prfOrg_Click();

    void morehelp_Click();
    void Webhelp_Click();
    void About_Click();

    void SaveProfile(const QString &slotKey);
    void LoadProfile(const QString &slotKey);

    // Top-level controls.
    QLabel *Label6 = nullptr;
    QLineEdit *ShortName = nullptr;
    QCheckBox *chkAutosave = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QPushButton *ClearButton = nullptr;
    QPushButton *CreateButton = nullptr;

    // "Main Files".
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label13 = nullptr;
    QLineEdit *ReadmeFile = nullptr;
    QLineEdit *Levelshot = nullptr;
    QLineEdit *BSP = nullptr;
    QLineEdit *AAS = nullptr;
    QLineEdit *ArenaFile = nullptr;
    QLineEdit *Shader1 = nullptr;
    QLineEdit *Shader2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command12 = nullptr;
    QPushButton *Command13 = nullptr;

    // "File Sizes".
    QLabel *Label7 = nullptr;
    QLabel *cursize = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *zipsize = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *downloadtime = nullptr;
    QPushButton *btnEstimate = nullptr;
    QLabel *Picture1 = nullptr;

    // "Textures and Sounds".
    QTreeWidget *TreeView1 = nullptr;
    QPlainTextEdit *Text3 = nullptr;
    QPushButton *Command10 = nullptr;
    QPushButton *Command11 = nullptr;
    QPushButton *Command9 = nullptr;

    // "Compile Options".
    QRadioButton *cOption1 = nullptr;
    QRadioButton *cOption2 = nullptr;
    QCheckBox *ReadmePK3 = nullptr;
    QLabel *Label16 = nullptr;
    QLineEdit *SaveLocation = nullptr;
    QPushButton *Command8 = nullptr;

    // Menus.
    QMenu *file = nullptr;
    QAction *Clear = nullptr;
    QAction *Compile = nullptr;
    QAction *Exit = nullptr;
    QMenu *mapprofiles = nullptr;
    QAction *prfAdd = nullptr;
    QAction *prfOrg = nullptr;
    QAction *prf1 = nullptr;
    QAction *prf2 = nullptr;
    QAction *prf3 = nullptr;
    QAction *prf4 = nullptr;
    QAction *prf5 = nullptr;
    QMenu *Help = nullptr;
    QAction *morehelp = nullptr;
    QAction *Webhelp = nullptr;
    QAction *About = nullptr;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void buildMainFiles();
    void buildFileSizes();
    void buildTexturesAndSounds();
    void buildCompileOptions();
    void buildMenus();
    void fitCaptions();
    void wire();
    void prf_Click(int n);
    void pick(Slot slot);

    Platform &m_platform;
    SettingsStore m_store;
    bool m_building = false;
};

} // namespace corvane
