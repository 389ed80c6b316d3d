// Writes the new archive entry by entry as the game's zip reader reads it:
// plain zip, no zip64, no data descriptors, sizes and CRC in both headers.
// Names, extra fields and comments go in byte for byte as they are given.
#pragma once

#include "zip_compress.h"
#include "zip_limits.h"
#include "zip_old_archive.h"
#include "zip_stream.h"

#include <string>
#include <vector>

namespace corvane::zip {

class ArchiveWriter {
public:
    // Writes into file; archiveName is the archive's own name, for messages.
    ArchiveWriter(os::TemporaryFile& file, const std::string& archiveName);

    // A new file; zipLevel only sets the level hint bits of its flags.
    void addNew(const Job& job, int zipLevel);
    // A file too big to hold whole, read and compressed as it is written;
    // returns what was written for it.
    StreamResult addStreamed(const Source& source, int level, int zipLevel);
    // An old entry, its stored data copied as it is.
    void copyOld(OldArchive& old, std::size_t index);
    // Writes the central directory and the end record.
    void close(const std::string& comment);

private:
    void budget(const EntryLayout& layout, const std::string& name);
    void startEntry(RawEntry& entry);
    void finishEntry(const RawEntry& entry);
    void write(const void* data, std::size_t size);
    void writeAt(std::uint64_t offset, const void* data, std::size_t size);
    void flush();
    [[noreturn]] void writeFailed() const;
    std::uint64_t position() const { return m_flushed + m_buffer.size(); }

    os::TemporaryFile& m_file;
    std::string m_archiveName;
    ArchiveBudget m_budget;
    std::vector<unsigned char> m_buffer; // written, not yet handed to the file
    std::uint64_t m_flushed = 0;         // bytes handed to the file
    std::string m_directory;             // the central directory so far
};

} // namespace corvane::zip
