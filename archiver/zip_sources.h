// The files named on the command line, checked before anything is written.
#pragma once

#include "zip_compress.h"
#include "zip_old_archive.h"
#include "zip_options.h"

#include <vector>

namespace corvane::zip {

// Each file with its entry name, in command-line order. Names the same file
// twice only once, leaves out the archive itself, and refuses files it cannot
// read and two files that would share an entry name.
std::vector<Source> collectSources(const Options& options, const OldArchive& old);

} // namespace corvane::zip
