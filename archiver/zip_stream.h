// A file too big to hold whole is read, checksummed and deflated piece by
// piece, and handed on as it goes, so that memory stays bounded whatever
// its size. The pieces are compressed at the same time on several cores and
// joined into one deflate stream, as zip_deflate.h describes; a piece that
// does not get smaller goes in as stored blocks of that stream.
#pragma once

#include "zip_os.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace corvane::zip {

// Files above this size are streamed; it is also the largest piece.
constexpr std::size_t streamPieceBytes = 4u << 20;
// Pieces are cut evenly, but never smaller than this.
constexpr std::size_t minimumStreamPiece = 1u << 20;
// At most this many pieces are being compressed at once.
constexpr unsigned maxPiecesInFlight = 4;

struct StreamResult {
    std::uint64_t size = 0; // bytes read
    std::uint32_t crc = 0;
    std::uint64_t written = 0; // bytes handed to the sink
};

using Sink = std::function<void(const unsigned char*, std::size_t)>;

// Reads the file to its end. At libdeflate level 0 the sink gets the bytes
// as they are, otherwise one raw deflate stream. Throws Failure.
StreamResult streamFile(os::InputFile& file, const std::string& path, int level, const Sink& sink);

} // namespace corvane::zip
