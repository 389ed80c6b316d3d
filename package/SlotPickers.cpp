#include "package/SlotPickers.h"

#include "package/PackageDescription.h"
#include "platform/Platform.h"

#include <QLineEdit>

namespace corvane {

const PickDefinition ReadmePick{"Add Readme file", "Readme Files (*.txt)|*.txt", ".txt", false};
const PickDefinition LevelshotPick{"Add Levelshot", "Levelshots (*.tga;*.jpg)|*.tga;*.jpg", ".jpg", true};
const PickDefinition BspPick{"Add Map BSP File", "Map BSP Files (*.bsp)|*.bsp", ".bsp", false};
const PickDefinition AasPick{"Add Bot Support AAS File", "Bot Suport AAS Files (*.aas)|*.aas", ".aas", false};
const PickDefinition ArenaPick{"Add .Arena File", "Arena Entry Files (*.arena)|*.arena", ".arena", false};
const PickDefinition ShaderPick{"Add Shader file", "Shader Files (*.shader)|*.shader", ".shader", false};

void pickFile(Platform &platform, const QLineEdit *shortName, QLineEdit *slot, const PickDefinition &pick)
{
    OpenFileRequest request;
    request.title = QString::fromLatin1(pick.title);
    request.filter = QString::fromLatin1(pick.filter);
    request.cancelIsFailure = true;
    request.flags = PickFlags;
    // Untrimmed on purpose: the proposal is exactly the archive's base name.
    request.initialName = shortName->text() + QLatin1String(pick.extension);

    const std::optional<OpenFileResult> chosen = platform.openFile(request);
    // A dialog that "succeeds" without a path is a failure too; otherwise the
    // slot's name and path would no longer belong together.
    if (!chosen || chosen->fullPath.isEmpty()) {
        if (!pick.keepOnCancel)
            setSlot(slot, QString(), QString());
        return;
    }
    setSlot(slot, chosen->fileName, chosen->fullPath);
}

} // namespace corvane
