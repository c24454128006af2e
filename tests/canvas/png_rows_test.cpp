#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "canvas/png/PngRows.h"

namespace quillora::png {
namespace {

// Two RGBA pixels per row; expected values worked out by hand from the PNG
// filter definitions (a = left, b = above, c = above-left, bytes mod 256).
const std::vector<std::uint8_t> kPrev{10, 20, 30, 40, 200, 100, 50, 250};
const std::vector<std::uint8_t> kCur{12, 15, 30, 255, 100, 110, 60, 0};

RowCandidates Candidates(const std::vector<std::uint8_t>& cur,
                         const std::vector<std::uint8_t>& prev) {
    RowCandidates out;
    FilterCandidates(cur.data(), prev.data(), cur.size(), out);
    return out;
}

std::vector<std::uint8_t> Residual(RowFilter filter) {
    return Candidates(kCur, kPrev).residuals[static_cast<int>(filter)];
}

TEST(PngRowsTest, NoneAndSub) {
    EXPECT_EQ(Residual(RowFilter::None), kCur);
    // Second pixel minus the first: 100-12, 110-15, 60-30, 0-255.
    EXPECT_EQ(Residual(RowFilter::Sub),
              (std::vector<std::uint8_t>{12, 15, 30, 255, 88, 95, 30, 1}));
}

TEST(PngRowsTest, UpAndAverage) {
    // 12-10, 15-20, 30-30, 255-40, 100-200, 110-100, 60-50, 0-250.
    EXPECT_EQ(Residual(RowFilter::Up), (std::vector<std::uint8_t>{2, 251, 0, 215, 156, 10, 10, 6}));
    // First pixel: minus above/2 (5, 10, 15, 20). Second: minus
    // (left + above)/2 = (12+200)/2=106, (15+100)/2=57, (30+50)/2=40, (255+250)/2=252.
    EXPECT_EQ(Residual(RowFilter::Average),
              (std::vector<std::uint8_t>{7, 5, 15, 235, 250, 53, 20, 4}));
}

TEST(PngRowsTest, Paeth) {
    // First pixel: the predictor is the byte above. Second pixel, per byte
    // (a, b, c) -> p = a + b - c, nearest of a, b, c (ties a, then b):
    // (12, 200, 10): p 202 -> b 200; 100-200 = 156
    // (15, 100, 20): p 95 -> b 100; 110-100 = 10
    // (30, 50, 30): p 50 -> b 50; 60-50 = 10
    // (255, 250, 40): p 465 -> a 255 (|210| vs |215|); 0-255 = 1
    EXPECT_EQ(Residual(RowFilter::Paeth),
              (std::vector<std::uint8_t>{2, 251, 0, 215, 156, 10, 10, 1}));
}

TEST(PngRowsTest, CostsAreSignedMagnitudes) {
    const RowCandidates c = Candidates(kCur, kPrev);
    // None: 12+15+30+1 (255 is -1) + 100+110+60+0.
    EXPECT_EQ(c.costs[0], 328u);
    // Up: 2+5+0+41 + 100+10+10+6.
    EXPECT_EQ(c.costs[2], 174u);
    // Paeth: 2+5+0+41 + 100+10+10+1.
    EXPECT_EQ(c.costs[4], 169u);
    // Average: 7+5+15+21 + 6+53+20+4, the cheapest.
    EXPECT_EQ(c.costs[3], 131u);
    EXPECT_EQ(CheapestFilter(c), RowFilter::Average);
}

TEST(PngRowsTest, TiesGoToTheLowerFilter) {
    // A zero row over a zero row: every filter costs 0, None wins.
    const std::vector<std::uint8_t> zero(40, 0);
    EXPECT_EQ(CheapestFilter(Candidates(zero, zero)), RowFilter::None);
}

TEST(PngRowsTest, VectorCodeAgreesWithThePlainFormulas) {
    std::mt19937 random(17);
    // Lengths around the 16-byte step, a single pixel, and a long row.
    for (std::size_t bpp : {3u, 4u}) {
        for (std::size_t pixels : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 33u, 1001u}) {
            for (int trial = 0; trial < 20; ++trial) {
                std::vector<std::uint8_t> cur(pixels * bpp), prev(pixels * bpp);
                // Mostly small steps (where Paeth's branches all occur), some noise.
                std::uint8_t level = static_cast<std::uint8_t>(random());
                for (std::size_t i = 0; i < cur.size(); ++i) {
                    level = static_cast<std::uint8_t>(level + static_cast<int>(random() % 7) - 3);
                    cur[i] = trial % 3 == 0 ? static_cast<std::uint8_t>(random()) : level;
                    prev[i] = static_cast<std::uint8_t>(level + static_cast<int>(random() % 5) - 2);
                }
                RowCandidates fast, plain;
                const int bytes = static_cast<int>(bpp);
                FilterCandidates(cur.data(), prev.data(), cur.size(), fast, bytes);
                FilterCandidatesPlain(cur.data(), prev.data(), cur.size(), plain, bytes);
                for (int f = 0; f < kFilterCount; ++f) {
                    ASSERT_EQ(fast.residuals[f], plain.residuals[f])
                        << "filter " << f << ", " << pixels << " pixels of " << bpp;
                    ASSERT_EQ(fast.costs[f], plain.costs[f]) << "filter " << f;
                }
            }
        }
    }
}

// Two RGB pixels: the left neighbour is three bytes back.
TEST(PngRowsTest, RgbRowsReachThreeBytesBack) {
    const std::vector<std::uint8_t> prev{10, 20, 30, 200, 100, 50};
    const std::vector<std::uint8_t> cur{12, 15, 30, 100, 110, 60};
    RowCandidates out;
    FilterCandidates(cur.data(), prev.data(), cur.size(), out, kRgbBytesPerPixel);
    EXPECT_EQ(out.residuals[static_cast<int>(RowFilter::Sub)],
              (std::vector<std::uint8_t>{12, 15, 30, 88, 95, 30}));
    // Average: (left + above) / 2 rounded down, the first pixel without a
    // left; 100 - (12 + 200) / 2 wraps to 250.
    EXPECT_EQ(out.residuals[static_cast<int>(RowFilter::Average)],
              (std::vector<std::uint8_t>{7, 5, 15, 250, 53, 20}));
    // Paeth of the second red byte: a = 12, b = 200, c = 10, p = 202 is
    // nearest b.
    EXPECT_EQ(out.residuals[static_cast<int>(RowFilter::Paeth)][3],
              static_cast<std::uint8_t>(100 - 200));
}

TEST(PngRowsTest, OpaqueOnlyWhenEveryAlphaIs255) {
    QImage image(7, 70, QImage::Format_ARGB32);
    image.fill(0xFF808080u);
    EXPECT_TRUE(IsOpaque(image));
    image.setPixel(6, 69, 0xFE808080u);
    EXPECT_FALSE(IsOpaque(image));
    image.setPixel(6, 69, 0xFF808080u);
    image.setPixel(0, 0, 0x00808080u);
    EXPECT_FALSE(IsOpaque(image));
}

}  // namespace
}  // namespace quillora::png
