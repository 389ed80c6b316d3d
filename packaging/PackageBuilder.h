#pragma once

#include "package/PackageDescription.h"

namespace corvane {

class Platform;
class SettingsStore;

// Create: turns the description into the game's package (and the .zip).
void buildPackage(Platform &platform, const SettingsStore &store, const PackageDescription &description);

} // namespace corvane
