#pragma once

#include "platform/Platform.h"

namespace corvane {

// Reads the zip archive at the native path through minizip: its directory,
// whether it needs zip64, and each entry's data against its CRC.
ZipReport inspectZipFile(const QString &nativePath);

} // namespace corvane
