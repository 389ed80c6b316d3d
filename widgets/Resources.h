#pragma once

namespace corvane {

// Registers the images compiled into the library; the linker would otherwise
// drop them from a static build. Safe to call more than once.
void loadResources();

} // namespace corvane
