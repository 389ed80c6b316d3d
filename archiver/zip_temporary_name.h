#pragma once

#include <string>

namespace corvane::zip {

// The new archive is written beside the one it replaces, under the archive's
// own name followed by ".zi", this process's id and ".tmp". Corvane computes
// the same name from the archive and the id it started, so after a forced
// end it removes exactly the file this run left, and nothing else.
inline std::string temporaryPathFor(const std::string& target, unsigned long processId)
{
    return target + ".zi" + std::to_string(processId) + ".tmp";
}

} // namespace corvane::zip
