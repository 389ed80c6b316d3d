#pragma once

#include "package/PackageDescription.h"

#include <optional>

namespace corvane {

enum class CheckRules {
    Build,       // all four rules
    ProfileSave, // without the save location
};

// The message of the first rule the description breaks, or nothing.
std::optional<QString> preBuildCheck(const PackageDescription &description, CheckRules rules = CheckRules::Build);

} // namespace corvane
