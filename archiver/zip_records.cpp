#include "zip_records.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <optional>

namespace corvane::zip {

namespace {

constexpr std::uint32_t localSignature = 0x04034b50;
constexpr std::uint32_t centralSignature = 0x02014b50;
constexpr std::uint32_t endSignature = 0x06054b50;
constexpr std::uint32_t zip64EndSignature = 0x06064b50;
constexpr std::uint32_t zip64LocatorSignature = 0x07064b50;
constexpr std::size_t localHeaderBytes = 30;
constexpr std::size_t centralHeaderBytes = 46;
constexpr std::size_t endRecordBytes = 22;
constexpr std::size_t zip64LocatorBytes = 20;
constexpr std::size_t zip64EndBytes = 56;
constexpr std::size_t maxCommentBytes = 0xFFFF;
constexpr std::uint32_t marker32 = 0xFFFFFFFF;
constexpr std::uint16_t marker16 = 0xFFFF;

// Little-endian fields, assembled byte by byte: no alignment is assumed.
std::uint16_t u16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t u32(const unsigned char* p) { return u16(p) | (static_cast<std::uint32_t>(u16(p + 2)) << 16); }
std::uint64_t u64(const unsigned char* p) { return u32(p) | (static_cast<std::uint64_t>(u32(p + 4)) << 32); }
const unsigned char* bytesOf(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

// Splits an extra field into whole blocks (each with its four-byte header)
// and what follows them; false when a block runs past the end or what
// follows is more than a little zero padding.
bool splitExtra(std::string_view extra, std::vector<std::string_view>& blocks, std::string_view& padding)
{
    blocks.clear();
    while (extra.size() >= 4) {
        const std::size_t length = u16(bytesOf(extra) + 2);
        if (length > extra.size() - 4)
            return false;
        blocks.push_back(extra.substr(0, 4 + length));
        extra.remove_prefix(4 + length);
    }
    padding = extra;
    return std::all_of(extra.begin(), extra.end(), [](char c) { return c == '\0'; });
}

bool wellFormed(std::string_view extra)
{
    std::vector<std::string_view> blocks;
    std::string_view padding;
    return splitExtra(extra, blocks, padding);
}

std::optional<std::string_view> findBlock(std::string_view extra, std::uint16_t id)
{
    std::vector<std::string_view> blocks;
    std::string_view padding;
    splitExtra(extra, blocks, padding);
    for (const std::string_view block : blocks)
        if (u16(bytesOf(block)) == id)
            return block.substr(4);
    return std::nullopt;
}

std::string entryText(const RawEntry& entry) { return "the entry " + printableName(entry.name); }

// Reads size bytes at offset into text; false when they are not there.
bool readText(ArchiveBytes& bytes, std::uint64_t offset, std::size_t size, std::string& text)
{
    text.assign(size, '\0');
    return size == 0 || bytes.read(offset, text.data(), size);
}

// The values whose 32-bit fields hold the zip64 marker, from the zip64
// block in their order. False when the block is missing or too short.
bool readZip64(std::string_view extra, const std::vector<std::uint64_t*>& wanted)
{
    if (wanted.empty())
        return true;
    const std::optional<std::string_view> block = findBlock(extra, zip64ExtraId);
    if (!block || block->size() < 8 * wanted.size())
        return false;
    for (std::size_t i = 0; i < wanted.size(); ++i)
        *wanted[i] = u64(bytesOf(*block) + 8 * i);
    return true;
}

struct EndRecords {
    std::uint64_t entries = 0;
    std::uint64_t directorySize = 0;
    std::uint64_t directoryOffset = 0;
    std::uint64_t directoryEnd = 0; // where the end record (or zip64 end record) begins
    std::string comment;
    bool zip64 = false;
};

std::string readEndRecords(ArchiveBytes& bytes, EndRecords& end)
{
    const std::uint64_t size = bytes.size();
    if (size < endRecordBytes)
        return "too short to be a zip archive";
    // The game looks for the last signature in the last 64 KiB; that must be
    // the end record, and its comment must reach exactly to the end of the file.
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, endRecordBytes + maxCommentBytes));
    std::string tail;
    if (!readText(bytes, size - tailSize, tailSize, tail))
        return "its end cannot be read";
    std::optional<std::size_t> found;
    for (std::size_t at = tailSize - 4 + 1; at-- > 0;) {
        if (u32(bytesOf(tail) + at) == endSignature) {
            found = at;
            break;
        }
    }
    if (!found)
        return "it has no end-of-directory record";
    if (tailSize - *found < endRecordBytes)
        return "an end-of-directory signature lies in the last bytes of the file";
    const unsigned char* record = bytesOf(tail) + *found;
    const std::uint64_t position = size - (tailSize - *found);
    const std::size_t commentBytes = u16(record + 20);
    if (tailSize - *found - endRecordBytes != commentBytes)
        return "its end-of-directory record does not end the file";
    // Another record further back that also ends the file is the real one,
    // and the game would read the one in its comment instead.
    for (std::size_t at = *found; at-- > 0;) {
        if (u32(bytesOf(tail) + at) == endSignature && tailSize - at >= endRecordBytes &&
            tailSize - at - endRecordBytes == u16(bytesOf(tail) + at + 20))
            return "its comment holds a second end-of-directory record";
    }
    end.comment = tail.substr(*found + endRecordBytes);
    const std::uint16_t disk = u16(record + 4);
    const std::uint16_t directoryDisk = u16(record + 6);
    const std::uint16_t entriesHere = u16(record + 8);
    const std::uint16_t entries = u16(record + 10);
    const std::uint32_t directorySize = u32(record + 12);
    const std::uint32_t directoryOffset = u32(record + 16);
    if (entriesHere != entries)
        return "its end record counts its entries twice, differently";
    end.entries = entries;
    end.directorySize = directorySize;
    end.directoryOffset = directoryOffset;
    end.directoryEnd = position;

    unsigned char locator[zip64LocatorBytes];
    if (position >= zip64LocatorBytes && bytes.read(position - zip64LocatorBytes, locator, sizeof locator) &&
        u32(locator) == zip64LocatorSignature) {
        end.zip64 = true;
        const std::uint64_t recordOffset = u64(locator + 8);
        const std::uint64_t locatorAt = position - zip64LocatorBytes;
        if (u32(locator + 4) != 0 || u32(locator + 16) > 1)
            return "it spans several disks";
        unsigned char record64[zip64EndBytes];
        if (recordOffset > locatorAt || locatorAt - recordOffset < zip64EndBytes ||
            !bytes.read(recordOffset, record64, sizeof record64) || u32(record64) != zip64EndSignature)
            return "its zip64 end record is missing";
        if (u64(record64 + 4) != locatorAt - recordOffset - 12)
            return "its zip64 end record does not lie right before its locator";
        if (u32(record64 + 16) != 0 || u32(record64 + 20) != 0)
            return "it spans several disks";
        const std::uint64_t entries64 = u64(record64 + 32);
        if (u64(record64 + 24) != entries64)
            return "its zip64 end record counts its entries twice, differently";
        // Where the classic record holds a value rather than the zip64
        // marker, the two must agree: the game reads only the classic one.
        const bool agree = (entries == marker16 || entries == entries64) &&
            (directorySize == marker32 || directorySize == u64(record64 + 40)) &&
            (directoryOffset == marker32 || directoryOffset == u64(record64 + 48)) &&
            (disk == marker16 || disk == 0) && (directoryDisk == marker16 || directoryDisk == 0);
        if (!agree)
            return "its end record and its zip64 end record disagree";
        end.entries = entries64;
        end.directorySize = u64(record64 + 40);
        end.directoryOffset = u64(record64 + 48);
        end.directoryEnd = recordOffset;
    } else if (disk != 0 || directoryDisk != 0) {
        return "it spans several disks";
    }
    if (end.directoryOffset > end.directoryEnd || end.directoryEnd - end.directoryOffset < end.directorySize)
        return "its directory does not end where its end record begins";
    if (const std::uint64_t before = end.directoryEnd - end.directoryOffset - end.directorySize; before != 0)
        return "it has " + std::to_string(before) + " bytes of something else before its entries";
    if (end.entries > end.directorySize / centralHeaderBytes)
        return "its end record counts more entries than its directory can hold";
    return {};
}

std::string readDirectory(ArchiveBytes& bytes, const EndRecords& end, std::vector<RawEntry>& entries)
{
    std::string directory;
    if (end.directorySize > std::numeric_limits<std::size_t>::max() ||
        !readText(bytes, end.directoryOffset, static_cast<std::size_t>(end.directorySize), directory))
        return "its directory cannot be read";
    std::string_view rest = directory;
    entries.reserve(static_cast<std::size_t>(end.entries));
    for (std::uint64_t i = 0; i < end.entries; ++i) {
        const std::string which = "directory entry " + std::to_string(i + 1);
        if (rest.size() < centralHeaderBytes || u32(bytesOf(rest)) != centralSignature)
            return which + " is damaged";
        const unsigned char* p = bytesOf(rest);
        RawEntry entry;
        entry.versionMadeBy = u16(p + 4);
        entry.versionNeeded = u16(p + 6);
        entry.flags = u16(p + 8);
        entry.method = u16(p + 10);
        entry.dosTime = u16(p + 12);
        entry.dosDate = u16(p + 14);
        entry.crc = u32(p + 16);
        entry.compressedSize = u32(p + 20);
        entry.uncompressedSize = u32(p + 24);
        const std::size_t nameBytes = u16(p + 28);
        const std::size_t extraBytes = u16(p + 30);
        const std::size_t commentBytes = u16(p + 32);
        std::uint64_t disk = u16(p + 34);
        entry.internalAttributes = u16(p + 36);
        entry.externalAttributes = u32(p + 38);
        entry.localOffset = u32(p + 42);
        rest.remove_prefix(centralHeaderBytes);
        if (rest.size() < nameBytes + extraBytes + commentBytes)
            return which + " runs past the end of the directory";
        entry.name = rest.substr(0, nameBytes);
        entry.centralExtra = rest.substr(nameBytes, extraBytes);
        entry.comment = rest.substr(nameBytes + extraBytes, commentBytes);
        rest.remove_prefix(nameBytes + extraBytes + commentBytes);
        if (!wellFormed(entry.centralExtra))
            return entryText(entry) + " has a damaged extra field";
        std::vector<std::uint64_t*> wanted;
        for (std::uint64_t* field : {&entry.uncompressedSize, &entry.compressedSize, &entry.localOffset})
            if (*field == marker32)
                wanted.push_back(field);
        if (disk == marker16)
            wanted.push_back(&disk);
        if (!readZip64(entry.centralExtra, wanted))
            return entryText(entry) + " lacks the zip64 block its header refers to";
        if (disk != 0)
            return "it spans several disks";
        entries.push_back(std::move(entry));
    }
    if (!rest.empty())
        return "its directory holds more than the " + std::to_string(end.entries) + " entries its end record counts";
    return {};
}

std::string readLocalHeader(ArchiveBytes& bytes, std::uint64_t areaEnd, RawEntry& entry)
{
    unsigned char p[localHeaderBytes];
    if (entry.localOffset > areaEnd || areaEnd - entry.localOffset < localHeaderBytes ||
        !bytes.read(entry.localOffset, p, sizeof p) || u32(p) != localSignature)
        return entryText(entry) + " has no local header where the directory says";
    const std::uint16_t method = u16(p + 8);
    std::uint32_t crc = u32(p + 14);
    std::uint64_t compressed = u32(p + 18);
    std::uint64_t uncompressed = u32(p + 22);
    const std::size_t nameBytes = u16(p + 26);
    const std::size_t extraBytes = u16(p + 28);
    const std::uint64_t headerEnd = entry.localOffset + localHeaderBytes;
    std::string name;
    if (areaEnd - headerEnd < nameBytes + extraBytes || !readText(bytes, headerEnd, nameBytes, name) ||
        !readText(bytes, headerEnd + nameBytes, extraBytes, entry.localExtra))
        return entryText(entry) + " has a local header that runs into the directory";
    if (name != entry.name)
        return entryText(entry) + " has a local header for another name";
    if (!wellFormed(entry.localExtra))
        return entryText(entry) + " has a damaged extra field";
    if (method != entry.method)
        return entryText(entry) + " has a local header with another compression method";
    std::vector<std::uint64_t*> wanted;
    for (std::uint64_t* field : {&uncompressed, &compressed})
        if (*field == marker32)
            wanted.push_back(field);
    if (!readZip64(entry.localExtra, wanted))
        return entryText(entry) + " lacks the zip64 block its local header refers to";
    const bool same = crc == entry.crc && compressed == entry.compressedSize && uncompressed == entry.uncompressedSize;
    // With a data descriptor the local header may leave them all zero.
    const bool deferred = (entry.flags & flagDataDescriptor) && crc == 0 && compressed == 0 && uncompressed == 0;
    if (!same && !deferred)
        return entryText(entry) + " has a local header with other sizes or another CRC";
    entry.dataOffset = headerEnd + nameBytes + extraBytes;
    if (areaEnd - entry.dataOffset < entry.compressedSize)
        return entryText(entry) + " runs into the directory";
    return {};
}

} // namespace

bool MemoryBytes::read(std::uint64_t offset, void* buffer, std::size_t size)
{
    if (offset > m_size || m_size - offset < size)
        return false;
    std::memcpy(buffer, m_data + offset, size);
    return true;
}

std::string readRecords(ArchiveBytes& bytes, RawArchive& archive)
{
    archive = {};
    EndRecords end;
    if (std::string problem = readEndRecords(bytes, end); !problem.empty())
        return problem;
    std::vector<RawEntry> entries;
    if (std::string problem = readDirectory(bytes, end, entries); !problem.empty())
        return problem;
    for (RawEntry& entry : entries)
        if (std::string problem = readLocalHeader(bytes, end.directoryOffset, entry); !problem.empty())
            return problem;
    // Entries in file order: the first at the very start (anything before it
    // is another archive or a program), none reaching into the next.
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return entries[a].localOffset < entries[b].localOffset; });
    const std::uint64_t firstOffset = order.empty() ? end.directoryOffset : entries[order.front()].localOffset;
    if (firstOffset != 0)
        return "it has " + std::to_string(firstOffset) + " bytes of something else before its first entry";
    for (std::size_t i = 1; i < order.size(); ++i) {
        const RawEntry& before = entries[order[i - 1]];
        if (before.dataOffset + before.compressedSize > entries[order[i]].localOffset)
            return "the entries " + printableName(before.name) + " and " + printableName(entries[order[i]].name) +
                " overlap";
    }
    archive.entries = std::move(entries);
    archive.comment = std::move(end.comment);
    archive.directoryOffset = end.directoryOffset;
    archive.zip64 = end.zip64;
    return {};
}

std::string printableName(std::string_view name)
{
    std::string text;
    for (const char c : name)
        text += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return "\"" + text + "\"";
}

bool removeExtraBlocks(std::string_view extra, std::uint16_t id, std::string& kept)
{
    std::vector<std::string_view> blocks;
    std::string_view padding;
    if (!splitExtra(extra, blocks, padding))
        return false;
    kept.clear();
    for (const std::string_view block : blocks)
        if (u16(bytesOf(block)) != id)
            kept += block;
    kept += padding;
    return true;
}

} // namespace corvane::zip
