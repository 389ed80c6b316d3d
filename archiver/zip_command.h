// Builds or updates one archive as the command line asks. The old archive is
// never opened for writing: the result goes to a temporary file beside it
// that replaces it only once it is complete.
#pragma once

#include "zip_options.h"

namespace corvane::zip {

// Prints progress to stdout and problems to stderr; returns the exit code.
int run(const Options& options);

} // namespace corvane::zip
