#include "app/Form1.h"

#include "about/Aboutbox.h"
#include "about/HelpForm.h"
#include "about/WebLaunch.h"
#include "package/ExtraFilesTree.h"
#include "package/SlotFacts.h"
#include "package/SlotPickers.h"
#include "packaging/DirExists.h"
#include "packaging/PackageBuilder.h"
#include "packaging/SaveLocationPicker.h"
#include "packaging/SizeEstimate.h"
#include "platform/Platform.h"
#include "profiles/ProfileMenu.h"
#include "widgets/CaptionFit.h"
#include "widgets/Controls.h"
#include "widgets/Resources.h"
#include "widgets/Tag.h"
#include "widgets/Twips.h"
#include "widgets/WrappedOptionButton.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <iterator>
#include <limits>

namespace corvane {

namespace {

// Room left of a frame's right border for a control at left 120.
constexpr int frameRoom = 1692 - 45;

} // namespace

Form1::Form1(Platform &platform, QWidget *parent)
    : QMainWindow(parent)
    , m_platform(platform)
    , m_store(platform)
{
    loadResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Corvane For Quake 3 - Version: 0.9"));
    setWindowIcon(QIcon(QStringLiteral(":/corvane/icon.png")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(designFont());

    buildControls();
    buildMenus();
    wire();
    fitCaptions();

    centralWidget()->setFixedSize(twips(5865), twips(6555));
    setFixedSize(sizeHint());
}

void Form1::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    Label6 = captionLabel(client, "Label6", QStringLiteral("Map shortname:"), 120, 120, 1320);
    ShortName = named(new QLineEdit(client), "ShortName");
    ShortName->setGeometry(twipsRect(1320, 120, 2055, 285));
    ShortName->setMaxLength(std::numeric_limits<int>::max());
    Label6->setBuddy(ShortName);
    ShortName->setAccessibleName(QStringLiteral("Map shortname:"));
    chkAutosave = named(new QCheckBox(QStringLiteral("Autosave Map Profile"), client), "chkAutosave");
    // Reaches to the window's edge: wider faces than the design one need it.
    chkAutosave->setGeometry(twipsRect(3960, 120, 5865 - 3960, 255));
    chkAutosave->setAccessibleName(chkAutosave->text());

    Frame1 = frame(client, "Frame1", QStringLiteral("Main Files"), twipsRect(120, 480, 3852, 2775));
    Frame3 = frame(client, "Frame3", QStringLiteral("File Sizes"), twipsRect(4080, 480, 1692, 2775));
    Frame4 = frame(client, "Frame4", QStringLiteral("Textures and Sounds"), twipsRect(120, 3360, 3852, 3135));
    Frame2 = frame(client, "Frame2", QStringLiteral("Compile Options"), twipsRect(4080, 3360, 1692, 2175));
    buildMainFiles();
    buildFileSizes();
    buildTexturesAndSounds();
    buildCompileOptions();

    ClearButton = pushButton(client, "ClearButton", QStringLiteral("Clear"), twipsRect(4080, 5640, 1692, 372));
    CreateButton = pushButton(client, "CreateButton", QStringLiteral("Create"), twipsRect(4080, 6120, 1692, 372));
    // A main window has no default button of its own: keyPressEvent gives
    // Enter to this one.
    CreateButton->setDefault(true);
    CreateButton->setFont(designFont(8.25, true));
    setTag(CreateButton, QString());
}

void Form1::buildMainFiles()
{
    struct Row {
        int top;
        const char *labelName; // the second shader box shares the first one's label
        QLabel *Form1::*label;
        QLineEdit *Form1::*box;
        const char *buttonName;
        QPushButton *Form1::*button;
    };
    // In windowOrder, from the top.
    const Row rows[] = {
        {240, "Label1", &Form1::Label1, &Form1::ReadmeFile, "Command3", &Form1::Command3},
        {600, "Label2", &Form1::Label2, &Form1::Levelshot, "Command4", &Form1::Command4},
        {960, "Label3", &Form1::Label3, &Form1::BSP, "Command5", &Form1::Command5},
        {1320, "Label4", &Form1::Label4, &Form1::AAS, "Command6", &Form1::Command6},
        {1680, "Label5", &Form1::Label5, &Form1::ArenaFile, "Command7", &Form1::Command7},
        {2040, "Label13", &Form1::Label13, &Form1::Shader1, "Command12", &Form1::Command12},
        {2400, nullptr, nullptr, &Form1::Shader2, "Command13", &Form1::Command13},
    };
    static_assert(std::size(rows) == windowOrder.size());
    for (size_t i = 0; i < windowOrder.size(); ++i) {
        const Row &row = rows[i];
        const SlotFacts &facts = factsOf(windowOrder[i]);
        QLineEdit *box = lockedBox(Frame1, facts.controlName, twipsRect(1200, row.top, 2052, 288));
        this->*row.box = box;
        const QString caption = QLatin1String(facts.rowCaption);
        if (row.label) {
            QLabel *text = captionLabel(Frame1, row.labelName, caption, 120, row.top + 30, 1200);
            text->setBuddy(box);
            this->*row.label = text;
        }
        box->setAccessibleName(row.label ? caption : caption + QStringLiteral(" (second)"));
        QPushButton *chooser =
            pushButton(Frame1, row.buttonName, QStringLiteral("..."), twipsRect(3360, row.top + 24, 255, 240));
        chooser->setAccessibleName(QStringLiteral("Choose ") + box->accessibleName());
        this->*row.button = chooser;
    }
}

void Form1::buildFileSizes()
{
    Label7 = captionLabel(Frame3, "Label7", QStringLiteral("Total Size:"), 120, 240, frameRoom);
    cursize = captionLabel(Frame3, "cursize", QStringLiteral("[value] MB"), 120, 480, frameRoom);
    cursize->setGeometry(twipsRect(120, 480, 1365, 195));
    cursize->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label8 = captionLabel(Frame3, "Label8", QStringLiteral("Compressed Size:"), 120, 720, frameRoom);
    zipsize = captionLabel(Frame3, "zipsize", QStringLiteral("[value] MB"), 120, 960, frameRoom);
    zipsize->setGeometry(twipsRect(120, 960, 1365, 195));
    zipsize->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label11 = captionLabel(Frame3, "Label11", QStringLiteral("Download time:"), 120, 1200, frameRoom);
    downloadtime = captionLabel(Frame3, "downloadtime", QStringLiteral("[value] mins at 33.6"), 0, 1440, frameRoom);
    downloadtime->setGeometry(twipsRect(0, 1440, 1575, 195));
    downloadtime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label7->setBuddy(nullptr);
    // A screen reader names each value label by the value it shows (a label's
    // own text) and describes it by the caption above it.
    cursize->setAccessibleDescription(Label7->text());
    zipsize->setAccessibleDescription(Label8->text());
    downloadtime->setAccessibleDescription(Label11->text());
    btnEstimate = pushButton(Frame3, "btnEstimate", QStringLiteral("Estimate..."), twipsRect(120, 1800, 1455, 255));
    Picture1 = smallPicture(Frame3, 360, 2160);
}

void Form1::buildTexturesAndSounds()
{
    TreeView1 = named(new QTreeWidget(Frame4), "TreeView1");
    TreeView1->setGeometry(twipsRect(120, 240, 3615, 2415));
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setAccessibleName(QStringLiteral("Textures and Sounds"));
    Text3 = named(new QPlainTextEdit(Frame4), "Text3");
    // Two pixels taller than designed, so that the third line shows whole.
    Text3->setGeometry(twipsRect(240, 1200, 3375, 735 + 30));
    Command10 = pushButton(Frame4, "Command10", QStringLiteral("Add Folder"), twipsRect(240, 2760, 1095, 255));
    Command11 = pushButton(Frame4, "Command11", QStringLiteral("Add Files"), twipsRect(1440, 2760, 1095, 255));
    Command9 = pushButton(Frame4, "Command9", QStringLiteral("Delete"), twipsRect(2640, 2760, 1095, 255));
    showExtraFilesUnavailable(extraFilesTree());
}

ExtraFilesTree Form1::extraFilesTree() const
{
    return ExtraFilesTree{TreeView1, Text3, Command10, Command11, Command9};
}

void Form1::buildCompileOptions()
{
    // The option captions wrap onto two lines, as the frame is narrow.
    cOption1 = named(new WrappedOptionButton(QStringLiteral("Create as a .pk3 file"), Frame2), "cOption1");
    cOption1->setGeometry(twipsRect(120, 240, frameRoom - 120, 435));
    cOption2 = named(new WrappedOptionButton(QStringLiteral("Create as a .pk3 in a .zip file"), Frame2), "cOption2");
    cOption2->setGeometry(twipsRect(120, 720, frameRoom - 120, 435));
    cOption2->setChecked(true);
    ReadmePK3 = named(new QCheckBox(QStringLiteral("Readme in PK3"), Frame2), "ReadmePK3");
    ReadmePK3->setGeometry(twipsRect(120, 1200, frameRoom - 120, 255));
    ReadmePK3->setChecked(true);
    Label16 = captionLabel(Frame2, "Label16", QStringLiteral("Compile in:"), 120, 1560, frameRoom);
    SaveLocation = lockedBox(Frame2, "SaveLocation", twipsRect(120, 1800, 1095, 288));
    Label16->setBuddy(SaveLocation);
    SaveLocation->setAccessibleName(QStringLiteral("Compile in:"));
    Command8 = pushButton(Frame2, "Command8", QStringLiteral("..."), twipsRect(1320, 1800, 255, 288));
    Command8->setAccessibleName(QStringLiteral("Choose the folder to compile in"));
    for (QAbstractButton *option : std::initializer_list<QAbstractButton *>{cOption1, cOption2, ReadmePK3})
        option->setAccessibleName(option->text());
}

void Form1::fitCaptions()
{
    // Frame titles are bold, their contents regular.
    for (QGroupBox *group : {Frame1, Frame3, Frame4, Frame2}) {
        group->setFont(designFont(8.25, true));
        for (QWidget *child : group->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child != Text3)
                child->setFont(designFont());
        }
    }
    for (QWidget *control : centralWidget()->findChildren<QWidget *>())
        fitCaption(control);
}

void Form1::buildMenus()
{
    auto action = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        return item;
    };
    auto separator = [](QMenu *menu, const char *name) { menu->addSeparator()->setObjectName(QLatin1String(name)); };

    file = named(menuBar()->addMenu(QStringLiteral("&File")), "file");
    setTag(file, QString());
    Clear = action(file, "Clear", QStringLiteral("&Clear"));
    Compile = action(file, "Compile", QStringLiteral("C&reate"));
    separator(file, "Line1");
    Exit = action(file, "Exit", QStringLiteral("&Exit"));

    mapprofiles = named(menuBar()->addMenu(QStringLiteral("&Profiles")), "mapprofiles");
    prfAdd = action(mapprofiles, "prfAdd", QStringLiteral("&Save Map Profile"));
    prfOrg = action(mapprofiles, "prfOrg", QStringLiteral("&Organise Profiles"));
    separator(mapprofiles, "spacer0");
    prf1 = action(mapprofiles, "prf1", QStringLiteral("Profile 1"));
    prf2 = action(mapprofiles, "prf2", QStringLiteral("Profile 2"));
    prf3 = action(mapprofiles, "prf3", QStringLiteral("Profile 3"));
    prf4 = action(mapprofiles, "prf4", QStringLiteral("Profile 4"));
    prf5 = action(mapprofiles, "prf5", QStringLiteral("Profile 5"));

    Help = named(menuBar()->addMenu(QStringLiteral("&Help")), "Help");
    morehelp = action(Help, "morehelp", QStringLiteral("H&elp"));
    Webhelp = action(Help, "Webhelp", QStringLiteral("&Online..."));
    separator(Help, "Line2");
    About = action(Help, "About", QStringLiteral("&About"));
}

void Form1::wire()
{
    ShortName->installEventFilter(this);
    auto onClick = [this](QPushButton *control, void (Form1::*handler)()) {
        connect(control, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    auto onTrigger = [this](QAction *item, void (Form1::*handler)()) {
        connect(item, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    onClick(CreateButton, &Form1::CreateButton_Click);
    onClick(ClearButton, &Form1::ClearButton_Click);
    onClick(Command3, &Form1::Command3_Click);
    onClick(Command4, &Form1::Command4_Click);
    onClick(Command5, &Form1::Command5_Click);
    onClick(Command6, &Form1::Command6_Click);
    onClick(Command7, &Form1::Command7_Click);
    onClick(Command12, &Form1::Command12_Click);
    onClick(Command13, &Form1::Command13_Click);
    onClick(Command8, &Form1::Command8_Click);
    onClick(btnEstimate, &Form1::btnEstimate_Click);

    onTrigger(Clear, &Form1::Clear_Click);
    onTrigger(Compile, &Form1::Compile_Click);
    onTrigger(Exit, &Form1::Exit_Click);
    connect(mapprofiles, &QMenu::aboutToShow, this, &Form1::mapprofiles_Click);
    onTrigger(prfAdd, &Form1::prfAdd_Click);
    onTrigger(prfOrg, &Form1::prfOrg_Click);
    onTrigger(prf1, &Form1::prf1_Click);
    onTrigger(prf2, &Form1::prf2_Click);
    onTrigger(prf3, &Form1::prf3_Click);
    onTrigger(prf4, &Form1::prf4_Click);
    onTrigger(prf5, &Form1::prf5_Click);
    onTrigger(morehelp, &Form1::morehelp_Click);
    onTrigger(Webhelp, &Form1::Webhelp_Click);
    onTrigger(About, &Form1::About_Click);
}

PackageDescription Form1::description() const
{
    PackageDescription d;
    d.ShortName = ShortName;
    d.files = FileSlots{Levelshot, BSP, AAS, ArenaFile, ReadmeFile, Shader1, Shader2};
    d.SaveLocation = SaveLocation;
    d.cOption1 = cOption1;
    d.cOption2 = cOption2;
    d.ReadmePK3 = ReadmePK3;
    d.chkAutosave = chkAutosave;
    d.CreateButton = CreateButton;
    return d;
}

SettingsControls Form1::settingsControls() const
{
    return SettingsControls{chkAutosave, ReadmePK3, SaveLocation, cOption1, cOption2};
}

ProfileFields Form1::profileFields() const
{
    return ProfileFields{ShortName, description().files};
}

bool Form1::event(QEvent *event)
{
    // Showing counts as the first activation too: without a window manager
    // (or when another program keeps the focus) the window may never become
    // active, and start-up must still happen.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        Form_Activate();
    return QMainWindow::event(event);
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the focused push button, otherwise the default one.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
        QPushButton *target = focused && isAncestorOf(focused) ? focused : CreateButton;
        if (target->isEnabled()) {
            target->click();
            event->accept();
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ShortName && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        if (typed.size() == 1 && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const int replaced = ShortName_KeyPress(typed.at(0).unicode());
            if (replaced != typed.at(0).unicode()) {
                ShortName->insert(QString(QChar(replaced)));
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool Form1::DirExists(const QString &path) const
{
    return corvane::DirExists(m_platform, path);
}

void Form1::AddDirSep(QString &path)
{
    corvane::AddDirSep(path);
}

void Form1::Form_Activate()
{
    if (tagOf(file) == QLatin1String("1"))
        return;
    setTag(file, QStringLiteral("1"));
    addExtraFilesRoots(TreeView1);
    applySettingsRecord(m_store, settingsControls());
}

void Form1::CreateButton_Click()
{
    // One build at a time, whatever route (a click, the menu, Enter, an
    // accessibility action) asks for a second one while the first waits.
    if (m_building)
        return;
    m_building = true;
    CreateButton->setEnabled(false);
    Compile->setEnabled(false);
    buildPackage(m_platform, m_store, description());
    CreateButton->setEnabled(true);
    Compile->setEnabled(true);
    m_building = false;
}

void Form1::Compile_Click()
{
    CreateButton_Click();
}

void Form1::ClearButton_Click()
{
    ShortName->setText(QString());
    const FileSlots files = description().files;
    for (const Slot slot : windowOrder)
        setSlot(slotBox(files, slot), QString(), QString());
}

void Form1::Clear_Click()
{
    ClearButton_Click();
}

void Form1::Exit_Click()
{
    QApplication::closeAllWindows();
    QApplication::quit();
}

int Form1::ShortName_KeyPress(int keyAscii)
{
    return keyAscii == ' ' ? '_' : keyAscii;
}

void Form1::Command3_Click()
{
    pick(Slot::ReadmeFile);
}

void Form1::Command4_Click()
{
    pick(Slot::Levelshot);
}

void Form1::Command5_Click()
{
    pick(Slot::BSP);
}

void Form1::Command6_Click()
{
    pick(Slot::AAS);
}

void Form1::Command7_Click()
{
    pick(Slot::ArenaFile);
}

void Form1::Command12_Click()
{
    pick(Slot::Shader1);
}

void Form1::Command13_Click()
{
    pick(Slot::Shader2);
}

void Form1::pick(Slot slot)
{
    pickFile(m_platform, ShortName, slotBox(description().files, slot), *factsOf(slot).pick);
}

void Form1::Command8_Click()
{
    pickSaveLocation(m_platform, this, SaveLocation);
}

void Form1::btnEstimate_Click()
{
    estimateSizes(m_platform, SizeLabels{cursize, zipsize, downloadtime}, description().files);
}

void Form1::mapprofiles_Click()
{
    reloadProfileCaptions({prf1, prf2, prf3, prf4, prf5}, m_store);
}

void Form1::prf1_Click()
{
    prf_Click(1);
}

void Form1::prf2_Click()
{
    prf_Click(2);
}

void Form1::prf3_Click()
{
    prf_Click(3);
}

void Form1::prf4_Click()
{
    prf_Click(4);
}

void Form1::prf5_Click()
{
    prf_Click(5);
}

void Form1::prf_Click(int n)
{
    chooseProfileItem(n, {prf1, prf2, prf3, prf4, prf5}, profileFields(), m_store, m_platform);
}

void Form1::prfAdd_Click()
{
    saveMapProfile({prf1, prf2, prf3, prf4, prf5}, description(), m_store, m_platform);
}

void Form1::prfOrg_Click()
{
    organiseProfiles(m_store, m_platform, this);
}

void Form1::morehelp_Click()
{
    showHelpWindow(m_platform, this);
}

void Form1::Webhelp_Click()
{
    launchWebPage(m_platform);
}

void Form1::About_Click()
{
    showAboutBox(m_platform, this);
}

void Form1::SaveProfile(const QString &slotKey)
{
    corvane::SaveProfile(m_store, profileFields(), slotKey);
}

void Form1::LoadProfile(const QString &slotKey)
{
    corvane::LoadProfile(m_store, profileFields(), slotKey);
}

} // namespace corvane
