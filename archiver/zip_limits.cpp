#include "zip_limits.h"

namespace corvane::zip {

namespace {
constexpr std::uint64_t localHeaderBytes = 30;
constexpr std::uint64_t centralHeaderBytes = 46;
constexpr std::uint64_t endRecordBytes = 22;
constexpr std::uint64_t fourGiB = std::uint64_t{1} << 32;
} // namespace

std::string checkFileSize(std::uint64_t size)
{
    if (size > maxField32)
        return "file of 4 GiB or more (" + std::to_string(size) + " bytes); the game cannot read it";
    return {};
}

std::string checkEntryCount(std::uint64_t count)
{
    if (count > maxEntries)
        return "more than " + std::to_string(maxEntries) + " entries (" + std::to_string(count) +
            "); the game cannot read the archive";
    return {};
}

std::string ArchiveBudget::add(const EntryLayout& entry)
{
    if (std::string error = checkEntryCount(m_entries + 1); !error.empty())
        return error;
    if (entry.nameBytes > maxField16 || entry.localExtraBytes > maxField16 ||
        entry.centralExtraBytes > maxField16 || entry.commentBytes > maxField16)
        return "entry name, extra field or comment longer than 65,535 bytes";
    if (entry.uncompressedSize > maxField32 || entry.compressedSize > maxField32)
        return "entry of 4 GiB or more; the game cannot read it";
    if (m_dataEnd > maxField32)
        return "archive would reach 4 GiB; the game cannot read it";
    const std::uint64_t dataEnd =
        m_dataEnd + localHeaderBytes + entry.nameBytes + entry.localExtraBytes + entry.compressedSize;
    const std::uint64_t centralBytes =
        m_centralBytes + centralHeaderBytes + entry.nameBytes + entry.centralExtraBytes + entry.commentBytes;
    if (dataEnd + centralBytes + endRecordBytes > fourGiB - 1)
        return "archive would reach 4 GiB; the game cannot read it";
    ++m_entries;
    m_dataEnd = dataEnd;
    m_centralBytes = centralBytes;
    return {};
}

std::string ArchiveBudget::finish(std::uint64_t archiveCommentBytes) const
{
    if (archiveCommentBytes > maxField16)
        return "archive comment longer than 65,535 bytes";
    if (m_dataEnd > maxField32 || m_centralBytes > maxField32 ||
        m_dataEnd + m_centralBytes + endRecordBytes + archiveCommentBytes > fourGiB - 1)
        return "archive would reach 4 GiB; the game cannot read it";
    return {};
}

} // namespace corvane::zip
