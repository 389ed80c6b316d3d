#pragma once

#include "package/PackageDescription.h"

#include <optional>

namespace corvane {

// Input that would be unsafe on the archiver's command line or as a file
// name: the message that refuses it, or nothing when all is well.
std::optional<QString> unsafeInputMessage(const PackageDescription &description);

} // namespace corvane
