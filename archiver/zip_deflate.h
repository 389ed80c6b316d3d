// Raw deflate streams for the archive's entries, made by libdeflate.
//
// libdeflate compresses a whole buffer on one thread, and at its strongest
// levels one large BSP would keep a single core busy while the other idles.
// Such a file is cut into pieces that are compressed at the same time and
// joined into one ordinary deflate stream: every piece but the last has
// its final-block bit cleared and is padded to a byte boundary with an
// empty stored block. Each piece starts without the previous piece's 32 KiB
// window, which costs a few hundred bytes on a 10 MB map.
#pragma once

#include <cstddef>
#include <vector>

struct libdeflate_compressor;

namespace corvane::zip {

// Clears the final-block bit of a complete raw deflate stream and pads it so
// that another stream can follow directly. False if the stream is not one
// complete deflate stream.
bool makeJoinable(std::vector<unsigned char>& stream);

// How many pieces a file of this size is cut into at this libdeflate level
// on a machine with this many cores; 1 means in one go.
unsigned pieceCount(std::size_t size, int level, unsigned cores);

// The raw deflate stream of data, or empty when it would not be smaller
// than data itself. compressor is used for the first piece; the others get
// their own compressor at the same level on threads of their own.
std::vector<unsigned char> deflateData(const unsigned char* data, std::size_t size, int level,
                                       libdeflate_compressor* compressor, unsigned pieces);

} // namespace corvane::zip
