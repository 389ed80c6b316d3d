#pragma once

#include "package/SlotFacts.h"
#include "platform/Platform.h"

#include <QString>

class QLineEdit;

namespace corvane {

class Platform;

// The Open-file dialog's flags for every pick.
constexpr int PickFlags = OpenFileMustExist | OpenFileNoReadOnlyBox;

// Lets the user choose the slot's file: the name goes into the slot's Text,
// the full path into its Tag.
void pickFile(Platform &platform, const QLineEdit *shortName, QLineEdit *slot, const PickDefinition &pick);

} // namespace corvane
