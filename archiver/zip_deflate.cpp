#include "zip_deflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

namespace corvane::zip {

namespace {

using Compressor = std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)>;
using Decompressor = std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)>;

// Pieces below this size gain too little time for the bytes they cost.
constexpr std::size_t minimumPiece = 1u << 20;
// libdeflate's levels with near-optimal parsing; faster levels need no help.
constexpr int slowLevel = 10;
// Each cut costs a few hundred bytes; past a few pieces the other files of
// the package keep the remaining cores busy anyway.
constexpr unsigned maximumPieces = 4;
// Where the block walk of makeJoinable lets zlib put what it inflates.
constexpr std::size_t inflateSinkBytes = 1u << 16;

std::vector<unsigned char> compressPiece(libdeflate_compressor* compressor, const unsigned char* data,
                                         std::size_t size, std::size_t room)
{
    std::vector<unsigned char> out(room);
    const std::size_t written = libdeflate_deflate_compress(compressor, data, size, out.data(), out.size());
    out.resize(written);
    return out;
}

bool decompressesTo(const std::vector<unsigned char>& stream, const unsigned char* data, std::size_t size)
{
    Decompressor decompressor(libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!decompressor)
        return false;
    std::vector<unsigned char> check(size);
    std::size_t produced = 0;
    const libdeflate_result result = libdeflate_deflate_decompress(
        decompressor.get(), stream.data(), stream.size(), check.data(), check.size(), &produced);
    return result == LIBDEFLATE_SUCCESS && produced == size && std::memcmp(check.data(), data, size) == 0;
}

} // namespace

bool makeJoinable(std::vector<unsigned char>& stream)
{
    if (stream.empty() || stream.size() > 0xFFFFFFFFu)
        return false;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return false;
    z.next_in = stream.data();
    z.avail_in = static_cast<uInt>(stream.size());
    // Asked for Z_BLOCK, zlib stops after each block. After a block that was
    // not the final one the next header follows: the last header seen so is
    // the final block's. After the final block, the unused bits of the last
    // byte are the padding to fill.
    std::size_t headerByte = 0;
    unsigned headerBit = 1;
    unsigned unused = 8;
    std::vector<unsigned char> sink(inflateSinkBytes);
    int status = Z_OK;
    for (;;) {
        z.next_out = sink.data();
        z.avail_out = static_cast<uInt>(sink.size());
        status = inflate(&z, Z_BLOCK);
        if (status != Z_OK)
            break;
        if (!(z.data_type & 128))
            continue;
        const unsigned bits = static_cast<unsigned>(z.data_type) & 7u;
        if (z.data_type & 64) {
            unused = bits;
            continue;
        }
        const std::size_t consumed = stream.size() - z.avail_in;
        headerByte = bits ? consumed - 1 : consumed;
        headerBit = bits ? 0x100u >> bits : 1u;
    }
    const bool whole = status == Z_STREAM_END && z.avail_in == 0 && unused < 8;
    inflateEnd(&z);
    if (!whole || headerByte >= stream.size() || !(stream[headerByte] & headerBit))
        return false;
    stream[headerByte] = static_cast<unsigned char>(stream[headerByte] & ~headerBit);
    if (unused == 0)
        return true; // already on a byte boundary
    // Padding bits must be zero: they start the empty stored block's header
    // (not final, type 0), which then skips to the byte boundary.
    stream.back() = static_cast<unsigned char>(stream.back() & ((1u << (8 - unused)) - 1));
    if (unused < 3)
        stream.push_back(0); // the rest of the three header bits
    for (unsigned char byte : {0x00, 0x00, 0xFF, 0xFF})
        stream.push_back(byte); // LEN 0 and its complement
    return true;
}

unsigned pieceCount(std::size_t size, int level, unsigned cores)
{
    if (level < slowLevel || cores < 2)
        return 1;
    const std::size_t bySize = size / minimumPiece;
    return static_cast<unsigned>(
        std::max<std::size_t>(1, std::min<std::size_t>({cores, maximumPieces, bySize})));
}

std::vector<unsigned char> deflateData(const unsigned char* data, std::size_t size, int level,
                                       libdeflate_compressor* compressor, unsigned pieces)
{
    if (size < 2)
        return {};
    if (pieces > 1) {
        std::vector<std::vector<unsigned char>> parts(pieces);
        // One byte each: a vector<bool> packs them into shared words, which
        // the pieces' threads would then write at once.
        std::vector<char> joinable(pieces, false);
        const std::size_t step = size / pieces;
        const auto work = [&](unsigned index, libdeflate_compressor* own) {
            const std::size_t begin = index * step;
            const std::size_t length = index + 1 == pieces ? size - begin : step;
            parts[index] =
                compressPiece(own, data + begin, length, libdeflate_deflate_compress_bound(own, length));
            joinable[index] = index + 1 == pieces ? !parts[index].empty() : makeJoinable(parts[index]);
        };
        std::vector<Compressor> helpers;
        std::vector<std::thread> threads;
        bool helped = true;
        for (unsigned i = 1; i < pieces; ++i) {
            helpers.emplace_back(libdeflate_alloc_compressor(level), libdeflate_free_compressor);
            if (!helpers.back()) {
                helped = false;
                break;
            }
        }
        if (helped) {
            for (unsigned i = 1; i < pieces; ++i)
                threads.emplace_back(work, i, helpers[i - 1].get());
            work(0, compressor);
            for (std::thread& thread : threads)
                thread.join();
            std::vector<unsigned char> joined;
            bool ok = true;
            for (unsigned i = 0; i < pieces; ++i) {
                ok = ok && joinable[i];
                joined.insert(joined.end(), parts[i].begin(), parts[i].end());
                parts[i] = {};
            }
            // The joined stream is checked once more in full; should it ever
            // fail, the file is simply compressed in one go below.
            if (ok && joined.size() < size && decompressesTo(joined, data, size))
                return joined;
            if (ok && joined.size() >= size)
                return {};
        }
    }
    std::vector<unsigned char> out = compressPiece(compressor, data, size, size - 1);
    out.shrink_to_fit();
    return out;
}

} // namespace corvane::zip
