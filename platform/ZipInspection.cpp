#include "platform/ZipInspection.h"

#include <QFile>

#include <memory>
#include <minizip/unzip.h>
#include <vector>

namespace corvane {

namespace {

constexpr quint32 endOfDirectory = 0x06054b50;
constexpr quint32 zip64Locator = 0x07064b50;
constexpr int endRecordSize = 22;
constexpr int zip64LocatorSize = 20;
constexpr int maxCommentSize = 0xFFFF;
constexpr quint16 zip64ExtraTag = 0x0001;
constexpr std::size_t readBufferBytes = 256 * 1024;

quint32 le32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (quint32(u[3]) << 24);
}

quint16 le16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint16(u[0] | (u[1] << 8));
}

// minizip reads zip64 archives without saying so; the game cannot.
bool hasZip64EndRecord(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 tail = qMin<qint64>(file.size(), endRecordSize + maxCommentSize + zip64LocatorSize);
    file.seek(file.size() - tail);
    const QByteArray bytes = file.read(tail);
    for (qsizetype at = bytes.size() - endRecordSize; at >= 0; --at) {
        if (le32(bytes.constData() + at) == endOfDirectory)
            return at >= zip64LocatorSize && le32(bytes.constData() + at - zip64LocatorSize) == zip64Locator;
    }
    return false;
}

bool hasZip64Extra(const std::vector<char> &extra)
{
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        if (le16(extra.data() + at) == zip64ExtraTag)
            return true;
        at += 4 + le16(extra.data() + at + 2);
    }
    return false;
}

QString readWhole(unzFile zip)
{
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return QStringLiteral("its data cannot be opened");
    std::vector<char> buffer(readBufferBytes);
    int got = 0;
    while ((got = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
    }
    const int closed = unzCloseCurrentFile(zip);
    if (got < 0)
        return QStringLiteral("its data cannot be read back");
    if (closed == UNZ_CRCERROR)
        return QStringLiteral("its data fails the CRC check");
    if (closed != UNZ_OK)
        return QStringLiteral("its data cannot be read back");
    return {};
}

} // namespace

ZipReport inspectZipFile(const QString &nativePath)
{
    ZipReport report;
    const std::unique_ptr<void, int (*)(unzFile)> zip(unzOpen64(QFile::encodeName(nativePath).constData()), unzClose);
    if (!zip) {
        report.problem = QStringLiteral("it is not a zip archive");
        return report;
    }
    report.zip64 = hasZip64EndRecord(nativePath);
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip.get(), &global) != UNZ_OK) {
        report.problem = QStringLiteral("its directory cannot be read");
        return report;
    }
    for (ZPOS64_T i = 0; i < global.number_entry; ++i) {
        if ((i == 0 ? unzGoToFirstFile(zip.get()) : unzGoToNextFile(zip.get())) != UNZ_OK) {
            report.problem = QStringLiteral("its directory cannot be read");
            return report;
        }
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
            report.problem = QStringLiteral("its directory cannot be read");
            return report;
        }
        std::vector<char> name(info.size_filename + 1);
        std::vector<char> extra(info.size_file_extra);
        unzGetCurrentFileInfo64(zip.get(), &info, name.data(), static_cast<uLong>(name.size()), extra.data(),
                                static_cast<uLong>(extra.size()), nullptr, 0);
        ZipEntryReport entry;
        entry.name = QString::fromUtf8(name.data(), static_cast<qsizetype>(info.size_filename));
        entry.method = static_cast<int>(info.compression_method);
        report.zip64 = report.zip64 || hasZip64Extra(extra);
        if (info.flag & 1)
            entry.problem = QStringLiteral("it is encrypted");
        else if (entry.method == 0 || entry.method == 8)
            entry.problem = readWhole(zip.get());
        report.entries << entry;
    }
    return report;
}

} // namespace corvane
