// The zip reader in the game knows neither zip64 nor more than 65,535
// entries. ArchiveBudget follows the archive's layout as it is written so
// that anything that would need zip64 is refused before a byte of it is
// written, instead of producing a package the game cannot open.
#pragma once

#include <cstdint>
#include <string>

namespace corvane::zip {

constexpr std::uint64_t maxEntries = 0xFFFF;
// 0xFFFFFFFF itself is the marker that tells readers to look for zip64.
constexpr std::uint64_t maxField32 = 0xFFFFFFFE;
constexpr std::uint64_t maxField16 = 0xFFFF;

struct EntryLayout {
    std::uint64_t nameBytes = 0;
    std::uint64_t localExtraBytes = 0;
    std::uint64_t centralExtraBytes = 0;
    std::uint64_t commentBytes = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
};

// Checks that only need the size of a file on disk, so that hopeless input
// is refused before anything is compressed. Returns the reason, or empty.
std::string checkFileSize(std::uint64_t size);
std::string checkEntryCount(std::uint64_t count);

class ArchiveBudget {
public:
    // Accounts for the next entry; returns the reason it does not fit, or
    // empty (and then the entry is counted).
    std::string add(const EntryLayout& entry);
    // Whether the central directory and end record still fit.
    std::string finish(std::uint64_t archiveCommentBytes) const;

    std::uint64_t entries() const { return m_entries; }
    std::uint64_t dataEnd() const { return m_dataEnd; }

private:
    std::uint64_t m_entries = 0;
    std::uint64_t m_dataEnd = 0;      // where the next local header starts
    std::uint64_t m_centralBytes = 0; // size of the central directory so far
};

} // namespace corvane::zip
