#pragma once

#include <QString>

namespace corvane {

// The archiver switch for a compression level text: " -0 ", " " or " -9 ".
QString compressionSwitch(const QString &level);

// Everything the two archiver command lines are made of.
struct ArchiverInputs {
    QString programFolder; // without a trailing separator
    QString compression;   // from compressionSwitch
    QString saveLocation;
    QString shortName;
    QString levelshot;     // the slots' file names
    QString aas;
    QString bsp;
    QString readme;
    bool readmeInPackage = true;
    QString arena;
    QString shader1;       // empty: no shader
    QString shader2;
    QString readmePath;    // the readme's full path at its own place
};

// Creates the .pk3 from the staged copies.
QString firstCommandLine(const ArchiverInputs &in);
// Wraps the .pk3 and the readme into the .zip.
QString secondCommandLine(const ArchiverInputs &in);

} // namespace corvane
