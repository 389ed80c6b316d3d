// The archive being updated. It is untrusted input: two readers must agree
// on it before any of it is carried into the new archive. libzip, which is
// fuzzed upstream, opens it with its consistency checks and reads every
// entry's data; zip_records.h reads the stored fields libzip does not hand
// out and the layout it does not check. An entry is carried over as it is,
// without recompressing, once its data has unpacked to its size and CRC.
#pragma once

#include "zip_os.h"
#include "zip_records.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane::zip {

using DataSink = std::function<void(const unsigned char*, std::size_t)>;

class OldArchive {
public:
    OldArchive();
    ~OldArchive();
    OldArchive(const OldArchive&) = delete;
    OldArchive& operator=(const OldArchive&) = delete;

    // The archive at path, if there is one. Throws Failure when it cannot be
    // read or when the readers disagree on it.
    void open(const std::string& path);
    // The same for bytes from anywhere; shownPath names them in messages.
    void open(std::unique_ptr<ArchiveBytes> bytes, const std::string& shownPath);

    bool exists() const { return m_exists; }
    const os::FileInfo& status() const { return m_status; }
    const std::vector<RawEntry>& entries() const { return m_records.entries; }
    const std::string& comment() const { return m_records.comment; }

    // Throws Failure for an entry that the game could not read once carried.
    void checkCarriable(std::size_t index) const;
    // Checks that the entry's data unpacks to its size and CRC, then hands
    // its stored bytes to sink. Throws Failure when it does not.
    void copyData(std::size_t index, const DataSink& sink);
    void close();

private:
    struct Library;
    [[noreturn]] void invalid(const std::string& why) const;
    std::uint64_t readEntry(std::size_t index, bool stored, std::uint64_t limit, const DataSink& sink);

    std::string m_path;
    std::vector<unsigned char> m_buffer; // for reading entries, made once
    bool m_exists = false;
    os::FileInfo m_status;
    RawArchive m_records;
    std::unique_ptr<Library> m_library;
};

} // namespace corvane::zip
