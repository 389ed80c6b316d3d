#pragma once

#include <QString>
#include <QStringList>

#include <array>

class QLineEdit;

namespace corvane {

struct FileSlots;

// The seven file slots of the package description.
enum class Slot { Levelshot, AAS, BSP, ReadmeFile, ArenaFile, Shader1, Shader2 };

// A fixed place on drive C: where slot files are staged for the archiver.
struct StagingFolder {
    const char *testPath;    // as the existence test asks for it; null: the drive root, never tested
    const char *createPath;  // as it is made and removed
    const char *prefix;      // of the staged copy and its archiver argument
    const char *entryFolder; // of the file's entry in the package: "maps/", or "" at the top
};

extern const StagingFolder LevelshotsFolder;
extern const StagingFolder MapsFolder;
extern const StagingFolder ScriptsFolder;
extern const StagingFolder DriveRoot;

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

// Everything the program knows about one slot, said once.
struct SlotFacts {
    Slot slot;
    QLineEdit *FileSlots::*box;
    const char *controlName;
    const char *rowCaption; // beside the box on the window
    const char *label;      // in messages
    const StagingFolder *staging;
    const char *profileName; // profile key suffix of its Text
    const char *profilePath; // and of its Tag
    double estimateFactor;   // guessed compressed share of its size
    const PickDefinition *pick;
};

const SlotFacts &factsOf(Slot slot);
QLineEdit *slotBox(const FileSlots &files, Slot slot);
// Where the slot's file named `name` is staged: prefix + name.
QString stagedPath(Slot slot, const QString &name);
// The entry the package holds it under.
QString packageEntry(Slot slot, const QString &name);

// Each operation handles the slots in an order of its own.
using SlotOrder = std::array<Slot, 7>;
// Staging, its checks, its clean-up and the archiver's arguments.
constexpr SlotOrder archiverOrder{Slot::Levelshot, Slot::AAS,     Slot::BSP,    Slot::ReadmeFile,
                                  Slot::ArenaFile, Slot::Shader1, Slot::Shader2};
constexpr SlotOrder trimmingOrder{Slot::Levelshot, Slot::ReadmeFile, Slot::BSP,    Slot::AAS,
                                  Slot::ArenaFile, Slot::Shader1,    Slot::Shader2};
constexpr SlotOrder profileOrder{Slot::ReadmeFile, Slot::Levelshot, Slot::BSP,    Slot::AAS,
                                 Slot::ArenaFile,  Slot::Shader1,   Slot::Shader2};
// Clear, and the rows of the window from the top.
constexpr SlotOrder windowOrder = profileOrder;
constexpr SlotOrder estimateOrder{Slot::ReadmeFile, Slot::Levelshot, Slot::AAS,    Slot::BSP,
                                  Slot::ArenaFile,  Slot::Shader1,   Slot::Shader2};

// The names of the staging folders on drive C: ("levelshots", "maps", ...).
QStringList stagingFolderNames();

// The staging folders are made in one order and removed in another.
constexpr std::array<const StagingFolder *, 3> folderCreationOrder{&LevelshotsFolder, &MapsFolder, &ScriptsFolder};
constexpr std::array<const StagingFolder *, 3> folderRemovalOrder{&LevelshotsFolder, &ScriptsFolder, &MapsFolder};

} // namespace corvane
