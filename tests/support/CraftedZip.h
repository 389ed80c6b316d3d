#pragma once

#include <QByteArray>
#include <QList>

namespace corvane {

// A zip archive laid out byte by byte, so that a test can damage exactly
// the field it means to: entries one after another, the directory, the end
// record. Offsets of every record are kept for the damage.
class CraftedZip {
public:
    struct Entry {
        QByteArray name;
        QByteArray content;
        bool deflated = false;
        QByteArray centralExtra;
        int deflateBlock = 1 << 30; // bytes of content in each deflate block
    };

    CraftedZip &add(const QByteArray &name, const QByteArray &content, bool deflated = false);
    QList<Entry> entries;
    QByteArray comment;

    // Lays the archive out and remembers where each record lies.
    QByteArray bytes();
    qsizetype localHeader(int i) const { return m_local.at(i); }
    qsizetype centralHeader(int i) const { return m_central.at(i); }
    qsizetype endRecord() const { return m_end; }
    // A raw deflate stream of data, in blocks of blockSize bytes.
    static QByteArray deflate(const QByteArray &data, int blockSize = 1 << 30);

private:
    QList<qsizetype> m_local;
    QList<qsizetype> m_central;
    qsizetype m_end = 0;
};

// Little-endian writes into a laid-out archive.
void put16(QByteArray &bytes, qsizetype at, quint16 value);
void put32(QByteArray &bytes, qsizetype at, quint32 value);

} // namespace corvane
