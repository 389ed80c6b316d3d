#include "platform/ZipInspection.h"

#include "platform/LibzipDevice.h"

#include <QFile>
#include <QIODevice>

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace corvane {

namespace {

constexpr quint32 localSignature = 0x04034b50;
constexpr quint32 centralSignature = 0x02014b50;
constexpr quint32 endSignature = 0x06054b50;
constexpr quint32 zip64LocatorSignature = 0x07064b50;
constexpr qint64 localHeaderSize = 30;
constexpr qint64 centralHeaderSize = 46;
constexpr qint64 endRecordSize = 22;
constexpr qint64 zip64LocatorSize = 20;
// The game looks for the end record's signature in this many last bytes.
constexpr qint64 gameSearchBytes = 0xFFFF;
constexpr quint16 zip64ExtraId = 0x0001;
constexpr quint16 flagEncrypted = 0x0001;
constexpr quint16 marker16 = 0xFFFF;
// Zip 2.0 reads stored and deflated entries; an entry that asks for more
// is skipped by other unzip tools.
constexpr quint16 readableVersion = 20;
constexpr quint32 marker32 = 0xFFFFFFFF;
constexpr qint64 chunkBytes = 256 * 1024;

quint16 le16(const QByteArray &bytes, qint64 at)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at);
    return quint16(p[0] | (p[1] << 8));
}

quint32 le32(const QByteArray &bytes, qint64 at)
{
    return le16(bytes, at) | (quint32(le16(bytes, at + 2)) << 16);
}

// Exactly `size` bytes at `offset`, or nothing.
std::optional<QByteArray> readAt(QIODevice &device, qint64 offset, qint64 size)
{
    const qint64 total = device.size();
    if (offset < 0 || size < 0 || offset > total || total - offset < size || !device.seek(offset))
        return std::nullopt;
    QByteArray data = device.read(size);
    if (data.size() != size)
        return std::nullopt;
    return data;
}

// A directory entry's fields as stored, and where its data begins.
struct Stored {
    quint16 versionNeeded = 0;
    quint16 flags = 0;
    quint16 method = 0;
    quint16 time = 0;
    quint16 date = 0;
    quint32 crc = 0;
    quint32 compressedSize = 0;
    quint32 size = 0;
    quint32 localOffset = 0;
    QByteArray name;
    qint64 dataOffset = -1; // once its local header has been read
};

// Whether the extra field is a run of whole blocks (a few zero bytes of
// padding may follow), and whether one of them is a zip64 block.
bool extraIsWhole(const QByteArray &extra, bool &zip64)
{
    qint64 at = 0;
    while (extra.size() - at >= 4) {
        const qint64 length = le16(extra, at + 2);
        if (le16(extra, at) == zip64ExtraId)
            zip64 = true;
        if (length > extra.size() - at - 4)
            return false;
        at += 4 + length;
    }
    return std::all_of(extra.cbegin() + at, extra.cend(), [](char c) { return c == '\0'; });
}

QString quoted(const QByteArray &name)
{
    return QLatin1Char('"') + QString::fromUtf8(name) + QLatin1Char('"');
}

class Inspection {
public:
    Inspection(QIODevice &device, ZipReport &report)
        : m_device(device)
        , m_report(report)
    {
    }

    void run(ZipDepth depth)
    {
        if (!readEnd() || !readDirectory() || depth == ZipDepth::Listing)
            return;
        if (!m_report.problem.isEmpty() || m_report.zip64)
            return;
        readLocalHeaders();
        if (!checkLayout())
            return;
        for (qsizetype i = 0; i < m_stored.size(); ++i) {
            ZipEntryReport &entry = m_report.entries[i];
            if (entry.problem.isEmpty() && (entry.method == 0 || entry.method == 8))
                entry.problem = checkData(m_stored[i]);
        }
        if (std::all_of(m_report.entries.cbegin(), m_report.entries.cend(),
                        [](const ZipEntryReport &e) { return e.problem.isEmpty(); }))
            secondOpinion();
    }

private:
    void fail(const QString &problem)
    {
        if (m_report.problem.isEmpty())
            m_report.problem = problem;
    }

    // The end record, found where the game finds it: the last signature in
    // the last 64 KiB. It must be the real one, its comment ending the file.
    bool readEnd()
    {
        const qint64 size = m_device.size();
        if (size < endRecordSize) {
            fail(QStringLiteral("it is too short to be a zip archive"));
            return false;
        }
        const qint64 windowStart = std::max<qint64>(0, size - gameSearchBytes);
        const std::optional<QByteArray> window = readAt(m_device, windowStart, size - windowStart);
        if (!window) {
            fail(QStringLiteral("its end cannot be read"));
            return false;
        }
        qint64 found = -1;
        for (qint64 at = window->size() - 4; at >= 0 && found < 0; --at) {
            if (le32(*window, at) == endSignature)
                found = at;
        }
        if (found < 0 || window->size() - found < endRecordSize) {
            fail(QStringLiteral("the game finds no end record in it"));
            return false;
        }
        m_endOffset = windowStart + found;
        const QByteArray end = window->mid(found, endRecordSize);
        if (m_endOffset + endRecordSize + le16(end, 20) != size)
            fail(QStringLiteral("its end record does not end the file"));
        // One further back that also ends the file is the real one: the
        // game would read the one in its comment instead.
        for (qint64 at = found - 1; at >= 0; --at) {
            if (le32(*window, at) == endSignature && window->size() - at >= endRecordSize &&
                window->size() - at - endRecordSize == le16(*window, at + 20))
                fail(QStringLiteral("its comment holds a second end record, which the game would read"));
        }
        const quint16 disk = le16(end, 4);
        const quint16 directoryDisk = le16(end, 6);
        m_count = le16(end, 10);
        m_directorySize = le32(end, 12);
        m_directoryOffset = le32(end, 16);
        m_report.zip64 = disk == marker16 || directoryDisk == marker16 || m_count == marker16 ||
            m_directorySize == marker32 || m_directoryOffset == marker32;
        if (m_endOffset >= zip64LocatorSize) {
            const std::optional<QByteArray> locator = readAt(m_device, m_endOffset - zip64LocatorSize, 4);
            m_report.zip64 = m_report.zip64 || (locator && le32(*locator, 0) == zip64LocatorSignature);
        }
        if (disk != 0 || directoryDisk != 0)
            fail(QStringLiteral("it spans several disks"));
        if (le16(end, 8) != m_count)
            fail(QStringLiteral("its end record counts its entries twice, differently"));
        return true;
    }

    // The directory as the game lists it: where the end record says, shifted
    // (as the game shifts it) by whatever lies before the archive proper.
    bool readDirectory()
    {
        const qint64 shift = m_endOffset - (qint64(m_directoryOffset) + m_directorySize);
        if (shift < 0) {
            fail(QStringLiteral("its directory is not where its end record says"));
            return false;
        }
        if (shift > 0)
            fail(QStringLiteral("it holds %1 bytes before its entries that belong to none of them").arg(shift));
        m_directoryStart = m_directoryOffset + shift;
        const std::optional<QByteArray> directory = readAt(m_device, m_directoryStart, m_directorySize);
        if (!directory) {
            fail(QStringLiteral("its directory cannot be read"));
            return false;
        }
        qint64 at = 0;
        for (int i = 0; i < m_count; ++i) {
            if (directory->size() - at < centralHeaderSize || le32(*directory, at) != centralSignature) {
                fail(QStringLiteral("its directory ends before the %1 entries its end record counts").arg(m_count));
                return true;
            }
            Stored stored;
            stored.versionNeeded = le16(*directory, at + 6);
            stored.flags = le16(*directory, at + 8);
            stored.method = le16(*directory, at + 10);
            stored.time = le16(*directory, at + 12);
            stored.date = le16(*directory, at + 14);
            stored.crc = le32(*directory, at + 16);
            stored.compressedSize = le32(*directory, at + 20);
            stored.size = le32(*directory, at + 24);
            const qint64 nameLength = le16(*directory, at + 28);
            const qint64 extraLength = le16(*directory, at + 30);
            const qint64 commentLength = le16(*directory, at + 32);
            const quint16 disk = le16(*directory, at + 34);
            stored.localOffset = le32(*directory, at + 42);
            if (directory->size() - at - centralHeaderSize < nameLength + extraLength + commentLength) {
                fail(QStringLiteral("its directory entry %1 runs past the end of the directory").arg(i + 1));
                return true;
            }
            stored.name = directory->mid(at + centralHeaderSize, nameLength);
            const QByteArray extra = directory->mid(at + centralHeaderSize + nameLength, extraLength);
            at += centralHeaderSize + nameLength + extraLength + commentLength;

            ZipEntryReport entry;
            // The game takes a name as a C string.
            const qsizetype nul = stored.name.indexOf('\0');
            entry.name = QString::fromUtf8(nul < 0 ? stored.name : stored.name.left(nul));
            entry.method = stored.method;
            bool zip64 = stored.compressedSize == marker32 || stored.size == marker32 ||
                stored.localOffset == marker32 || disk == marker16;
            if (!extraIsWhole(extra, zip64))
                entry.problem = QStringLiteral("its extra field is damaged");
            else if (stored.name.contains('\0'))
                entry.problem = QStringLiteral("its name holds a NUL byte");
            else if (stored.flags & flagEncrypted)
                entry.problem = QStringLiteral("it is encrypted");
            else if (stored.versionNeeded > readableVersion)
                entry.problem = QStringLiteral("it asks for a zip reader of version %1.%2, more than its data needs")
                                    .arg(stored.versionNeeded / 10)
                                    .arg(stored.versionNeeded % 10);
            else if (disk != 0)
                fail(QStringLiteral("it spans several disks"));
            m_report.zip64 = m_report.zip64 || zip64;
            m_report.entries << entry;
            m_stored.push_back(stored);
        }
        if (at != directory->size())
            fail(QStringLiteral("its directory holds more than the %1 entries its end record counts").arg(m_count));
        return true;
    }

    void readLocalHeaders()
    {
        for (qsizetype i = 0; i < m_stored.size(); ++i) {
            Stored &stored = m_stored[i];
            QString &problem = m_report.entries[i].problem;
            if (!problem.isEmpty())
                continue;
            const std::optional<QByteArray> header = readAt(m_device, stored.localOffset, localHeaderSize);
            if (!header || le32(*header, 0) != localSignature) {
                problem = QStringLiteral("it has no local header where the directory says");
                continue;
            }
            const qint64 nameLength = le16(*header, 26);
            const qint64 extraLength = le16(*header, 28);
            const std::optional<QByteArray> name = readAt(m_device, stored.localOffset + localHeaderSize, nameLength);
            const std::optional<QByteArray> extra =
                readAt(m_device, stored.localOffset + localHeaderSize + nameLength, extraLength);
            bool zip64 = false;
            const char *differs = !name || *name != stored.name      ? "name"
                : le16(*header, 4) != stored.versionNeeded           ? "version needed to extract"
                : le16(*header, 6) != stored.flags                   ? "flags"
                : le16(*header, 8) != stored.method                  ? "compression method"
                : le16(*header, 10) != stored.time || le16(*header, 12) != stored.date ? "date"
                : le32(*header, 14) != stored.crc                    ? "CRC"
                : le32(*header, 18) != stored.compressedSize || le32(*header, 22) != stored.size ? "sizes"
                                                                     : nullptr;
            if (differs) {
                problem = QStringLiteral("its local header has another %1 than its directory entry")
                              .arg(QLatin1String(differs));
                continue;
            }
            if (!extra || !extraIsWhole(*extra, zip64)) {
                problem = QStringLiteral("its extra field is damaged");
                continue;
            }
            if (zip64) {
                m_report.zip64 = true;
                continue;
            }
            stored.dataOffset = stored.localOffset + localHeaderSize + nameLength + extraLength;
        }
    }

    // The entries lie one after another from the very first byte to the
    // directory: none overlaps another, nothing lies between them.
    bool checkLayout()
    {
        std::vector<const Stored *> order;
        for (const Stored &stored : std::as_const(m_stored)) {
            if (stored.dataOffset < 0)
                return false; // a local header is wrong, which says enough
            order.push_back(&stored);
        }
        std::sort(order.begin(), order.end(),
                  [](const Stored *a, const Stored *b) { return a->localOffset < b->localOffset; });
        qint64 expected = 0;
        QByteArray previous;
        for (const Stored *stored : order) {
            if (stored->localOffset < expected) {
                fail(QStringLiteral("the entries %1 and %2 overlap").arg(quoted(previous), quoted(stored->name)));
                return false;
            }
            if (stored->localOffset > expected) {
                fail(QStringLiteral("it holds %1 bytes before the entry %2 that belong to no entry")
                         .arg(stored->localOffset - expected)
                         .arg(quoted(stored->name)));
                return false;
            }
            expected = stored->dataOffset + stored->compressedSize;
            previous = stored->name;
        }
        if (expected != m_directoryStart) {
            fail(expected > m_directoryStart
                     ? QStringLiteral("the entry %1 runs into the directory").arg(quoted(previous))
                     : QStringLiteral("it holds %1 bytes before its directory that belong to no entry")
                           .arg(m_directoryStart - expected));
            return false;
        }
        return true;
    }

    // Unpacks the data whole: it must end with its deflate stream, at exactly
    // its declared size, with its declared CRC.
    QString checkData(const Stored &stored)
    {
        if (!m_device.seek(stored.dataOffset))
            return QStringLiteral("its data cannot be read");
        if (stored.method == 0 && stored.compressedSize != stored.size)
            return QStringLiteral("it is stored, but declares two different sizes");
        z_stream z{};
        if (stored.method == 8 && inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return QStringLiteral("there is not enough memory to unpack it");
        std::vector<unsigned char> out(chunkBytes);
        QByteArray in;
        qint64 left = stored.compressedSize;
        quint64 produced = 0;
        uLong crc = crc32(0, nullptr, 0);
        QString problem;
        bool ended = stored.method == 0 && left == 0;
        while (!ended) {
            if (z.avail_in == 0) {
                if (left == 0) {
                    problem = QStringLiteral("its deflate stream is cut short");
                    break;
                }
                in = m_device.read(std::min(left, chunkBytes));
                if (in.isEmpty()) {
                    problem = QStringLiteral("its data cannot be read");
                    break;
                }
                left -= in.size();
                z.next_in = reinterpret_cast<Bytef *>(in.data());
                z.avail_in = uInt(in.size());
            }
            std::size_t got = 0;
            if (stored.method == 0) {
                crc = crc32(crc, z.next_in, z.avail_in);
                got = z.avail_in;
                z.avail_in = 0;
                ended = left == 0;
            } else {
                z.next_out = out.data();
                z.avail_out = uInt(out.size());
                const int status = inflate(&z, Z_NO_FLUSH);
                if (status != Z_OK && status != Z_STREAM_END) {
                    problem = QStringLiteral("its deflate stream is damaged");
                    break;
                }
                got = out.size() - z.avail_out;
                crc = crc32(crc, out.data(), uInt(got));
                ended = status == Z_STREAM_END;
            }
            produced += got;
            if (produced > stored.size) {
                problem = QStringLiteral("it unpacks to more than its declared %1 bytes").arg(stored.size);
                break;
            }
        }
        const bool trailing = z.avail_in != 0 || left != 0;
        if (stored.method == 8)
            inflateEnd(&z);
        if (!problem.isEmpty())
            return problem;
        if (trailing)
            return QStringLiteral("its data goes on after its deflate stream ends");
        if (produced != stored.size)
            return QStringLiteral("it unpacks to %1 bytes, not its declared %2").arg(produced).arg(stored.size);
        if (crc != stored.crc)
            return QStringLiteral("its data fails the CRC check");
        return {};
    }

    // libzip, fuzzed upstream and written by others, must read it alike.
    void secondOpinion()
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_t *archive = openWithLibzip(m_device, error);
        if (!archive) {
            fail(QStringLiteral("libzip finds it damaged (%1)").arg(QString::fromUtf8(zip_error_strerror(&error))));
        } else if (zip_get_num_entries(archive, 0) != m_stored.size()) {
            fail(QStringLiteral("libzip counts its entries differently"));
        } else {
            for (qsizetype i = 0; i < m_stored.size(); ++i) {
                const Stored &stored = m_stored[i];
                zip_stat_t stat;
                if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0 || stat.size != stored.size ||
                    stat.comp_size != stored.compressedSize || stat.crc != stored.crc ||
                    stat.comp_method != stored.method) {
                    fail(QStringLiteral("libzip reads the entry %1 differently").arg(quoted(stored.name)));
                    break;
                }
            }
        }
        if (archive)
            zip_discard(archive);
        zip_error_fini(&error);
    }

    QIODevice &m_device;
    ZipReport &m_report;
    QList<Stored> m_stored;
    qint64 m_endOffset = 0;
    int m_count = 0;
    quint32 m_directorySize = 0;
    quint32 m_directoryOffset = 0;
    qint64 m_directoryStart = 0;
};

} // namespace

ZipReport inspectZipDevice(QIODevice &device, ZipDepth depth)
{
    ZipReport report;
    Inspection(device, report).run(depth);
    return report;
}

// Read through QFile, which takes any name and any path length on every
// system (the C library's fopen on Windows takes neither).
ZipReport inspectZipFile(const QString &nativePath, ZipDepth depth)
{
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly)) {
        ZipReport report;
        report.problem = QStringLiteral("it cannot be opened (%1)").arg(file.errorString());
        return report;
    }
    return inspectZipDevice(file, depth);
}

QStringList ZipReport::names() const
{
    QStringList names;
    for (const ZipEntryReport &entry : entries)
        names << entry.name;
    return names;
}

} // namespace corvane
