// The archive zip.exe updates, from memory: read, and every entry's data
// checked and carried, as zip.exe carries it into the new archive.
#include "zip_failure.h"
#include "zip_old_archive.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace corvane::zip;
    try {
        OldArchive old;
        old.open(std::make_unique<MemoryBytes>(data, size), "fuzz.pk3");
        std::string kept;
        for (std::size_t i = 0; i < old.entries().size(); ++i) {
            removeExtraBlocks(old.entries()[i].localExtra, zip64ExtraId, kept);
            removeExtraBlocks(old.entries()[i].centralExtra, zip64ExtraId, kept);
            try {
                old.checkCarriable(i);
                old.copyData(i, [](const unsigned char *, std::size_t) {});
            } catch (const Failure &) {
            }
        }
    } catch (const Failure &) {
    }
    return 0;
}
