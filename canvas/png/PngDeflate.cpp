#include "canvas/png/PngDeflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "canvas/imaging/Parallel.h"

namespace quillora::png {

namespace {

// libdeflate's fastest level: on filtered photographs several times faster
// than zlib's default level, and on rows filtered for the smallest entropy
// smaller than it.
constexpr int kLibdeflateLevel = 1;
constexpr int kRawDeflateWindowBits = -15;
// Below this the hand-over to other threads costs more than it saves.
constexpr std::size_t kParallelBytes = std::size_t{1} << 20;
// One piece per thread. Every piece but the last is also walked once more
// to find its last block (about two thirds of compressing it again), so the
// last piece is that much larger (in tenths of another piece) and the
// threads finish together.
constexpr std::size_t kLastPieceTenths = 17;
// A piece that does not end the stream grows by at most an empty stored
// block: three header bits, the padding to a byte and four length bytes.
constexpr std::size_t kOpenEndMargin = 8;
// Output of the block scan, thrown away (zlib keeps its own window).
constexpr std::size_t kScanOutputBytes = std::size_t{1} << 16;
constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x01};
constexpr std::uint8_t kEmptyStoredLengths[4] = {0x00, 0x00, 0xFF, 0xFF};

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

struct Piece {
    const std::uint8_t* input = nullptr;
    std::size_t inputSize = 0;
    std::uint8_t* output = nullptr;  // a region of capacity bytes in the shared buffer
    std::size_t capacity = 0;
    std::size_t written = 0;  // 0 after a failure
};

// Bit positions in a raw deflate stream (bit k is bit k % 8 of byte k / 8,
// the order deflate reads them).
struct FinalBlock {
    std::size_t headerBit = 0;  // its first header bit, the "last block" flag
    std::size_t endBit = 0;     // just after its end-of-block code
};

// Walks the blocks of a complete raw deflate stream with zlib's block-by-
// block inflate and finds where the last one starts and ends. False when
// the stream is not one complete, valid stream.
bool FindFinalBlock(const std::uint8_t* stream, std::size_t size, FinalBlock& found) {
    z_stream inflater{};
    if (inflateInit2(&inflater, kRawDeflateWindowBits) != Z_OK) {
        return false;
    }
    std::vector<std::uint8_t> scratch(kScanOutputBytes);
    inflater.next_in = const_cast<Bytef*>(stream);
    inflater.avail_in = static_cast<uInt>(size);
    std::size_t blockStart = 0;  // the first block starts at bit 0
    bool complete = false;
    for (;;) {
        inflater.next_out = scratch.data();
        inflater.avail_out = static_cast<uInt>(scratch.size());
        const int result = inflate(&inflater, Z_BLOCK);
        if (result != Z_OK && !(result == Z_BUF_ERROR && inflater.avail_out == 0)) {
            break;  // an error, or input ended inside a block
        }
        // 128: stopped just after an end-of-block code, with data_type & 7
        // bits of the last byte read still unused; 64: that block was the
        // last one.
        if ((inflater.data_type & 128) == 0) {
            continue;
        }
        const std::size_t bit =
            std::size_t{inflater.total_in} * 8 - std::size_t(inflater.data_type & 7);
        if ((inflater.data_type & 64) != 0) {
            found.headerBit = blockStart;
            found.endBit = bit;
            complete = inflater.avail_in == 0;
            break;
        }
        blockStart = bit;
    }
    inflateEnd(&inflater);
    return complete;
}

// Turns a complete raw deflate piece into one that does not end the stream:
// the last block loses its "last block" flag, and an empty stored block
// (the same thing zlib's sync flush writes) brings the end to a byte
// boundary, so the next piece simply follows. The piece needs
// kOpenEndMargin bytes of room beyond what it holds.
bool LeaveOpen(Piece& piece) {
    FinalBlock block;
    if (!FindFinalBlock(piece.output, piece.written, block)) {
        return false;
    }
    std::uint8_t* out = piece.output;
    out[block.headerBit / 8] &= static_cast<std::uint8_t>(~(1u << (block.headerBit % 8)));
    // Bits after the end-of-block code, then the three zero header bits of a
    // stored block that is not the last, then zero padding to the byte.
    const std::size_t endByte = block.endBit / 8;
    const unsigned endBits = static_cast<unsigned>(block.endBit % 8);
    if (endBits != 0) {
        out[endByte] &= static_cast<std::uint8_t>((1u << endBits) - 1u);
    }
    const std::size_t headerEnd = block.endBit + 3;
    const std::size_t aligned = (headerEnd + 7) / 8;
    for (std::size_t i = endByte + (endBits != 0 ? 1 : 0); i < aligned; ++i) {
        out[i] = 0;
    }
    if (aligned + sizeof kEmptyStoredLengths > piece.capacity) {
        return false;
    }
    std::memcpy(out + aligned, kEmptyStoredLengths, sizeof kEmptyStoredLengths);
    piece.written = aligned + sizeof kEmptyStoredLengths;
    return true;
}

// One raw deflate piece; last says whether it ends the stream.
void Compress(Piece& piece, bool last) {
    Compressor compressor(libdeflate_alloc_compressor(kLibdeflateLevel));
    if (!compressor) {
        return;
    }
    piece.written = libdeflate_deflate_compress(compressor.get(), piece.input, piece.inputSize,
                                                piece.output, piece.capacity - kOpenEndMargin);
    if (piece.written != 0 && !last && !LeaveOpen(piece)) {
        piece.written = 0;
    }
}

// Cuts [0, size) into pieces of whole rows, about the same size each.
std::vector<Piece> CutIntoPieces(int threads, const std::uint8_t* data, std::size_t size,
                                 std::size_t rowBytes) {
    const std::size_t rows = size / rowBytes;
    std::vector<Piece> pieces;
    if (threads == 1 || size < kParallelBytes || rows < 2 || size % rowBytes != 0) {
        pieces.push_back({data, size});
        return pieces;
    }
    // Each piece's input is below libdeflate's and zlib's 32-bit limits.
    constexpr std::size_t kLargestPiece = std::size_t{1} << 30;
    const std::size_t weight = std::size_t(threads - 1) * 10 + kLastPieceTenths;
    std::size_t leadingRows = rows * std::size_t(threads - 1) * 10 / weight;
    leadingRows = std::clamp<std::size_t>(leadingRows, 1, rows - 1);
    std::size_t pieceCount = std::size_t(threads - 1);
    pieceCount = std::max(pieceCount, (leadingRows * rowBytes + kLargestPiece - 1) / kLargestPiece);
    pieceCount = std::min(pieceCount, leadingRows);
    std::size_t row = 0;
    for (std::size_t p = 0; p < pieceCount; ++p) {
        const std::size_t end = leadingRows * (p + 1) / pieceCount;
        pieces.push_back({data + row * rowBytes, (end - row) * rowBytes});
        row = end;
    }
    pieces.push_back({data + row * rowBytes, size - row * rowBytes});
    return pieces;
}

}  // namespace

std::size_t CompressScanlines(const std::uint8_t* data, std::size_t size, std::size_t rowBytes,
                              imaging::ScratchBuffer& out) {
    return CompressScanlinesFor(imaging::parallelThreadCount(), data, size, rowBytes, out);
}

std::size_t CompressScanlinesFor(int pieceThreads, const std::uint8_t* data, std::size_t size,
                                 std::size_t rowBytes, imaging::ScratchBuffer& out) {
    if (rowBytes == 0 || pieceThreads < 1) {
        return 0;
    }
    Compressor sizer(libdeflate_alloc_compressor(kLibdeflateLevel));
    if (!sizer) {
        return 0;
    }
    std::vector<Piece> pieces = CutIntoPieces(pieceThreads, data, size, rowBytes);
    const std::size_t last = pieces.size() - 1;
    std::size_t total = sizeof kZlibHeader + sizeof(std::uint32_t);
    for (Piece& piece : pieces) {
        piece.capacity =
            libdeflate_deflate_compress_bound(sizer.get(), piece.inputSize) + kOpenEndMargin;
        total += piece.capacity;
    }
    auto* buffer = static_cast<std::uint8_t*>(out.reserve(total));
    if (buffer == nullptr) {
        return 0;
    }
    std::size_t offset = sizeof kZlibHeader;
    for (Piece& piece : pieces) {
        piece.output = buffer + offset;
        offset += piece.capacity;
    }
    const bool ran = imaging::parallelFor(static_cast<int>(pieces.size()), [&](int chunk) {
        const auto index = static_cast<std::size_t>(chunk);
        Compress(pieces[index], index == last);
    });
    if (!ran) {
        return 0;
    }
    std::memcpy(buffer, kZlibHeader, sizeof kZlibHeader);
    std::size_t end = sizeof kZlibHeader;
    for (const Piece& piece : pieces) {
        if (piece.written == 0) {
            return 0;
        }
        // Pieces only move towards the front, never over one still unread.
        std::memmove(buffer + end, piece.output, piece.written);
        end += piece.written;
    }
    const std::uint32_t adler = libdeflate_adler32(1, data, size);
    const std::uint8_t trailer[4] = {
        static_cast<std::uint8_t>(adler >> 24), static_cast<std::uint8_t>(adler >> 16),
        static_cast<std::uint8_t>(adler >> 8), static_cast<std::uint8_t>(adler)};
    std::memcpy(buffer + end, trailer, sizeof trailer);
    return end + sizeof trailer;
}

}  // namespace quillora::png
