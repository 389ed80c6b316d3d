#include "zip_failure.h"
#include "zip_options.h"
#include "zip_os.h"
#include "zip_temporary_name.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace corvane::zip::os {

namespace {

// The signal handler may only touch what is ready before it runs.
constexpr std::size_t maxTempPath = 4096;
char g_tempPath[maxTempPath];
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

FileInfo infoOf(const struct stat& status)
{
    FileInfo info;
    info.regular = S_ISREG(status.st_mode);
    info.directory = S_ISDIR(status.st_mode);
    info.size = static_cast<std::uint64_t>(status.st_size);
    info.modified = status.st_mtime;
    info.mode = static_cast<std::uint32_t>(status.st_mode);
    info.ownerWritable = (status.st_mode & S_IWUSR) != 0;
    info.device = static_cast<std::uint64_t>(status.st_dev);
    info.inode = static_cast<std::uint64_t>(status.st_ino);
    info.links = static_cast<std::uint64_t>(status.st_nlink);
    return info;
}

} // namespace

std::string lastErrorText() { return std::strerror(errno); }

Found inspect(const std::string& path, FileInfo& info, std::string& error)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        error = lastErrorText();
        return errno == ENOENT ? Found::missing : Found::failed;
    }
    info = infoOf(status);
    return Found::yes;
}

bool readable(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = lastErrorText();
        return false;
    }
    ::close(fd);
    return true;
}

bool writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

std::string followLinks(const std::string& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr), std::free);
    if (!resolved)
        throw Failure(exitcode::cannotWrite,
                      "Could not follow the link " + path + " (" + lastErrorText() + ")");
    return resolved.get();
}

InputFile::InputFile(const std::string& path) : m_path(path)
{
    m_handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_handle < 0)
        throw Failure(exitcode::cannotRead,
                      "Could not open for reading: " + path + " (" + lastErrorText() + ")");
}

InputFile::~InputFile()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
}

FileInfo InputFile::info() const
{
    struct stat status {};
    if (::fstat(static_cast<int>(m_handle), &status) != 0)
        throw Failure(exitcode::cannotRead, "Could not read " + m_path + " (" + lastErrorText() + ")");
    return infoOf(status);
}

std::size_t InputFile::readAt(std::uint64_t offset, void* buffer, std::size_t size)
{
    std::size_t have = 0;
    while (have < size) {
        const ssize_t got = ::pread(static_cast<int>(m_handle), static_cast<char*>(buffer) + have, size - have,
                                    static_cast<off_t>(offset + have));
        if (got == 0 || (got < 0 && errno != EINTR))
            break;
        if (got > 0)
            have += static_cast<std::size_t>(got);
    }
    return have;
}

std::size_t InputFile::read(void* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(m_handle), buffer, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw Failure(exitcode::cannotRead, "Could not read " + m_path + " (" + lastErrorText() + ")");
    }
}

TemporaryFile::TemporaryFile(const std::string& besidePath)
{
    m_path = temporaryPathFor(besidePath, static_cast<unsigned long>(::getpid()));
    if (m_path.size() >= maxTempPath)
        throw Failure(exitcode::cannotWrite, "archive path too long: " + besidePath);
    // Never over a file that is already there, whoever made it.
    m_handle = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (m_handle < 0)
        throw Failure(exitcode::cannotWrite, "Could not create temporary file " + m_path + " (" + lastErrorText() + ")");
    std::memcpy(g_tempPath, m_path.c_str(), m_path.size() + 1);
    g_tempArmed = 1;
}

TemporaryFile::~TemporaryFile()
{
    close();
    if (!m_kept) {
        g_tempArmed = 0;
        ::unlink(m_path.c_str());
    }
}

void TemporaryFile::close()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
}

namespace {

// Writes all of data at offset, or at the end when offset is negative.
bool writeAll(int fd, const void* data, std::size_t size, off_t offset)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t done = offset < 0 ? ::write(fd, bytes, size) : ::pwrite(fd, bytes, size, offset);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = ENOSPC;
            return false;
        }
        bytes += done;
        size -= static_cast<std::size_t>(done);
        if (offset >= 0)
            offset += done;
    }
    return true;
}

} // namespace

bool TemporaryFile::write(const void* data, std::size_t size)
{
    return writeAll(static_cast<int>(m_handle), data, size, -1);
}

bool TemporaryFile::writeAt(std::uint64_t offset, const void* data, std::size_t size)
{
    return writeAll(static_cast<int>(m_handle), data, size, static_cast<off_t>(offset));
}

void TemporaryFile::commit(const std::string& target, std::uint32_t mode)
{
    const int fd = static_cast<int>(m_handle);
    if (::fsync(fd) != 0 || ::fchmod(fd, static_cast<mode_t>(mode)) != 0 || ::close(fd) != 0) {
        m_handle = -1;
        throw Failure(exitcode::cannotWrite, "could not finish " + m_path + " (" + lastErrorText() + ")");
    }
    m_handle = -1;
    if (::rename(m_path.c_str(), target.c_str()) != 0)
        throw Failure(exitcode::cannotWrite, "could not replace " + target + " (" + lastErrorText() + ")");
    g_tempArmed = 0;
    m_kept = true;
}

void installStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

std::uint32_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<std::uint32_t>(0666 & ~mask);
}

void checkStop() {}

std::vector<std::string> arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool localTime(std::time_t time, std::tm& local) { return ::localtime_r(&time, &local) != nullptr; }

} // namespace corvane::zip::os
