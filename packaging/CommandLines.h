#pragma once

#include "package/SlotFacts.h"

#include <QString>

#include <vector>

namespace corvane {

// The archiver switch for a compression level text: " -0 ", " " or " -9 ".
QString compressionSwitch(const QString &level);

// A staged copy as the archiver is given it: prefix + the slot's name.
struct StagedCopy {
    Slot slot;
    QString path;
};

// Everything the two archiver command lines are made of.
struct ArchiverInputs {
    QString programFolder; // without a trailing separator
    QString compression;   // from compressionSwitch
    QString saveLocation;
    QString shortName;
    std::vector<StagedCopy> staged; // in copy order
    bool readmeInPackage = true;    // false: the staged readme is left off
    QString readmePath;             // the readme's full path at its own place
};

// Creates the .pk3 from the staged copies.
QString firstCommandLine(const ArchiverInputs &in);
// Wraps the .pk3 and the readme into the .zip.
QString secondCommandLine(const ArchiverInputs &in);

// The file our zip.exe writes the new archive into until it replaces the
// archive: what a forced end leaves beside it, and nothing else is named so.
QString archiverTemporaryFile(const QString &archivePath, qint64 archiverTaskId);

} // namespace corvane
