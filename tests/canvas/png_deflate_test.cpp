#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

#include "canvas/png/PngDeflate.h"

namespace quillora::png {
namespace {

// Rows of a smooth ramp with noise in some and flat runs in others, so both
// compressors find matches and literals.
std::vector<std::uint8_t> Scanlines(std::size_t rowBytes, std::size_t rows) {
    std::mt19937 random(23);
    std::vector<std::uint8_t> data(rowBytes * rows);
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const std::uint8_t ramp = static_cast<std::uint8_t>(i / 7 + r);
            data[r * rowBytes + i] =
                r % 5 == 0 ? static_cast<std::uint8_t>(ramp + random() % 9) : ramp;
        }
    }
    return data;
}

// Inflates with zlib, which also checks the header and the Adler-32.
std::vector<std::uint8_t> Inflate(const std::uint8_t* stream, std::size_t size,
                                  std::size_t expected) {
    std::vector<std::uint8_t> out(expected + 1);
    uLongf outSize = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &outSize, stream, static_cast<uLong>(size)) != Z_OK) {
        return {};
    }
    out.resize(outSize);
    return out;
}

TEST(PngDeflateTest, PiecesForAnyThreadCountMakeOneValidStream) {
    const std::size_t rowBytes = 4001;
    const std::vector<std::uint8_t> data = Scanlines(rowBytes, 700);  // 2.8 MB
    for (int threads : {1, 2, 3, 5, 16}) {
        imaging::ScratchBuffer buffer;
        const std::size_t size =
            CompressScanlinesFor(threads, data.data(), data.size(), rowBytes, buffer);
        ASSERT_GT(size, 0u) << threads;
        const auto* stream = static_cast<const std::uint8_t*>(buffer.reserve(size));
        EXPECT_LT(size, data.size() / 2) << threads;
        EXPECT_EQ(Inflate(stream, size, data.size()), data) << threads << " threads";
    }
}

TEST(PngDeflateTest, SmallAndOddInputs) {
    // Below the parallel threshold, a single row, and more pieces wanted
    // than there are rows.
    for (std::size_t rows : {1u, 2u, 3u}) {
        const std::vector<std::uint8_t> data = Scanlines(5, rows);
        imaging::ScratchBuffer buffer;
        const std::size_t size = CompressScanlinesFor(8, data.data(), data.size(), 5, buffer);
        ASSERT_GT(size, 0u);
        EXPECT_EQ(
            Inflate(static_cast<const std::uint8_t*>(buffer.reserve(size)), size, data.size()),
            data);
    }
    const std::vector<std::uint8_t> tall = Scanlines(1, 3'000'000);  // one byte per row
    imaging::ScratchBuffer buffer;
    const std::size_t size = CompressScanlinesFor(4, tall.data(), tall.size(), 1, buffer);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(Inflate(static_cast<const std::uint8_t*>(buffer.reserve(size)), size, tall.size()),
              tall);
}

TEST(PngDeflateTest, PiecesEndingInEveryKindOfBlockJoinUp) {
    // Random bytes end a piece in a stored block (byte-aligned), zeros in a
    // tiny fixed-code block, mixed rows in dynamic blocks at any bit; every
    // piece boundary must still give one valid stream.
    std::mt19937 random(3);
    const std::size_t rowBytes = 1001;
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<std::uint8_t> data(rowBytes * 1500);
        for (std::size_t i = 0; i < data.size(); ++i) {
            data[i] = kind == 0   ? static_cast<std::uint8_t>(random())
                      : kind == 1 ? 0
                                  : static_cast<std::uint8_t>((i / rowBytes) % 3 == 0 ? random() % 5
                                                                                      : i % 251);
        }
        for (int threads = 2; threads <= 9; ++threads) {
            imaging::ScratchBuffer buffer;
            const std::size_t size =
                CompressScanlinesFor(threads, data.data(), data.size(), rowBytes, buffer);
            ASSERT_GT(size, 0u) << kind << " " << threads;
            EXPECT_EQ(
                Inflate(static_cast<const std::uint8_t*>(buffer.reserve(size)), size, data.size()),
                data)
                << "kind " << kind << ", " << threads << " threads";
        }
    }
}

TEST(PngDeflateTest, ZeroRowLengthIsRefused) {
    const std::vector<std::uint8_t> data(100, 1);
    imaging::ScratchBuffer buffer;
    EXPECT_EQ(CompressScanlinesFor(2, data.data(), data.size(), 0, buffer), 0u);
}

}  // namespace
}  // namespace quillora::png
