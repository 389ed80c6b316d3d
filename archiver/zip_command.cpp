#include "zip_command.h"

#include "zip_archive_writer.h"
#include "zip_compress.h"
#include "zip_deflate.h"
#include "zip_failure.h"
#include "zip_limits.h"
#include "zip_old_archive.h"
#include "zip_plan.h"
#include "zip_sources.h"
#include "zip_stream.h"

#include <cstdio>
#include <string>
#include <vector>

namespace corvane::zip {

namespace {

int runChecked(const Options& options)
{
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return exitcode::ok;
    }
    if (options.files.empty())
        throw Failure(exitcode::nothingToDo, "Nothing to do! (" + options.archive + ")");

    // An archive that is a link (into the game's folder, say) is updated
    // where it leads, and stays a link.
    const std::string target = os::followLinks(options.archive);
    OldArchive old;
    old.open(target);
    if (old.exists() && !os::writable(target)) {
        std::fprintf(stderr, "zip I/O error: Permission denied\n");
        throw Failure(exitcode::cannotWrite, "Could not create output file (" + options.archive + ")");
    }
    // Writing a new file in its place would split the names apart, leaving
    // the other names with the old archive.
    if (old.exists() && old.status().links > 1)
        throw Failure(exitcode::cannotWrite,
                      options.archive +
                          " has other hard links, which replacing it would "
                          "split from it; not updated");
    std::vector<Source> sources = collectSources(options, old);
    if (sources.empty())
        throw Failure(exitcode::nothingToDo, "Nothing to do! (" + options.archive + ")");

    std::vector<std::string> oldNames;
    for (const RawEntry& entry : old.entries())
        oldNames.push_back(entry.name);
    std::vector<std::string> newNames;
    for (const Source& source : sources)
        newNames.push_back(source.name);
    const std::vector<PlanStep> steps = planEntries(oldNames, newNames);

    // One job per new file, indexed like the sources.
    std::vector<Job> jobs(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        jobs[i].source = &sources[i];
        os::FileInfo status;
        std::string error;
        if (os::inspect(sources[i].path, status, error) != os::Found::yes || !status.regular)
            continue;
        if (std::string limit = checkFileSize(status.size); !limit.empty())
            throw Failure(exitcode::tooBig, sources[i].path + ": " + limit);
        if (status.size > streamPieceBytes)
            sources[i].streamed = true;
        else
            jobs[i].cost = 2 * status.size;
    }
    for (const PlanStep& step : steps) {
        if (step.kind == PlanStep::Kind::keepOld)
            old.checkCarriable(step.index);
        else if (step.replacing)
            sources[step.index].replacing = true;
    }
    if (std::string limit = checkEntryCount(steps.size()); !limit.empty())
        throw Failure(exitcode::tooBig, options.archive + ": " + limit);

    os::installStopHandlers();
    os::TemporaryFile temporary(target);
    const int zipLevel = options.level.value_or(6);
    {
        ArchiveWriter writer(temporary, options.archive);
        const int level = libdeflateLevel(options.level);
        Compressors compressors(jobs, level);
        for (const PlanStep& step : steps) {
            if (step.kind == PlanStep::Kind::keepOld) {
                writer.copyOld(old, step.index);
                continue;
            }
            const Source& source = sources[step.index];
            bool deflated = false;
            std::uint64_t size = 0;
            std::uint64_t packed = 0;
            if (source.streamed) {
                const StreamResult streamed = writer.addStreamed(source, level, zipLevel);
                deflated = level > 0;
                size = streamed.size;
                packed = streamed.written;
            } else {
                Job& job = compressors.await(step.index);
                if (job.errorCode != 0)
                    throw Failure(job.errorCode, job.error);
                writer.addNew(job, zipLevel);
                deflated = job.deflated;
                size = job.size;
                packed = job.packed.size();
                compressors.release(step.index);
            }
            if (!options.quiet) {
                const char* verb = source.replacing ? "updating: " : "  adding: ";
                if (deflated)
                    std::printf("%s%s (deflated %d%%)\n", verb, source.name.c_str(),
                                percentSaved(size, packed));
                else
                    std::printf("%s%s (stored 0%%)\n", verb, source.name.c_str());
                std::fflush(stdout);
            }
        }
        writer.close(old.comment());
    }
    old.close();
    const std::uint32_t mode = old.exists() ? (old.status().mode & 07777) : os::newFileMode();
    temporary.commit(target, mode);
    return exitcode::ok;
}

} // namespace

int run(const Options& options)
{
    try {
        return runChecked(options);
    } catch (const Failure& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "zip error: %s\n", failure.what());
        return failure.code;
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fprintf(stderr, "zip error: Out of memory\n");
        return exitcode::outOfMemory;
    }
}

} // namespace corvane::zip
