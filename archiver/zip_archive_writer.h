// Writes the new archive through minizip, entry by entry, within the
// limits the game's zip reader has.
#pragma once

#include "zip_compress.h"
#include "zip_limits.h"
#include "zip_old_archive.h"
#include "zip_stream.h"

#include <minizip/zip.h>

#include <string>

namespace corvane::zip {

class ArchiveWriter {
public:
    // Writes to path; archiveName is the archive's own name, for messages.
    ArchiveWriter(const std::string& path, const std::string& archiveName);
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    // A new file; zipLevel only sets the level hint bits of its flags.
    void addNew(const Job& job, int zipLevel);
    // A file too big to hold whole, read and compressed as it is written;
    // returns what was written for it.
    StreamResult addStreamed(const Source& source, int level, int zipLevel);
    // An old entry, its compressed data copied as it is.
    void copyOld(unzFile old, const OldEntry& entry, const std::string& oldPath);
    // Writes the central directory and the end record.
    void close(const std::string& comment);

private:
    void budget(const EntryLayout& layout, const std::string& name);
    void write(const void* data, std::size_t size);
    void check(int status);
    void openEntry(const Source& source, const os::FileInfo& status, bool deflated, int zipLevel);

    zipFile m_file = nullptr;
    std::string m_archiveName;
    ArchiveBudget m_budget;
};

} // namespace corvane::zip
