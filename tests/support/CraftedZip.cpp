#include "CraftedZip.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace corvane {

namespace {

void append16(QByteArray &out, quint32 value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

void append32(QByteArray &out, quint32 value)
{
    append16(out, value & 0xFFFF);
    append16(out, value >> 16);
}

} // namespace

void put16(QByteArray &bytes, qsizetype at, quint16 value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}

void put32(QByteArray &bytes, qsizetype at, quint32 value)
{
    put16(bytes, at, quint16(value & 0xFFFF));
    put16(bytes, at + 2, quint16(value >> 16));
}

CraftedZip &CraftedZip::add(const QByteArray &name, const QByteArray &content, bool deflated)
{
    entries.append({name, content, deflated, {}, 1 << 30});
    return *this;
}

QByteArray CraftedZip::deflate(const QByteArray &data, int blockSize)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> out(compressBound(uLong(data.size())) + 64 * (data.size() / blockSize + 2));
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    for (qsizetype at = 0;; at += blockSize) {
        const qsizetype piece = std::min<qsizetype>(blockSize, data.size() - at);
        const bool last = at + piece >= data.size();
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData() + at));
        z.avail_in = uInt(piece);
        // A full flush ends each block but the last, on a byte boundary.
        ::deflate(&z, last ? Z_FINISH : Z_FULL_FLUSH);
        if (last)
            break;
    }
    const QByteArray stream(reinterpret_cast<const char *>(out.data()), qsizetype(z.total_out));
    deflateEnd(&z);
    return stream;
}

QByteArray CraftedZip::bytes()
{
    QByteArray out;
    QByteArray directory;
    m_local.clear();
    m_central.clear();
    QList<qsizetype> offsets;
    for (const Entry &entry : std::as_const(entries)) {
        const QByteArray data = entry.deflated ? deflate(entry.content, entry.deflateBlock) : entry.content;
        const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(entry.content.constData()),
                                          uInt(entry.content.size())));
        const quint16 method = entry.deflated ? 8 : 0;
        auto header = [&](QByteArray &to, bool central) {
            append32(to, central ? 0x02014b50 : 0x04034b50);
            if (central)
                append16(to, 0x0314);
            append16(to, entry.deflated ? 20 : 10);
            append16(to, 0);               // flags
            append16(to, method);
            append16(to, 0x6000);          // 12:00
            append16(to, (45 << 9) | (6 << 5) | 1); // 2025-06-01
            append32(to, crc);
            append32(to, quint32(data.size()));
            append32(to, quint32(entry.content.size()));
            append16(to, quint16(entry.name.size()));
            append16(to, quint16(central ? entry.centralExtra.size() : 0));
        };
        m_local << out.size();
        offsets << out.size();
        header(out, false);
        out += entry.name;
        out += data;
        m_central << directory.size();
        header(directory, true);
        append16(directory, 0);          // comment
        append16(directory, 0);          // disk
        append16(directory, 0);          // internal attributes
        append32(directory, 0100644u << 16);
        append32(directory, quint32(offsets.last()));
        directory += entry.name;
        directory += entry.centralExtra;
    }
    const qsizetype directoryOffset = out.size();
    for (qsizetype &at : m_central)
        at += directoryOffset;
    out += directory;
    m_end = out.size();
    append32(out, 0x06054b50);
    append16(out, 0);
    append16(out, 0);
    append16(out, quint16(entries.size()));
    append16(out, quint16(entries.size()));
    append32(out, quint32(directory.size()));
    append32(out, quint32(directoryOffset));
    append16(out, quint16(comment.size()));
    out += comment;
    return out;
}

} // namespace corvane
