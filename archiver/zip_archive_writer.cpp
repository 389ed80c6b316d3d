#include "zip_archive_writer.h"

#include "zip_failure.h"
#include "zip_options.h"

#include <algorithm>
#include <cstring>

namespace corvane::zip {

namespace {

// "Made by Unix", so that unzip restores the permission bits kept in the
// upper half of the external attributes, as with Info-ZIP's archives.
constexpr std::uint16_t versionMadeByUnix = (3u << 8) | 20u;
// Info-ZIP's "version needed to extract": 1.0 for stored, 2.0 for deflate.
constexpr std::uint16_t versionStored = 10;
constexpr std::uint16_t versionDeflated = 20;
constexpr std::uint16_t flagUtf8Name = 0x0800;
constexpr std::uint16_t methodStored = 0;
constexpr std::uint16_t methodDeflated = 8;
constexpr std::uint32_t msdosReadOnly = 0x01;
constexpr std::uint32_t msdosDirectory = 0x10;
constexpr std::uint32_t localSignature = 0x04034b50;
constexpr std::uint32_t centralSignature = 0x02014b50;
constexpr std::uint32_t endSignature = 0x06054b50;
// Where a local header holds its CRC and the two sizes.
constexpr std::uint64_t localCrcOffset = 14;
constexpr std::size_t bufferBytes = 1 << 20;

void put16(std::string& out, std::uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint64_t value)
{
    put16(out, static_cast<std::uint32_t>(value & 0xFFFF));
    put16(out, static_cast<std::uint32_t>((value >> 16) & 0xFFFF));
}

std::string crcAndSizes(const RawEntry& entry)
{
    std::string out;
    put32(out, entry.crc);
    put32(out, entry.compressedSize);
    put32(out, entry.uncompressedSize);
    return out;
}

// What the local header and the directory entry both hold, in this order,
// up to the extra field's length.
void putSharedFields(std::string& out, const RawEntry& entry, std::size_t extraBytes)
{
    put16(out, entry.versionNeeded);
    put16(out, entry.flags);
    put16(out, entry.method);
    put16(out, entry.dosTime);
    put16(out, entry.dosDate);
    out += crcAndSizes(entry);
    put16(out, static_cast<std::uint32_t>(entry.name.size()));
    put16(out, static_cast<std::uint32_t>(extraBytes));
}

// DOS times have two-second steps; Info-ZIP rounds odd seconds up and keeps
// to what the format can hold, 1980 to 2107.
void setDosTime(std::time_t modified, RawEntry& entry)
{
    const std::time_t even = (modified + 1) & ~static_cast<std::time_t>(1);
    std::tm local{};
    int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    if (os::localTime(even, local) && local.tm_year >= 80) {
        if (local.tm_year > 207) {
            year = 2107, month = 12, day = 31, hour = 23, minute = 59, second = 58;
        } else {
            year = local.tm_year + 1900, month = local.tm_mon + 1, day = local.tm_mday;
            hour = local.tm_hour, minute = local.tm_min, second = local.tm_sec;
        }
    }
    entry.dosDate = static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
    entry.dosTime = static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

// The "maximum", "fast" and "super fast" hint bits Info-ZIP sets.
std::uint16_t levelHint(int zipLevel)
{
    if (zipLevel >= 8)
        return 2;
    if (zipLevel == 2)
        return 4;
    if (zipLevel == 1)
        return 6;
    return 0;
}

RawEntry newEntry(const Source& source, const os::FileInfo& status, bool deflated, int zipLevel)
{
    RawEntry entry;
    entry.versionMadeBy = versionMadeByUnix;
    entry.versionNeeded = deflated ? versionDeflated : versionStored;
    entry.flags = static_cast<std::uint16_t>((needsUtf8Flag(source.name) ? flagUtf8Name : 0) |
                                             (deflated ? levelHint(zipLevel) : 0));
    entry.method = deflated ? methodDeflated : methodStored;
    setDosTime(status.modified, entry);
    entry.externalAttributes = (static_cast<std::uint32_t>(status.mode) << 16) |
        (status.ownerWritable ? 0 : msdosReadOnly) | (source.directory ? msdosDirectory : 0);
    entry.name = source.name;
    return entry;
}

} // namespace

ArchiveWriter::ArchiveWriter(os::TemporaryFile& file, const std::string& archiveName)
    : m_file(file)
    , m_archiveName(archiveName)
{
    m_buffer.reserve(bufferBytes);
}

void ArchiveWriter::startEntry(RawEntry& entry)
{
    entry.localOffset = position();
    std::string header;
    put32(header, localSignature);
    putSharedFields(header, entry, entry.localExtra.size());
    header += entry.name;
    header += entry.localExtra;
    write(header.data(), header.size());
}

void ArchiveWriter::finishEntry(const RawEntry& entry)
{
    std::string& out = m_directory;
    put32(out, centralSignature);
    put16(out, entry.versionMadeBy);
    putSharedFields(out, entry, entry.centralExtra.size());
    put16(out, static_cast<std::uint32_t>(entry.comment.size()));
    put16(out, 0); // disk
    put16(out, entry.internalAttributes);
    put32(out, entry.externalAttributes);
    put32(out, entry.localOffset);
    out += entry.name;
    out += entry.centralExtra;
    out += entry.comment;
}

void ArchiveWriter::addNew(const Job& job, int zipLevel)
{
    const std::vector<unsigned char>& bytes = job.deflated ? job.packed : job.data;
    EntryLayout layout;
    layout.nameBytes = job.source->name.size();
    layout.compressedSize = bytes.size();
    layout.uncompressedSize = job.size;
    budget(layout, job.source->name);
    RawEntry entry = newEntry(*job.source, job.status, job.deflated, zipLevel);
    entry.crc = job.crc;
    entry.compressedSize = bytes.size();
    entry.uncompressedSize = job.size;
    startEntry(entry);
    write(bytes.data(), bytes.size());
    finishEntry(entry);
}

StreamResult ArchiveWriter::addStreamed(const Source& source, int level, int zipLevel)
{
    os::InputFile file(source.path);
    RawEntry entry = newEntry(source, file.info(), level > 0, zipLevel);
    startEntry(entry); // its CRC and sizes are known only at the end
    const StreamResult result = streamFile(
        file, source.path, level, [this](const unsigned char* data, std::size_t size) { write(data, size); });
    EntryLayout layout;
    layout.nameBytes = source.name.size();
    layout.compressedSize = result.written;
    layout.uncompressedSize = result.size;
    budget(layout, source.name);
    entry.crc = result.crc;
    entry.compressedSize = result.written;
    entry.uncompressedSize = result.size;
    const std::string fields = crcAndSizes(entry);
    writeAt(entry.localOffset + localCrcOffset, fields.data(), fields.size());
    finishEntry(entry);
    return result;
}

void ArchiveWriter::copyOld(OldArchive& old, std::size_t index)
{
    const RawEntry& stored = old.entries().at(index);
    RawEntry entry = stored;
    // Zip64 blocks would claim sizes that are not written for an entry that
    // fits the classic fields, so they go; the rest stays as it was. The old
    // archive's reader has checked that both fields are whole blocks.
    removeExtraBlocks(stored.localExtra, zip64ExtraId, entry.localExtra);
    removeExtraBlocks(stored.centralExtra, zip64ExtraId, entry.centralExtra);
    // What reading it takes is known exactly now (stored or deflated, no
    // zip64, no encryption), whatever the old header claimed: a claim of
    // more makes other unzip tools skip the entry.
    entry.versionNeeded = entry.method == methodStored ? versionStored : versionDeflated;
    // The data follows its local header directly here, so a data
    // descriptor flag from the old archive would no longer be true.
    entry.flags = static_cast<std::uint16_t>(entry.flags & ~flagDataDescriptor);

    EntryLayout layout;
    layout.nameBytes = entry.name.size();
    layout.localExtraBytes = entry.localExtra.size();
    layout.centralExtraBytes = entry.centralExtra.size();
    layout.commentBytes = entry.comment.size();
    layout.compressedSize = entry.compressedSize;
    layout.uncompressedSize = entry.uncompressedSize;
    budget(layout, entry.name);
    startEntry(entry);
    old.copyData(index, [this](const unsigned char* data, std::size_t size) { write(data, size); });
    finishEntry(entry);
}

void ArchiveWriter::close(const std::string& comment)
{
    if (std::string limit = m_budget.finish(comment.size()); !limit.empty())
        throw Failure(exitcode::tooBig, m_archiveName + ": " + limit);
    const std::uint64_t directoryOffset = position();
    std::string end;
    put32(end, endSignature);
    put16(end, 0); // this disk
    put16(end, 0); // the directory's disk
    put16(end, static_cast<std::uint32_t>(m_budget.entries()));
    put16(end, static_cast<std::uint32_t>(m_budget.entries()));
    put32(end, m_directory.size());
    put32(end, directoryOffset);
    put16(end, static_cast<std::uint32_t>(comment.size()));
    end += comment;
    write(m_directory.data(), m_directory.size());
    write(end.data(), end.size());
    flush();
}

void ArchiveWriter::budget(const EntryLayout& layout, const std::string& name)
{
    if (std::string limit = m_budget.add(layout); !limit.empty())
        throw Failure(exitcode::tooBig, name + ": " + limit);
}

void ArchiveWriter::write(const void* data, std::size_t size)
{
    os::checkStop();
    if (m_buffer.size() + size > bufferBytes)
        flush();
    if (size >= bufferBytes) {
        if (!m_file.write(data, size))
            writeFailed();
        m_flushed += size;
        return;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    m_buffer.insert(m_buffer.end(), bytes, bytes + size);
}

void ArchiveWriter::writeAt(std::uint64_t offset, const void* data, std::size_t size)
{
    if (offset >= m_flushed) {
        std::memcpy(m_buffer.data() + (offset - m_flushed), data, size);
        return;
    }
    flush();
    if (!m_file.writeAt(offset, data, size))
        writeFailed();
}

void ArchiveWriter::flush()
{
    if (!m_file.write(m_buffer.data(), m_buffer.size()))
        writeFailed();
    m_flushed += m_buffer.size();
    m_buffer.clear();
}

void ArchiveWriter::writeFailed() const
{
    throw Failure(exitcode::cannotWrite, "Output file write failure (write error on zip file " + m_archiveName +
                                             ": " + os::lastErrorText() + ")");
}

} // namespace corvane::zip
