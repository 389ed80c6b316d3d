#include "packaging/PackageBuilder.h"

#include "package/PreBuildCheck.h"
#include "platform/Platform.h"
#include "profiles/SettingsRecord.h"
#include "profiles/SettingsStore.h"

namespace corvane {

void buildPackage(Platform &platform, const SettingsStore &store, const PackageDescription &description)
{
    saveSettingsRecord(store, SettingsControls{description.chkAutosave, description.ReadmePK3,
                                               description.SaveLocation, description.cOption1,
                                               description.cOption2});
    if (const auto failure = preBuildCheck(description)) {
        platform.messageBox(*failure, FlagsExclamation, QStringLiteral("Corvane"));
        return;
    }
}

} // namespace corvane
