#include "zip_failure.h"
#include "zip_options.h"
#include "zip_os.h"
#include "zip_temporary_name.h"

#include <windows.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <shellapi.h>

namespace corvane::zip::os {

namespace {

// Paths are UTF-8 inside the archiver and wide at the system's edge.
std::wstring wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string narrow(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string out(static_cast<std::size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

bool startsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// Every path reaches the system in its extended-length form ("\\?\C:\..."):
// no length limit then applies, whatever the manifest or the registry allow.
std::wstring systemPath(const std::string& path)
{
    const std::wstring given = wide(path);
    if (given.empty() || startsWith(given, L"\\\\?\\") || startsWith(given, L"\\\\.\\"))
        return given;
    const DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return given;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return given;
    full.resize(length);
    if (startsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 3 && full[1] == L':')
        return L"\\\\?\\" + full;
    return full;
}

// A path the system gave back, as the user writes it.
std::string userPath(const std::wstring& path)
{
    if (startsWith(path, L"\\\\?\\UNC\\"))
        return narrow((L"\\\\" + path.substr(8)).c_str());
    if (startsWith(path, L"\\\\?\\"))
        return narrow(path.c_str() + 4);
    return narrow(path.c_str());
}

std::time_t unixTime(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    constexpr unsigned long long ticksPerSecond = 10000000ull;
    constexpr unsigned long long epochDifference = 11644473600ull; // 1601 to 1970
    return static_cast<std::time_t>(value.QuadPart / ticksPerSecond - epochDifference);
}

FileInfo infoOf(const BY_HANDLE_FILE_INFORMATION& status)
{
    FileInfo info;
    info.directory = (status.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.regular = !info.directory;
    info.size = (static_cast<std::uint64_t>(status.nFileSizeHigh) << 32) | status.nFileSizeLow;
    info.modified = unixTime(status.ftLastWriteTime);
    info.ownerWritable = (status.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
    // Unix bits as Info-ZIP's Windows build records them.
    info.mode = info.directory ? 040755u : (info.ownerWritable ? 0100666u : 0100444u);
    info.device = status.dwVolumeSerialNumber;
    info.inode = (static_cast<std::uint64_t>(status.nFileIndexHigh) << 32) | status.nFileIndexLow;
    info.links = status.nNumberOfLinks;
    return info;
}

HANDLE openForReading(const std::string& path)
{
    return CreateFileW(systemPath(path).c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// What the stop handlers may touch: the temporary file's name, copied whole
// before they are armed and never freed while they might read it.
const wchar_t* volatile g_tempPath = nullptr;
volatile LONG g_tempArmed = 0;

// A lock held only for a moment (a virus scanner looking at the new file) is
// waited out; one held longer is another program's.
constexpr int inUseRetries = 10;
constexpr DWORD inUseRetryPauseMs = 200;

// Whether another program has the file open without letting it be replaced.
bool heldByAnother(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return false;
}

[[noreturn]] void stopNow()
{
    if (InterlockedCompareExchange(&g_tempArmed, 0, 1) == 1)
        DeleteFileW(g_tempPath);
    static const char text[] = "\nzip error: Interrupted (aborting)\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, sizeof text - 1, &written, nullptr);
    ExitProcess(exitcode::interrupted);
}

BOOL WINAPI onConsoleStop(DWORD) { stopNow(); }

extern "C" void onStopSignal(int) { stopNow(); }

// Whole writes, in pieces a DWORD can count.
bool writeAll(HANDLE file, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes, piece, &written, nullptr))
            return false;
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

bool seekTo(HANDLE file, std::uint64_t offset, DWORD from)
{
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, distance, nullptr, from);
}


} // namespace

std::string lastErrorText()
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, GetLastError(), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text ? narrow(text) : "unknown error";
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

Found inspect(const std::string& path, FileInfo& info, std::string& error)
{
    const HANDLE file = openForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error = lastErrorText();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? Found::missing : Found::failed;
    }
    BY_HANDLE_FILE_INFORMATION status{};
    const bool ok = GetFileInformationByHandle(file, &status);
    if (!ok)
        error = lastErrorText();
    CloseHandle(file);
    if (!ok)
        return Found::failed;
    info = infoOf(status);
    return Found::yes;
}

bool readable(const std::string& path, std::string& error)
{
    const HANDLE file = openForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        error = lastErrorText();
        return false;
    }
    CloseHandle(file);
    return true;
}

bool writable(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

std::string followLinks(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    const HANDLE file = openForReading(path);
    if (file == INVALID_HANDLE_VALUE)
        throw Failure(exitcode::cannotWrite,
                      "Could not follow the link " + path + " (" + lastErrorText() + ")");
    std::wstring target(32768, L'\0');
    const DWORD length =
        GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()), FILE_NAME_NORMALIZED);
    CloseHandle(file);
    if (length == 0 || length >= target.size())
        throw Failure(exitcode::cannotWrite, "Could not follow the link " + path);
    target.resize(length);
    return userPath(target);
}

InputFile::InputFile(const std::string& path) : m_path(path)
{
    const HANDLE file = openForReading(path);
    if (file == INVALID_HANDLE_VALUE)
        throw Failure(exitcode::cannotRead,
                      "Could not open for reading: " + path + " (" + lastErrorText() + ")");
    m_handle = reinterpret_cast<std::intptr_t>(file);
}

InputFile::~InputFile()
{
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

FileInfo InputFile::info() const
{
    BY_HANDLE_FILE_INFORMATION status{};
    if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(m_handle), &status))
        throw Failure(exitcode::cannotRead, "Could not read " + m_path + " (" + lastErrorText() + ")");
    return infoOf(status);
}

std::size_t InputFile::readAt(std::uint64_t offset, void* buffer, std::size_t size)
{
    const auto file = reinterpret_cast<HANDLE>(m_handle);
    std::size_t have = 0;
    while (have < size) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + have);
        at.OffsetHigh = static_cast<DWORD>((offset + have) >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - have, 1u << 30));
        if (!ReadFile(file, static_cast<char*>(buffer) + have, want, &got, &at) || got == 0)
            break;
        have += got;
    }
    return have;
}

std::size_t InputFile::read(void* buffer, std::size_t size)
{
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(reinterpret_cast<HANDLE>(m_handle), buffer, want, &got, nullptr))
        throw Failure(exitcode::cannotRead, "Could not read " + m_path + " (" + lastErrorText() + ")");
    return got;
}

TemporaryFile::TemporaryFile(const std::string& besidePath)
    : m_path(temporaryPathFor(besidePath, GetCurrentProcessId()))
{
    const std::wstring name = systemPath(m_path);
    // Never over a file that is already there, whoever made it.
    // Deletion is shared so that a stop can remove the file while it is open.
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw Failure(exitcode::cannotWrite,
                      "Could not create temporary file " + m_path + " (" + lastErrorText() + ")");
    m_handle = reinterpret_cast<std::intptr_t>(file);
    auto* copy = new wchar_t[name.size() + 1];
    std::copy(name.c_str(), name.c_str() + name.size() + 1, copy);
    g_tempPath = copy;
    InterlockedExchange(&g_tempArmed, 1);
}

TemporaryFile::~TemporaryFile()
{
    close();
    if (!m_kept) {
        InterlockedExchange(&g_tempArmed, 0);
        DeleteFileW(systemPath(m_path).c_str());
    }
}

void TemporaryFile::close()
{
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = -1;
}

bool TemporaryFile::write(const void* data, std::size_t size)
{
    return writeAll(reinterpret_cast<HANDLE>(m_handle), data, size);
}

bool TemporaryFile::writeAt(std::uint64_t offset, const void* data, std::size_t size)
{
    const auto file = reinterpret_cast<HANDLE>(m_handle);
    return seekTo(file, offset, FILE_BEGIN) && writeAll(file, data, size) && seekTo(file, 0, FILE_END);
}

void TemporaryFile::commit(const std::string& target, std::uint32_t mode)
{
    const std::wstring from = systemPath(m_path);
    const std::wstring to = systemPath(target);
    const bool flushed = FlushFileBuffers(reinterpret_cast<HANDLE>(m_handle));
    close();
    if (!flushed)
        throw Failure(exitcode::cannotWrite, "could not finish " + m_path + " (" + lastErrorText() + ")");
    if (!(mode & 0200))
        SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_READONLY);
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            break;
        const std::string error = lastErrorText();
        // Either file may be held: the package by the game, the new archive
        // for a moment by a virus scanner.
        const bool targetHeld = heldByAnother(to);
        if ((targetHeld || heldByAnother(from)) && attempt < inUseRetries) {
            Sleep(inUseRetryPauseMs);
            checkStop();
            continue;
        }
        if (targetHeld)
            throw Failure(exitcode::cannotWrite, "could not replace " + target +
                                                     ": the file is in use by another program. Close it there "
                                                     "(the game keeps its packages open) and try again");
        throw Failure(exitcode::cannotWrite, "could not replace " + target + " (" + error + ")");
    }
    InterlockedExchange(&g_tempArmed, 0);
    m_kept = true;
}

void installStopHandlers()
{
    SetConsoleCtrlHandler(onConsoleStop, TRUE);
    // A thread has a message queue only once it asks for one; without it the
    // WM_CLOSE that asks us to stop would be lost.
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
}

// QProcess::terminate() asks a program without windows to end by posting
// WM_CLOSE to its main thread.
void checkStop()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_CLOSE || message.message == WM_QUIT)
            stopNow();
    }
}

std::uint32_t newFileMode() { return 0666; }

bool localTime(std::time_t time, std::tm& local) { return localtime_s(&local, &time) == 0; }

std::vector<std::string> arguments(int, char**)
{
    int count = 0;
    const std::unique_ptr<wchar_t*, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &count),
                                                               &LocalFree);
    std::vector<std::string> result;
    for (int i = 1; argv && i < count; ++i)
        result.push_back(narrow(argv.get()[i]));
    return result;
}

} // namespace corvane::zip::os
