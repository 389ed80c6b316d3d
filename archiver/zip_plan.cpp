#include "zip_plan.h"

#include <map>

namespace corvane::zip {

std::vector<PlanStep> planEntries(const std::vector<std::string>& oldNames,
                                  const std::vector<std::string>& newNames)
{
    std::map<std::string, std::size_t> newByName;
    for (std::size_t i = 0; i < newNames.size(); ++i)
        newByName.emplace(newNames[i], i);
    std::vector<PlanStep> steps;
    std::vector<bool> placed(newNames.size(), false);
    for (std::size_t i = 0; i < oldNames.size(); ++i) {
        const auto found = newByName.find(oldNames[i]);
        if (found == newByName.end()) {
            steps.push_back({PlanStep::Kind::keepOld, i, false});
        } else if (!placed[found->second]) {
            steps.push_back({PlanStep::Kind::addNew, found->second, true});
            placed[found->second] = true;
        }
    }
    for (std::size_t i = 0; i < newNames.size(); ++i)
        if (!placed[i])
            steps.push_back({PlanStep::Kind::addNew, i, false});
    return steps;
}

} // namespace corvane::zip
