// The archive check, from memory: the listing taken before the archiver
// runs, the whole reading after it, and the verdict on both.
#include "packaging/ArchiveCheck.h"
#include "platform/ZipInspection.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace corvane;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const ZipReport listing = inspectZipDevice(buffer, ZipDepth::Listing);
    const ZipReport report = inspectZipDevice(buffer, ZipDepth::Whole);
    archiveProblem(QStringLiteral("fuzz.pk3"), std::nullopt, FileStamp{}, report, {QStringLiteral("maps/fuzz.bsp")},
                   listing.names());
    return 0;
}
