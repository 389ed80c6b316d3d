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

// minizip reads through QFile, which takes any name and any path length on
// every system (the C library's fopen on Windows takes neither).
QFile *fileOf(voidpf stream)
{
    return static_cast<QFile *>(stream);
}

zlib_filefunc64_def qtFileFunctions()
{
    zlib_filefunc64_def functions{};
    functions.zopen64_file = [](voidpf, const void *name, int) -> voidpf {
        auto file = std::make_unique<QFile>(*static_cast<const QString *>(name));
        return file->open(QIODevice::ReadOnly) ? file.release() : nullptr;
    };
    functions.zread_file = [](voidpf, voidpf stream, void *buffer, uLong size) -> uLong {
        const qint64 got = fileOf(stream)->read(static_cast<char *>(buffer), size);
        return got < 0 ? 0 : static_cast<uLong>(got);
    };
    functions.zwrite_file = [](voidpf, voidpf, const void *, uLong) -> uLong { return 0; };
    functions.ztell64_file = [](voidpf, voidpf stream) -> ZPOS64_T { return fileOf(stream)->pos(); };
    functions.zseek64_file = [](voidpf, voidpf stream, ZPOS64_T offset, int origin) -> long {
        QFile *file = fileOf(stream);
        const qint64 base = origin == ZLIB_FILEFUNC_SEEK_CUR ? file->pos()
                            : origin == ZLIB_FILEFUNC_SEEK_END ? file->size()
                                                               : 0;
        return file->seek(base + static_cast<qint64>(offset)) ? 0 : -1;
    };
    functions.zclose_file = [](voidpf, voidpf stream) -> int {
        delete fileOf(stream);
        return 0;
    };
    functions.zerror_file = [](voidpf, voidpf stream) -> int {
        return fileOf(stream)->error() == QFileDevice::NoError ? 0 : 1;
    };
    return functions;
}

} // namespace

ZipReport inspectZipFile(const QString &nativePath)
{
    ZipReport report;
    zlib_filefunc64_def functions = qtFileFunctions();
    const std::unique_ptr<void, int (*)(unzFile)> zip(unzOpen2_64(&nativePath, &functions), unzClose);
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
