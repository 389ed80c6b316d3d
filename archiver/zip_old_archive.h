// The archive being updated, read through minizip: its entries are carried
// over to the new archive as they are, without being recompressed.
#pragma once

#include "zip_os.h"

#include <minizip/unzip.h>

#include <string>
#include <vector>

namespace corvane::zip {

struct OldEntry {
    std::string name;
    unz64_file_pos position{};
    unz_file_info64 info{};
    std::vector<char> centralExtra;
    std::string comment;
};

struct OldArchive {
    unzFile file = nullptr;
    std::vector<OldEntry> entries;
    std::string comment;
    bool exists = false;
    os::FileInfo status;

    OldArchive() = default;
    OldArchive(const OldArchive&) = delete;
    OldArchive& operator=(const OldArchive&) = delete;
    ~OldArchive() { close(); }
    void close()
    {
        if (file)
            unzClose(file);
        file = nullptr;
    }
};

// Reads the directory of the archive at path, if there is one.
void readOldArchive(const std::string& path, OldArchive& old);
// Refuses an entry that the game could not read once carried over.
void checkCarriable(const OldEntry& entry, const std::string& archive);
// Zip64 blocks of a copied entry would claim sizes that minizip does not
// write for a small entry, so they go; the rest of the extra field stays.
std::vector<char> withoutZip64(std::vector<char> extra);

} // namespace corvane::zip
