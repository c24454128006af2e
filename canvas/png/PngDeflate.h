#pragma once

#include <cstddef>
#include <cstdint>

#include "canvas/imaging/ScratchBuffer.h"

namespace quillora::png {

// The filtered scanlines as one zlib stream (header, deflate data, Adler-32),
// written into out. Returns the stream's size, or 0 when memory runs out or
// a compressor fails. rowBytes keeps the pieces of a parallel compression on
// row boundaries (any positive value is correct; rows just compress best).
//
// Large inputs are compressed on every core, in pieces of whole rows, each
// by libdeflate. libdeflate can only end a stream, so every piece but the
// last then has its last block's "last block" flag cleared and an empty
// stored block added (what zlib's sync flush writes): the raw deflate
// pieces simply follow one another in one valid stream.
std::size_t CompressScanlines(const std::uint8_t* data, std::size_t size, std::size_t rowBytes,
                              imaging::ScratchBuffer& out);

// The same with the pieces laid out for pieceThreads threads (1: a single
// libdeflate call), whatever the machine has; for the tests. The layout
// depends on pieceThreads only, so the bytes are the same however many
// threads actually run the pieces.
std::size_t CompressScanlinesFor(int pieceThreads, const std::uint8_t* data, std::size_t size,
                                 std::size_t rowBytes, imaging::ScratchBuffer& out);

}  // namespace quillora::png
