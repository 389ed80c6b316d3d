#include "zip_sources.h"

#include "zip_failure.h"

#include <cstdio>
#include <map>

namespace corvane::zip {

std::vector<Source> collectSources(const Options& options, const OldArchive& old)
{
    std::vector<Source> sources;
    std::map<std::string, std::size_t> byName;
    std::vector<std::string> unreadable;
    for (const std::string& path : options.files) {
        NameResult name = entryName(path, options.junkPaths);
        if (!name.error.empty())
            throw Failure(exitcode::badArguments, "Invalid command arguments (" + name.error + ")");
        os::FileInfo status;
        std::string error;
        if (os::inspect(path, status, error) != os::Found::yes) {
            unreadable.push_back(path + " (" + error + ")");
            continue;
        }
        // The archive may well be named among its own inputs by a wildcard
        // in a script; like Info-ZIP, it is not packed into itself.
        if (old.exists() && status.sameFile(old.status()))
            continue;
        Source source;
        source.path = path;
        source.name = name.name;
        if (status.directory) {
            if (options.junkPaths)
                continue; // a folder entry without its path means nothing
            source.directory = true;
            source.name += '/';
        } else if (!status.regular) {
            unreadable.push_back(path + " (not a regular file)");
            continue;
        } else {
            if (!os::readable(path, error)) {
                unreadable.push_back(path + " (" + error + ")");
                continue;
            }
        }
        const auto [it, inserted] = byName.emplace(source.name, sources.size());
        if (!inserted) {
            const Source& first = sources[it->second];
            if (first.path == source.path)
                continue; // the same file named twice
            std::fprintf(stderr,
                         "\tzip warning:   first full name: %s\n"
                         "                      second full name: %s\n"
                         "                     name in zip file repeated: %s\n",
                         first.path.c_str(), source.path.c_str(), source.name.c_str());
            throw Failure(exitcode::badArguments,
                          "Invalid command arguments (cannot repeat names in zip file)");
        }
        sources.push_back(std::move(source));
    }
    if (!unreadable.empty()) {
        for (std::size_t i = 0; i + 1 < unreadable.size(); ++i)
            std::fprintf(stderr, "zip error: Could not open for reading: %s\n", unreadable[i].c_str());
        throw Failure(exitcode::cannotRead, "Could not open for reading: " + unreadable.back());
    }
    return sources;
}

} // namespace corvane::zip
