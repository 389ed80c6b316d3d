#include "zip_stream.h"

#include "zip_deflate.h"
#include "zip_failure.h"
#include "zip_limits.h"
#include "zip_options.h"

#include <libdeflate.h>

#include <algorithm>
#include <deque>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace corvane::zip {

namespace {

using Compressor = std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)>;

constexpr std::size_t maxStoredBlock = 0xFFFF;
// An empty final stored block ends the stream of joined pieces.
constexpr unsigned char endOfStream[] = {0x01, 0x00, 0x00, 0xFF, 0xFF};

// Non-final stored blocks, each starting on a byte boundary.
std::vector<unsigned char> storedBlocks(const unsigned char* data, std::size_t size)
{
    std::vector<unsigned char> out;
    out.reserve(size + (size / maxStoredBlock + 1) * 5);
    for (std::size_t at = 0; at < size; at += maxStoredBlock) {
        const auto length = static_cast<unsigned>(std::min(maxStoredBlock, size - at));
        const unsigned char header[] = {
            0x00, static_cast<unsigned char>(length & 0xFF), static_cast<unsigned char>(length >> 8),
            static_cast<unsigned char>(~length & 0xFF), static_cast<unsigned char>((~length >> 8) & 0xFF)};
        out.insert(out.end(), std::begin(header), std::end(header));
        out.insert(out.end(), data + at, data + at + length);
    }
    return out;
}

// One piece as a part of the joined stream: never final, ending on a byte.
std::vector<unsigned char> compressPiece(libdeflate_compressor* compressor, std::vector<unsigned char> piece)
{
    std::vector<unsigned char> out(piece.size());
    const std::size_t written = piece.size() < 2
        ? 0
        : libdeflate_deflate_compress(compressor, piece.data(), piece.size(), out.data(), piece.size() - 1);
    out.resize(written);
    if (written == 0 || !makeJoinable(out))
        return storedBlocks(piece.data(), piece.size());
    return out;
}

} // namespace

StreamResult streamFile(os::InputFile& file, const std::string& path, int level, const Sink& sink)
{
    StreamResult result;
    const auto emit = [&](const unsigned char* data, std::size_t size) {
        sink(data, size);
        result.written += size;
    };
    const unsigned lanes = std::clamp(std::thread::hardware_concurrency(), 1u, maxPiecesInFlight);
    // Pieces of equal size, a multiple of the cores in number, keep every
    // core busy to the end: a 10 MB map on two cores is cut into four pieces
    // of 2.5 MB, not into 4 + 4 + 2 MB.
    const std::uint64_t expected = std::max<std::uint64_t>(file.info().size, 1);
    std::uint64_t pieces = (expected + streamPieceBytes - 1) / streamPieceBytes;
    pieces = (pieces + lanes - 1) / lanes * lanes;
    const std::size_t pieceBytes = static_cast<std::size_t>(
        std::clamp<std::uint64_t>((expected + pieces - 1) / pieces, minimumStreamPiece, streamPieceBytes));
    const auto readPiece = [&]() {
        std::vector<unsigned char> piece(pieceBytes);
        std::size_t have = 0;
        while (have < piece.size()) {
            const std::size_t got = file.read(piece.data() + have, piece.size() - have);
            if (got == 0)
                break;
            have += got;
        }
        piece.resize(have);
        result.size += have;
        result.crc = libdeflate_crc32(result.crc, piece.data(), piece.size());
        if (std::string limit = checkFileSize(result.size); !limit.empty())
            throw Failure(exitcode::tooBig, path + ": " + limit);
        return piece;
    };

    if (level == 0) {
        for (std::vector<unsigned char> piece = readPiece(); !piece.empty(); piece = readPiece())
            emit(piece.data(), piece.size());
        return result;
    }

    std::vector<Compressor> compressors;
    for (unsigned i = 0; i < lanes; ++i) {
        compressors.emplace_back(libdeflate_alloc_compressor(level), libdeflate_free_compressor);
        if (!compressors.back())
            throw Failure(exitcode::outOfMemory, "out of memory for the compressor");
    }
    // Piece n uses compressor n % lanes, which is free again once the piece
    // lanes places ahead of it has been written.
    std::deque<std::future<std::vector<unsigned char>>> pending;
    std::size_t next = 0;
    bool atEnd = false;
    while (!atEnd || !pending.empty()) {
        while (!atEnd && pending.size() < lanes) {
            std::vector<unsigned char> piece = readPiece();
            if (piece.empty()) {
                atEnd = true;
                break;
            }
            libdeflate_compressor* compressor = compressors[next++ % lanes].get();
            pending.push_back(std::async(std::launch::async, compressPiece, compressor, std::move(piece)));
        }
        if (pending.empty())
            break;
        const std::vector<unsigned char> packed = pending.front().get();
        pending.pop_front();
        emit(packed.data(), packed.size());
    }
    emit(endOfStream, sizeof endOfStream);
    return result;
}

} // namespace corvane::zip
