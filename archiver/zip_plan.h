// Which entries the new archive holds, and in which order: old entries that
// no new file replaces are kept where they stand, a replaced one gives its
// place to the new file of that name, and the other new files follow in
// command-line order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace corvane::zip {

struct PlanStep {
    enum class Kind { keepOld, addNew };
    Kind kind;
    std::size_t index;      // into the old entries or the new files
    bool replacing = false; // a new file that takes an old entry's place
};

// New names are distinct. A later old entry of a replaced name is dropped
// with the first.
std::vector<PlanStep> planEntries(const std::vector<std::string>& oldNames,
                                  const std::vector<std::string>& newNames);

} // namespace corvane::zip
