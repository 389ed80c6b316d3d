// Everything the archiver asks of the operating system. One implementation
// per system; the rest of the archiver is plain C++, libzip and libdeflate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace corvane::zip::os {

struct FileInfo {
    bool regular = false;
    bool directory = false;
    std::uint64_t size = 0;
    std::time_t modified = 0;
    std::uint32_t mode = 0; // Unix type and permission bits
    bool ownerWritable = true;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t links = 1; // names of this file in the file system

    bool sameFile(const FileInfo& other) const { return device == other.device && inode == other.inode; }
};

enum class Found { yes, missing, failed };

// The file's facts, following links; on failure `error` says why.
Found inspect(const std::string& path, FileInfo& info, std::string& error);
// Whether the file can be opened for reading; otherwise `error` says why.
bool readable(const std::string& path, std::string& error);
// Whether this user may write the existing file.
bool writable(const std::string& path);
// The file a path names once symbolic links are followed; the path itself
// when it is no link. Throws Failure for a link that leads nowhere.
std::string followLinks(const std::string& path);

// A file opened for reading; throws Failure when it cannot be opened.
class InputFile {
public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    FileInfo info() const;
    // Up to `size` bytes; 0 at the end. Throws Failure on a read error.
    std::size_t read(void* buffer, std::size_t size);
    // Up to `size` bytes from `offset`, fewer only at the end or on a read
    // error. Not to be mixed with read() on the same file.
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size);

private:
    std::string m_path;
    std::intptr_t m_handle = -1; // a descriptor or a handle, as the system has it
};

// The file the new archive is written to, beside the archive it replaces,
// open for writing from its creation; removed when the program is stopped
// or the run fails.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& besidePath);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return m_path; }
    // Appends; false when not all was written (lastErrorText() says why).
    bool write(const void* data, std::size_t size);
    // Overwrites bytes written before, leaving the end where it was.
    bool writeAt(std::uint64_t offset, const void* data, std::size_t size);
    // Flushes to disk and puts the file in place of target in one step.
    void commit(const std::string& target, std::uint32_t mode);

private:
    void close();

    std::string m_path;
    std::intptr_t m_handle = -1;
    bool m_kept = false;
};

// From now on an interrupt or termination removes the temporary file and
// ends the program with the "interrupted" exit code.
void installStopHandlers();
// Where a stop request arrives as a message rather than a signal, acts on
// it; called between pieces of work.
void checkStop();
// The permission bits a newly created file gets.
std::uint32_t newFileMode();
// Local broken-down time; false when the time cannot be converted.
bool localTime(std::time_t time, std::tm& local);
// The text of the system's last error.
std::string lastErrorText();
// The command-line arguments after the program's name, in UTF-8.
std::vector<std::string> arguments(int argc, char** argv);

} // namespace corvane::zip::os
