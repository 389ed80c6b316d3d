#include "package/SlotPickers.h"

#include "package/PackageDescription.h"
#include "platform/Platform.h"

#include <QLineEdit>

namespace corvane {

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
