#include "package/SlotFacts.h"

#include "package/PackageDescription.h"

#include <algorithm>
#include <iterator>

namespace corvane {

const StagingFolder LevelshotsFolder{"c:\\levelshots\\", "C:\\levelshots", "C:\\LEVELSHOTS\\", "levelshots/"};
const StagingFolder MapsFolder{"c:\\maps\\", "C:\\maps", "C:\\MAPS\\", "maps/"};
const StagingFolder ScriptsFolder{"c:\\scripts\\", "C:\\scripts", "C:\\scripts\\", "scripts/"};
const StagingFolder DriveRoot{nullptr, nullptr, "C:\\", ""};

const PickDefinition ReadmePick{"Add Readme file", "Readme Files (*.txt)|*.txt", ".txt", false};
const PickDefinition LevelshotPick{"Add Levelshot", "Levelshots (*.tga;*.jpg)|*.tga;*.jpg", ".jpg", true};
const PickDefinition BspPick{"Add Map BSP File", "Map BSP Files (*.bsp)|*.bsp", ".bsp", false};
const PickDefinition AasPick{"Add Bot Support AAS File", "Bot Suport AAS Files (*.aas)|*.aas", ".aas", false};
const PickDefinition ArenaPick{"Add .Arena File", "Arena Entry Files (*.arena)|*.arena", ".arena", false};
const PickDefinition ShaderPick{"Add Shader file", "Shader Files (*.shader)|*.shader", ".shader", false};

namespace {

const SlotFacts slotFacts[] = {
    {Slot::Levelshot, &FileSlots::Levelshot, "Levelshot", "Levelshot:", "Levelshot", &LevelshotsFolder, "levelshot",
     "levelshotP", 0.7, &LevelshotPick},
    {Slot::AAS, &FileSlots::AAS, "AAS", "AAS file:", "AAS file", &MapsFolder, "AAS", "AASP", 0.35, &AasPick},
    {Slot::BSP, &FileSlots::BSP, "BSP", "BSP File:", "BSP File", &MapsFolder, "BSP", "BSPP", 0.25, &BspPick},
    {Slot::ReadmeFile, &FileSlots::ReadmeFile, "ReadmeFile", "Readme file:", "Readme file", &DriveRoot, "readme",
     "readmeP", 1.0, &ReadmePick},
    {Slot::ArenaFile, &FileSlots::ArenaFile, "ArenaFile", "Arena File:", "Arena File", &ScriptsFolder, "Arena",
     "ArenaP", 0.95, &ArenaPick},
    {Slot::Shader1, &FileSlots::Shader1, "Shader1", "Shaders:", "first Shader file", &ScriptsFolder, "shader1",
     "shader1P", 0.4, &ShaderPick},
    {Slot::Shader2, &FileSlots::Shader2, "Shader2", "Shaders:", "second Shader file", &ScriptsFolder, "shader2",
     "shader2P", 0.4, &ShaderPick},
};

} // namespace

const SlotFacts &factsOf(Slot slot)
{
    // Found by its slot, so the table's order means nothing.
    return *std::find_if(std::begin(slotFacts), std::end(slotFacts),
                         [slot](const SlotFacts &facts) { return facts.slot == slot; });
}

QLineEdit *slotBox(const FileSlots &files, Slot slot)
{
    return files.*factsOf(slot).box;
}

QString stagedPath(Slot slot, const QString &name)
{
    return QLatin1String(factsOf(slot).staging->prefix) + name;
}

QString packageEntry(Slot slot, const QString &name)
{
    return QLatin1String(factsOf(slot).staging->entryFolder) + name;
}

QStringList stagingFolderNames()
{
    QStringList names;
    for (const StagingFolder *folder : folderCreationOrder)
        names << QString::fromLatin1(folder->createPath).mid(3);
    return names;
}

} // namespace corvane
