#include "zip_writer.h"

#include "zip_deflate.h"
#include "zip_limits.h"

#include <libdeflate.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace corvane::zip {

namespace {

// "Made by Unix", so that unzip restores the permission bits kept in the
// upper half of the external attributes, as with Info-ZIP's archives.
constexpr uLong versionMadeByUnix = (3u << 8) | 20u;
constexpr uLong flagDataDescriptor = 0x0008;
constexpr uLong flagUtf8Name = 0x0800;
constexpr uLong msdosReadOnly = 0x01;
constexpr uLong msdosDirectory = 0x10;
// Input and output buffers of files being compressed at once; beyond it
// workers wait for the writer, which keeps peak memory near the largest file.
constexpr std::uint64_t memoryBudget = 192ull << 20;

struct Failure : std::runtime_error {
    Failure(int code, const std::string& message) : std::runtime_error(message), code(code) {}
    int code;
};

std::string errnoText(int error) { return std::strerror(error); }

// --- removal of the temporary file when the program is stopped -------------

char g_tempPath[4096];
volatile std::sig_atomic_t g_tempArmed = 0;

extern "C" void onStopSignal(int)
{
    if (g_tempArmed)
        ::unlink(g_tempPath);
    static const char text[] = "\nzip error: Interrupted (aborting)\n";
    const ssize_t ignored = ::write(STDERR_FILENO, text, sizeof text - 1);
    (void)ignored;
    ::_exit(exitcode::interrupted);
}

void installStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& besidePath)
    {
        const std::size_t slash = besidePath.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : besidePath.substr(0, slash ? slash : 1);
        std::string pattern = folder + "/ziXXXXXX";
        if (pattern.size() >= sizeof g_tempPath)
            throw Failure(exitcode::cannotWrite, "archive path too long: " + besidePath);
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const int fd = ::mkstemp(buffer.data());
        if (fd < 0)
            throw Failure(exitcode::cannotWrite,
                          "Could not create temporary file in " + folder + " (" + errnoText(errno) + ")");
        ::close(fd);
        m_path = buffer.data();
        std::memcpy(g_tempPath, m_path.c_str(), m_path.size() + 1);
        g_tempArmed = 1;
    }
    ~TemporaryFile()
    {
        if (!m_kept) {
            g_tempArmed = 0;
            ::unlink(m_path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return m_path; }

    // Flushes to disk and puts the file in place of target in one step.
    void commit(const std::string& target, mode_t mode)
    {
        const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0 || ::fchmod(fd, mode) != 0) {
            const int error = errno;
            if (fd >= 0)
                ::close(fd);
            throw Failure(exitcode::cannotWrite, "could not finish " + m_path + " (" + errnoText(error) + ")");
        }
        ::close(fd);
        if (::rename(m_path.c_str(), target.c_str()) != 0)
            throw Failure(exitcode::cannotWrite,
                          "could not replace " + target + " (" + errnoText(errno) + ")");
        g_tempArmed = 0;
        m_kept = true;
    }

private:
    std::string m_path;
    bool m_kept = false;
};

// --- what goes into the archive -------------------------------------------

struct Source {
    std::string path; // as given on the command line
    std::string name; // entry name; folders end in '/'
    bool directory = false;
    bool replacing = false;
};

struct OldEntry {
    std::string name;
    unz64_file_pos position{};
    unz_file_info64 info{};
    std::vector<char> centralExtra;
    std::string comment;
};

struct Job {
    const Source* source = nullptr;
    enum class State { waiting, running, done } state = State::waiting;
    std::uint64_t cost = 0; // bytes charged against memoryBudget

    struct stat status {};
    std::vector<unsigned char> data;   // the file as read
    std::vector<unsigned char> packed; // raw deflate stream, when smaller
    bool deflated = false;
    std::uint64_t size = 0; // bytes read, which is what the entry holds
    std::uint32_t crc = 0;
    int errorCode = 0;
    std::string error;
};

void readWhole(Job& job)
{
    const std::string& path = job.source->path;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw Failure(exitcode::cannotRead, "Could not open for reading: " + path + " (" + errnoText(errno) + ")");
    std::unique_ptr<int, void (*)(int*)> closer(new int(fd), [](int* p) { ::close(*p); delete p; });
    if (::fstat(fd, &job.status) != 0)
        throw Failure(exitcode::cannotRead, "Could not read " + path + " (" + errnoText(errno) + ")");
    if (job.source->directory)
        return;
    if (std::string limit = checkFileSize(static_cast<std::uint64_t>(job.status.st_size)); !limit.empty())
        throw Failure(exitcode::tooBig, path + ": " + limit);
    // One byte more than expected, to notice a file that grew meanwhile.
    std::size_t want = static_cast<std::size_t>(job.status.st_size) + 1;
    job.data.resize(want);
    std::size_t have = 0;
    for (;;) {
        if (have == job.data.size()) {
            if (std::string limit = checkFileSize(have); !limit.empty())
                throw Failure(exitcode::tooBig, path + ": " + limit);
            job.data.resize(job.data.size() * 2);
        }
        const ssize_t got = ::read(fd, job.data.data() + have, job.data.size() - have);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw Failure(exitcode::cannotRead, "Could not read " + path + " (" + errnoText(errno) + ")");
        }
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    job.data.resize(have);
    if (std::string limit = checkFileSize(have); !limit.empty())
        throw Failure(exitcode::tooBig, path + ": " + limit);
}

void compress(Job& job, libdeflate_compressor* compressor, int level)
{
    readWhole(job);
    const std::size_t size = job.data.size();
    job.size = size;
    job.crc = libdeflate_crc32(0, job.data.data(), size);
    if (!compressor)
        return;
    // A stream that is not smaller is not worth having: the entry is
    // stored instead, like Info-ZIP does.
    job.packed = deflateData(job.data.data(), size, level, compressor,
                             pieceCount(size, level, std::thread::hardware_concurrency()));
    if (job.packed.empty())
        return;
    job.deflated = true;
    job.data = {};
}

// Compresses the jobs on worker threads, largest first so that the biggest
// file (usually the BSP) does not finish last; the writer takes them in
// archive order.
class Compressors {
public:
    Compressors(std::vector<Job>& jobs, int level) : m_jobs(jobs)
    {
        for (std::size_t i = 0; i < jobs.size(); ++i)
            m_bySize.push_back(i);
        std::stable_sort(m_bySize.begin(), m_bySize.end(),
                         [&](std::size_t a, std::size_t b) { return jobs[a].cost > jobs[b].cost; });
        unsigned threads = std::max(1u, std::thread::hardware_concurrency());
        threads = static_cast<unsigned>(std::min<std::size_t>(threads, jobs.size()));
        for (unsigned i = 0; i < threads; ++i)
            m_threads.emplace_back([this, level] { work(level); });
    }
    ~Compressors()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }
    Compressors(const Compressors&) = delete;
    Compressors& operator=(const Compressors&) = delete;

    Job& await(std::size_t index)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_nextToWrite = index;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_jobs[index].state == Job::State::done; });
        return m_jobs[index];
    }

    void release(std::size_t index)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Job& job = m_jobs[index];
        m_charged -= job.cost;
        job.data = {};
        job.packed = {};
        m_changed.notify_all();
    }

private:
    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    // Called with the lock held.
    std::size_t choose()
    {
        while (m_sorted < m_bySize.size() && m_jobs[m_bySize[m_sorted]].state != Job::State::waiting)
            ++m_sorted;
        if (m_sorted == m_bySize.size())
            return none;
        const std::size_t largest = m_bySize[m_sorted];
        if (m_charged == 0 || m_charged + m_jobs[largest].cost <= memoryBudget)
            return largest;
        // Whatever the budget, the job the writer waits for may always run.
        if (m_nextToWrite < m_jobs.size() && m_jobs[m_nextToWrite].state == Job::State::waiting)
            return m_nextToWrite;
        return none;
    }

    void work(int level)
    {
        std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
            level > 0 ? libdeflate_alloc_compressor(level) : nullptr, libdeflate_free_compressor);
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            std::size_t pick = none;
            m_changed.wait(lock, [&] {
                if (m_stopped)
                    return true;
                pick = choose();
                return pick != none || m_sorted == m_bySize.size();
            });
            if (m_stopped || pick == none)
                return;
            Job& job = m_jobs[pick];
            job.state = Job::State::running;
            m_charged += job.cost;
            lock.unlock();
            try {
                if (level > 0 && !compressor)
                    throw Failure(exitcode::cannotWrite, "out of memory for the compressor");
                compress(job, compressor.get(), level);
            } catch (const Failure& failure) {
                job.errorCode = failure.code;
                job.error = failure.what();
            } catch (const std::bad_alloc&) {
                job.errorCode = exitcode::outOfMemory;
                job.error = "Out of memory reading " + job.source->path;
            }
            lock.lock();
            job.state = Job::State::done;
            m_changed.notify_all();
        }
    }

    std::vector<Job>& m_jobs;
    std::vector<std::size_t> m_bySize;
    std::size_t m_sorted = 0;
    std::size_t m_nextToWrite = none;
    std::uint64_t m_charged = 0;
    bool m_stopped = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_threads;
};

// --- the old archive ------------------------------------------------------

struct OldArchive {
    unzFile file = nullptr;
    std::vector<OldEntry> entries;
    std::string comment;
    bool exists = false;
    struct stat status {};

    ~OldArchive()
    {
        if (file)
            unzClose(file);
    }
};

void readOldArchive(const std::string& path, OldArchive& old)
{
    if (::stat(path.c_str(), &old.status) != 0) {
        if (errno == ENOENT)
            return;
        throw Failure(exitcode::cannotWrite, "Could not open " + path + " (" + errnoText(errno) + ")");
    }
    old.exists = true;
    if (!S_ISREG(old.status.st_mode))
        throw Failure(exitcode::cannotWrite, path + " is not a regular file");
    if (old.status.st_size == 0)
        return; // an empty file holds no entries yet
    const std::string invalid = "Zip file structure invalid (" + path + ")";
    old.file = unzOpen64(path.c_str());
    if (!old.file)
        throw Failure(exitcode::badArchive, invalid);
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(old.file, &global) != UNZ_OK)
        throw Failure(exitcode::badArchive, invalid);
    if (global.size_comment > 0) {
        std::vector<char> text(global.size_comment + 1);
        const int got = unzGetGlobalComment(old.file, text.data(), static_cast<uLong>(text.size()));
        if (got < 0)
            throw Failure(exitcode::badArchive, invalid);
        old.comment.assign(text.data(), static_cast<std::size_t>(got));
    }
    // Counted rather than run to the end of the list: minizip takes a count
    // of exactly 65,535 as "maybe more" and then reads past the directory.
    for (ZPOS64_T i = 0; i < global.number_entry; ++i) {
        const int status = i == 0 ? unzGoToFirstFile(old.file) : unzGoToNextFile(old.file);
        if (status != UNZ_OK)
            throw Failure(exitcode::badArchive, invalid);
        OldEntry entry;
        if (unzGetCurrentFileInfo64(old.file, &entry.info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzGetFilePos64(old.file, &entry.position) != UNZ_OK)
            throw Failure(exitcode::badArchive, invalid);
        std::vector<char> name(entry.info.size_filename + 1);
        entry.centralExtra.resize(entry.info.size_file_extra);
        std::vector<char> comment(entry.info.size_file_comment + 1);
        if (unzGetCurrentFileInfo64(old.file, &entry.info, name.data(), static_cast<uLong>(name.size()),
                                    entry.centralExtra.data(), static_cast<uLong>(entry.centralExtra.size()),
                                    comment.data(), static_cast<uLong>(comment.size())) != UNZ_OK)
            throw Failure(exitcode::badArchive, invalid);
        entry.name.assign(name.data(), entry.info.size_filename);
        entry.comment.assign(comment.data(), entry.info.size_file_comment);
        old.entries.push_back(std::move(entry));
    }
}

void checkCarriable(const OldEntry& entry, const std::string& archive)
{
    if (entry.info.flag & 1)
        throw Failure(exitcode::badArchive,
                      "entry " + entry.name + " of " + archive + " is encrypted; the game cannot read it");
    if (entry.info.compression_method != 0 && entry.info.compression_method != Z_DEFLATED)
        throw Failure(exitcode::badArchive, "entry " + entry.name + " of " + archive +
                                                " uses compression method " +
                                                std::to_string(entry.info.compression_method) +
                                                "; the game reads only stored and deflated entries");
}

// Zip64 blocks of a copied entry would claim sizes that minizip does not
// write for a small entry, so they go; the rest of the extra field stays.
std::vector<char> withoutZip64(std::vector<char> extra)
{
    if (extra.empty())
        return extra;
    int size = static_cast<int>(extra.size());
    zipRemoveExtraInfoBlock(extra.data(), &size, 0x0001);
    extra.resize(static_cast<std::size_t>(size));
    return extra;
}

// --- the new archive ------------------------------------------------------

class Writer {
public:
    Writer(const std::string& path, const std::string& archiveName) : m_archiveName(archiveName)
    {
        m_file = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
        if (!m_file)
            throw Failure(exitcode::cannotWrite, "Could not create " + path + " (" + errnoText(errno) + ")");
    }
    ~Writer()
    {
        if (m_file)
            zipClose(m_file, nullptr);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void addNew(const Job& job, int zipLevel)
    {
        const Source& source = *job.source;
        const bool deflated = job.deflated;
        const std::vector<unsigned char>& bytes = deflated ? job.packed : job.data;
        EntryLayout layout;
        layout.nameBytes = source.name.size();
        layout.compressedSize = bytes.size();
        layout.uncompressedSize = job.size;
        budget(layout, source.name);

        zip_fileinfo info{};
        info.tmz_date = dosTime(job.status.st_mtime);
        info.external_fa = (static_cast<uLong>(job.status.st_mode) << 16) |
                           ((job.status.st_mode & S_IWUSR) ? 0 : msdosReadOnly) |
                           (source.directory ? msdosDirectory : 0);
        const uLong flags = needsUtf8Flag(source.name) ? flagUtf8Name : 0;
        // The level only sets the "maximum/fast" hint bits, as Info-ZIP does.
        const int method = deflated ? Z_DEFLATED : 0;
        const int levelHint = deflated ? zipLevel : 0;
        check(zipOpenNewFileInZip4(m_file, source.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                   levelHint, 1, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                   versionMadeByUnix, flags));
        write(bytes.data(), bytes.size());
        check(zipCloseFileInZipRaw(m_file, static_cast<uLong>(layout.uncompressedSize), job.crc));
    }

    void copyOld(unzFile old, const OldEntry& entry, const std::string& oldPath)
    {
        const std::string invalid = "could not read entry " + entry.name + " of " + oldPath;
        int method = 0;
        int level = 0;
        if (unzGoToFilePos64(old, &entry.position) != UNZ_OK ||
            unzOpenCurrentFile2(old, &method, &level, 1) != UNZ_OK)
            throw Failure(exitcode::badArchive, invalid);
        std::vector<char> localExtra;
        const int localSize = unzGetLocalExtrafield(old, nullptr, 0);
        if (localSize > 0) {
            localExtra.resize(static_cast<std::size_t>(localSize));
            if (unzGetLocalExtrafield(old, localExtra.data(), static_cast<unsigned>(localSize)) != localSize)
                throw Failure(exitcode::badArchive, invalid);
        }
        localExtra = withoutZip64(std::move(localExtra));
        const std::vector<char> centralExtra = withoutZip64(entry.centralExtra);

        EntryLayout layout;
        layout.nameBytes = entry.name.size();
        layout.localExtraBytes = localExtra.size();
        layout.centralExtraBytes = centralExtra.size();
        layout.commentBytes = entry.comment.size();
        layout.compressedSize = entry.info.compressed_size;
        layout.uncompressedSize = entry.info.uncompressed_size;
        budget(layout, entry.name);

        zip_fileinfo info{};
        info.dosDate = entry.info.dosDate;
        info.tmz_date.tm_sec = entry.info.tmu_date.tm_sec;
        info.tmz_date.tm_min = entry.info.tmu_date.tm_min;
        info.tmz_date.tm_hour = entry.info.tmu_date.tm_hour;
        info.tmz_date.tm_mday = entry.info.tmu_date.tm_mday;
        info.tmz_date.tm_mon = entry.info.tmu_date.tm_mon;
        info.tmz_date.tm_year = entry.info.tmu_date.tm_year;
        info.internal_fa = entry.info.internal_fa;
        info.external_fa = entry.info.external_fa;
        // The data follows its local header directly here, so a data
        // descriptor flag from the old archive would no longer be true. The
        // level hint bits are carried in the flags, hence level 0.
        const uLong flags = entry.info.flag & ~flagDataDescriptor;
        check(zipOpenNewFileInZip4(m_file, entry.name.c_str(), &info,
                                   localExtra.empty() ? nullptr : localExtra.data(),
                                   static_cast<uInt>(localExtra.size()),
                                   centralExtra.empty() ? nullptr : centralExtra.data(),
                                   static_cast<uInt>(centralExtra.size()),
                                   entry.comment.empty() ? nullptr : entry.comment.c_str(),
                                   static_cast<int>(entry.info.compression_method), 0, 1, -MAX_WBITS,
                                   DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, entry.info.version, flags));
        std::vector<char> buffer(256 * 1024);
        std::uint64_t copied = 0;
        for (;;) {
            const int got = unzReadCurrentFile(old, buffer.data(), static_cast<unsigned>(buffer.size()));
            if (got < 0)
                throw Failure(exitcode::badArchive, invalid);
            if (got == 0)
                break;
            write(buffer.data(), static_cast<std::size_t>(got));
            copied += static_cast<std::uint64_t>(got);
        }
        unzCloseCurrentFile(old);
        if (copied != entry.info.compressed_size)
            throw Failure(exitcode::badArchive, invalid);
        check(zipCloseFileInZipRaw(m_file, static_cast<uLong>(entry.info.uncompressed_size),
                                   static_cast<uLong>(entry.info.crc)));
    }

    void close(const std::string& comment)
    {
        if (std::string limit = m_budget.finish(comment.size()); !limit.empty())
            throw Failure(exitcode::tooBig, m_archiveName + ": " + limit);
        const int status = zipClose(m_file, comment.empty() ? nullptr : comment.c_str());
        m_file = nullptr;
        check(status);
    }

private:
    void budget(const EntryLayout& layout, const std::string& name)
    {
        if (std::string limit = m_budget.add(layout); !limit.empty())
            throw Failure(exitcode::tooBig, name + ": " + limit);
    }

    void write(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        while (size > 0) {
            const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30));
            check(zipWriteInFileInZip(m_file, bytes, chunk));
            bytes += chunk;
            size -= chunk;
        }
    }

    void check(int status)
    {
        if (status != ZIP_OK)
            throw Failure(exitcode::cannotWrite, "Output file write failure (write error on zip file " +
                                                     m_archiveName + ")");
    }

    static tm_zip dosTime(std::time_t modified)
    {
        // DOS times have two-second steps; Info-ZIP rounds odd seconds up.
        std::time_t even = (modified + 1) & ~static_cast<std::time_t>(1);
        std::tm local{};
        tm_zip result{};
        result.tm_year = 1980;
        result.tm_mday = 1;
        if (!::localtime_r(&even, &local) || local.tm_year < 80)
            return result;
        if (local.tm_year > 207) {
            result.tm_year = 2107;
            result.tm_mon = 11;
            result.tm_mday = 31;
            result.tm_hour = 23;
            result.tm_min = 59;
            result.tm_sec = 58;
            return result;
        }
        result.tm_year = static_cast<uInt>(local.tm_year + 1900);
        result.tm_mon = static_cast<uInt>(local.tm_mon);
        result.tm_mday = static_cast<uInt>(local.tm_mday);
        result.tm_hour = static_cast<uInt>(local.tm_hour);
        result.tm_min = static_cast<uInt>(local.tm_min);
        result.tm_sec = static_cast<uInt>(local.tm_sec);
        return result;
    }

    zipFile m_file = nullptr;
    std::string m_archiveName;
    ArchiveBudget m_budget;
};

// --- the command ----------------------------------------------------------

std::vector<Source> collectSources(const Options& options, const OldArchive& old)
{
    std::vector<Source> sources;
    std::map<std::string, std::size_t> byName;
    std::vector<std::string> unreadable;
    for (const std::string& path : options.files) {
        NameResult name = entryName(path, options.junkPaths);
        if (!name.error.empty())
            throw Failure(exitcode::badArguments, "Invalid command arguments (" + name.error + ")");
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0) {
            unreadable.push_back(path + " (" + errnoText(errno) + ")");
            continue;
        }
        // The archive may well be named among its own inputs by a wildcard
        // in a script; like Info-ZIP, it is not packed into itself.
        if (old.exists && status.st_dev == old.status.st_dev && status.st_ino == old.status.st_ino)
            continue;
        Source source;
        source.path = path;
        source.name = name.name;
        if (S_ISDIR(status.st_mode)) {
            if (options.junkPaths)
                continue; // a folder entry without its path means nothing
            source.directory = true;
            source.name += '/';
        } else if (!S_ISREG(status.st_mode)) {
            unreadable.push_back(path + " (not a regular file)");
            continue;
        } else {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                unreadable.push_back(path + " (" + errnoText(errno) + ")");
                continue;
            }
            ::close(fd);
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
            throw Failure(exitcode::badArguments, "Invalid command arguments (cannot repeat names in zip file)");
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

struct Step {
    const OldEntry* keep = nullptr; // copied as it is
    std::size_t job = 0;            // otherwise the index of the new file's job
};

int runChecked(const Options& options)
{
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return exitcode::ok;
    }
    if (options.files.empty())
        throw Failure(exitcode::nothingToDo, "Nothing to do! (" + options.archive + ")");

    OldArchive old;
    readOldArchive(options.archive, old);
    std::vector<Source> sources = collectSources(options, old);
    if (sources.empty())
        throw Failure(exitcode::nothingToDo, "Nothing to do! (" + options.archive + ")");

    // Same-named old entries are replaced where they stand; the rest keep
    // their order, and new files follow in command-line order.
    std::map<std::string, std::size_t> sourceByName;
    for (std::size_t i = 0; i < sources.size(); ++i)
        sourceByName.emplace(sources[i].name, i);
    std::vector<Job> jobs;
    std::vector<Step> steps;
    std::vector<bool> placed(sources.size(), false);
    const auto addJob = [&](std::size_t sourceIndex) {
        Job job;
        job.source = &sources[sourceIndex];
        struct stat status {};
        if (::stat(job.source->path.c_str(), &status) == 0 && S_ISREG(status.st_mode))
            job.cost = 2 * static_cast<std::uint64_t>(status.st_size);
        jobs.push_back(std::move(job));
        steps.push_back(Step{nullptr, jobs.size() - 1});
        placed[sourceIndex] = true;
    };
    for (const OldEntry& entry : old.entries) {
        const auto found = sourceByName.find(entry.name);
        if (found == sourceByName.end()) {
            checkCarriable(entry, options.archive);
            steps.push_back(Step{&entry, 0});
        } else if (!placed[found->second]) {
            sources[found->second].replacing = true;
            addJob(found->second);
        }
        // A later old duplicate of a replaced name is dropped with it.
    }
    for (std::size_t i = 0; i < sources.size(); ++i)
        if (!placed[i])
            addJob(i);
    if (std::string limit = checkEntryCount(steps.size()); !limit.empty())
        throw Failure(exitcode::tooBig, options.archive + ": " + limit);
    for (const Job& job : jobs)
        if (std::string limit = checkFileSize(job.cost / 2); !limit.empty())
            throw Failure(exitcode::tooBig, job.source->path + ": " + limit);

    installStopHandlers();
    TemporaryFile temporary(options.archive);
    const int zipLevel = options.level.value_or(6);
    {
        Writer writer(temporary.path(), options.archive);
        Compressors compressors(jobs, libdeflateLevel(options.level));
        for (const Step& step : steps) {
            if (step.keep) {
                writer.copyOld(old.file, *step.keep, options.archive);
                continue;
            }
            Job& job = compressors.await(step.job);
            if (job.errorCode != 0)
                throw Failure(job.errorCode, job.error);
            writer.addNew(job, zipLevel);
            if (!options.quiet) {
                const char* verb = job.source->replacing ? "updating: " : "  adding: ";
                if (job.deflated)
                    std::printf("%s%s (deflated %d%%)\n", verb, job.source->name.c_str(),
                                percentSaved(job.size, job.packed.size()));
                else
                    std::printf("%s%s (stored 0%%)\n", verb, job.source->name.c_str());
                std::fflush(stdout);
            }
            compressors.release(step.job);
        }
        writer.close(old.comment);
    }
    if (old.file) {
        unzClose(old.file);
        old.file = nullptr;
    }
    const mode_t mode = old.exists ? (old.status.st_mode & 07777) : [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    temporary.commit(options.archive, mode);
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
