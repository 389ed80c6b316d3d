#pragma once

#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane {

// The seven file slots: Text is the file's name, Tag its full path.
struct FileSlots {
    QLineEdit *Levelshot = nullptr;
    QLineEdit *BSP = nullptr;
    QLineEdit *AAS = nullptr;
    QLineEdit *ArenaFile = nullptr;
    QLineEdit *ReadmeFile = nullptr;
    QLineEdit *Shader1 = nullptr;
    QLineEdit *Shader2 = nullptr;
};

// The main window's controls that hold the package being prepared.
struct PackageDescription {
    QLineEdit *ShortName = nullptr;
    FileSlots files;
    QLineEdit *SaveLocation = nullptr;
    QRadioButton *cOption1 = nullptr;
    QRadioButton *cOption2 = nullptr;
    QCheckBox *ReadmePK3 = nullptr;
    QCheckBox *chkAutosave = nullptr;
    QPushButton *CreateButton = nullptr;
};

// Removes leading and trailing blanks (code 32) only.
QString trimBlanks(const QString &text);

QString slotText(const QLineEdit *slot);
QString slotPath(const QLineEdit *slot);
void setSlot(QLineEdit *slot, const QString &text, const QString &path);

} // namespace corvane
