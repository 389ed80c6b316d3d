#include "zip_failure.h"
#include "zip_options.h"
#include "zip_os.h"
#include "zip_temporary_name.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

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
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw Failure(exitcode::cannotWrite, "Could not create temporary file " + m_path + " (" + lastErrorText() + ")");
    ::close(fd);
    std::memcpy(g_tempPath, m_path.c_str(), m_path.size() + 1);
    g_tempArmed = 1;
}

TemporaryFile::~TemporaryFile()
{
    if (!m_kept) {
        g_tempArmed = 0;
        ::unlink(m_path.c_str());
    }
}

void TemporaryFile::commit(const std::string& target, std::uint32_t mode)
{
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0 || ::fchmod(fd, static_cast<mode_t>(mode)) != 0) {
        const std::string error = lastErrorText();
        if (fd >= 0)
            ::close(fd);
        throw Failure(exitcode::cannotWrite, "could not finish " + m_path + " (" + error + ")");
    }
    ::close(fd);
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

void* openZipToWrite(const std::string& path)
{
    return zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
}

void* openZipToRead(const std::string& path)
{
    return unzOpen64(path.c_str());
}

bool localTime(std::time_t time, std::tm& local) { return ::localtime_r(&time, &local) != nullptr; }

} // namespace corvane::zip::os
