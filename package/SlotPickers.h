#pragma once

#include "platform/Platform.h"

#include <QString>

class QLineEdit;

namespace corvane {

class Platform;

// How one pick button presets the Open-file dialog and what Cancel does.
struct PickDefinition {
    const char *title;
    const char *filter;    // "description|pattern;pattern"
    const char *extension; // appended to the short name to propose a file name
    bool keepOnCancel;     // false: Cancel empties the slot
};

extern const PickDefinition ReadmePick;
extern const PickDefinition LevelshotPick;
extern const PickDefinition BspPick;
extern const PickDefinition AasPick;
extern const PickDefinition ArenaPick;
extern const PickDefinition ShaderPick;

// The Open-file dialog's flags for every pick.
constexpr int PickFlags = OpenFileMustExist | OpenFileNoReadOnlyBox;

// Lets the user choose the slot's file: the name goes into the slot's Text,
// the full path into its Tag.
void pickFile(Platform &platform, const QLineEdit *shortName, QLineEdit *slot, const PickDefinition &pick);

} // namespace corvane
