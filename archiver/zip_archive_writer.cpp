#include "zip_archive_writer.h"

#include "zip_deflate.h"
#include "zip_failure.h"
#include "zip_options.h"

#include <algorithm>
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
// An old entry's data is copied through a buffer of this size.
constexpr std::size_t copyBufferBytes = 256 * 1024;
// minizip takes at most an unsigned int of bytes per call.
constexpr std::size_t maxWriteCall = std::size_t(1) << 30;

tm_zip dosTime(std::time_t modified)
{
    // DOS times have two-second steps; Info-ZIP rounds odd seconds up.
    std::time_t even = (modified + 1) & ~static_cast<std::time_t>(1);
    std::tm local{};
    tm_zip result{};
    result.tm_year = 1980;
    result.tm_mday = 1;
    if (!os::localTime(even, local) || local.tm_year < 80)
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

} // namespace

ArchiveWriter::ArchiveWriter(const std::string& path, const std::string& archiveName)
    : m_archiveName(archiveName)
{
    m_file = os::openZipToWrite(path);
    if (!m_file)
        throw Failure(exitcode::cannotWrite, "Could not create " + path + " (" + os::lastErrorText() + ")");
}

ArchiveWriter::~ArchiveWriter()
{
    if (m_file)
        zipClose(m_file, nullptr);
}

void ArchiveWriter::openEntry(const Source& source, const os::FileInfo& status, bool deflated, int zipLevel)
{
    zip_fileinfo info{};
    info.tmz_date = dosTime(status.modified);
    info.external_fa = (static_cast<uLong>(status.mode) << 16) | (status.ownerWritable ? 0 : msdosReadOnly) |
        (source.directory ? msdosDirectory : 0);
    const uLong flags = needsUtf8Flag(source.name) ? flagUtf8Name : 0;
    // The level only sets the "maximum/fast" hint bits, as Info-ZIP does.
    const int method = deflated ? Z_DEFLATED : 0;
    const int levelHint = deflated ? zipLevel : 0;
    check(zipOpenNewFileInZip4(m_file, source.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                               levelHint, 1, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                               versionMadeByUnix, flags));
}

void ArchiveWriter::addNew(const Job& job, int zipLevel)
{
    const Source& source = *job.source;
    const bool deflated = job.deflated;
    const std::vector<unsigned char>& bytes = deflated ? job.packed : job.data;
    EntryLayout layout;
    layout.nameBytes = source.name.size();
    layout.compressedSize = bytes.size();
    layout.uncompressedSize = job.size;
    budget(layout, source.name);
    openEntry(source, job.status, deflated, zipLevel);
    write(bytes.data(), bytes.size());
    check(zipCloseFileInZipRaw(m_file, static_cast<uLong>(layout.uncompressedSize), job.crc));
}

StreamResult ArchiveWriter::addStreamed(const Source& source, int level, int zipLevel)
{
    os::InputFile file(source.path);
    openEntry(source, file.info(), level > 0, zipLevel);
    const StreamResult result = streamFile(
        file, source.path, level, [this](const unsigned char* data, std::size_t size) { write(data, size); });
    // Known only now; the limits are checked before the entry is closed.
    EntryLayout layout;
    layout.nameBytes = source.name.size();
    layout.compressedSize = result.written;
    layout.uncompressedSize = result.size;
    budget(layout, source.name);
    check(zipCloseFileInZipRaw(m_file, static_cast<uLong>(result.size), result.crc));
    return result;
}

void ArchiveWriter::copyOld(unzFile old, const OldEntry& entry, const std::string& oldPath)
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
    check(zipOpenNewFileInZip4(
        m_file, entry.name.c_str(), &info, localExtra.empty() ? nullptr : localExtra.data(),
        static_cast<uInt>(localExtra.size()), centralExtra.empty() ? nullptr : centralExtra.data(),
        static_cast<uInt>(centralExtra.size()), entry.comment.empty() ? nullptr : entry.comment.c_str(),
        static_cast<int>(entry.info.compression_method), 0, 1, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
        nullptr, 0, entry.info.version, flags));
    std::vector<char> buffer(copyBufferBytes);
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

void ArchiveWriter::close(const std::string& comment)
{
    if (std::string limit = m_budget.finish(comment.size()); !limit.empty())
        throw Failure(exitcode::tooBig, m_archiveName + ": " + limit);
    const int status = zipClose(m_file, comment.empty() ? nullptr : comment.c_str());
    m_file = nullptr;
    check(status);
}

void ArchiveWriter::budget(const EntryLayout& layout, const std::string& name)
{
    if (std::string limit = m_budget.add(layout); !limit.empty())
        throw Failure(exitcode::tooBig, name + ": " + limit);
}

void ArchiveWriter::write(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        os::checkStop();
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size, maxWriteCall));
        check(zipWriteInFileInZip(m_file, bytes, chunk));
        bytes += chunk;
        size -= chunk;
    }
}

void ArchiveWriter::check(int status)
{
    if (status != ZIP_OK)
        throw Failure(exitcode::cannotWrite,
                      "Output file write failure (write error on zip file " + m_archiveName + ")");
}

} // namespace corvane::zip
