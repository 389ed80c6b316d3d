// The records of an existing archive, exactly as they are stored: every
// header field, name, extra field and comment byte for byte, and where each
// entry lies. libzip vouches for the archive as a whole (zip_old_archive.h)
// but hands out neither the raw fields nor the layout, so they are read here,
// with every length and offset checked against the bytes that are there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::zip {

// Random access to an archive's bytes: a file, or memory in the fuzz target.
class ArchiveBytes {
public:
    virtual ~ArchiveBytes() = default;
    virtual std::uint64_t size() const = 0;
    // Fills buffer with exactly size bytes from offset; false when they are
    // not all there or cannot be read.
    virtual bool read(std::uint64_t offset, void* buffer, std::size_t size) = 0;
};

class MemoryBytes : public ArchiveBytes {
public:
    MemoryBytes(const void* data, std::size_t size) : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* buffer, std::size_t size) override;

private:
    const unsigned char* m_data;
    std::size_t m_size;
};

struct RawEntry {
    std::uint16_t versionMadeBy = 0;
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0; // from a zip64 block where the header says so
    std::uint64_t uncompressedSize = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::uint64_t localOffset = 0;
    std::uint64_t dataOffset = 0; // first byte after the local header
    std::string name;             // bytes as stored, NULs and all
    std::string centralExtra;
    std::string localExtra;
    std::string comment;
};

struct RawArchive {
    std::vector<RawEntry> entries; // in directory order
    std::string comment;
    std::uint64_t directoryOffset = 0;
    bool zip64 = false; // it has a zip64 end record
};

constexpr std::uint16_t zip64ExtraId = 0x0001;
constexpr std::uint16_t flagEncrypted = 0x0001;
constexpr std::uint16_t flagDataDescriptor = 0x0008;

// Reads the archive's end records, directory and local headers, and checks
// that they agree with each other and lie inside the file without overlap:
// one end record, ending the file; a zip64 end record (if any) that the
// classic one does not contradict; exactly the counted directory entries;
// each local header saying what its directory entry says; the first entry
// at the very start. Returns why the archive is invalid, or empty.
std::string readRecords(ArchiveBytes& bytes, RawArchive& archive);

// The name as a message can show it, in quotes: control bytes become '?'.
std::string printableName(std::string_view name);

// An extra field without its blocks of the given id. False when the field is
// not a sequence of whole blocks (fewer than four zero bytes of padding at
// the end, as Android's zipalign leaves, are kept as they are).
bool removeExtraBlocks(std::string_view extra, std::uint16_t id, std::string& kept);

} // namespace corvane::zip
