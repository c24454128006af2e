#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>

#include "canvas/effects/BrushHistory.h"
#include "canvas/effects/SoftBrush.h"
#include "canvas/effects/StrokeReplayer.h"

namespace quillora::canvas {
namespace {

constexpr std::uint32_t kOpaqueSource = 0xFFC86432u;  // (200, 100, 50)
constexpr std::uint32_t kOpaqueCutOut = 0xFFA0B0C0u;

QImage Filled(int w, int h, std::uint32_t argb) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

// The cut-out after replaying the records from a filled picture.
QImage Replayed(std::uint32_t cutOutPixel, const std::vector<StrokeRecord>& records, int softness) {
    const QImage source = Filled(40, 30, kOpaqueSource);
    QImage result = Filled(40, 30, cutOutPixel);
    StrokeReplayer replayer;
    replayer.SetCutOut(result);
    BrushHistory history;
    for (const StrokeRecord& r : records) {
        history.Append(r, softness);
    }
    history.CloseGroup();
    EXPECT_TRUE(replayer.Update(result, source, history, false));
    return result;
}

TEST(BrushCoverageTest, HardEdgeAtTheLowestSoftness) {
    EXPECT_TRUE(IsHardBrush(10));
    EXPECT_FALSE(IsHardBrush(11));
    EXPECT_EQ(BrushCoverage(0.0f, 10.0f, 10), 1.0f);
    EXPECT_EQ(BrushCoverage(9.99f, 10.0f, 10), 1.0f);
    EXPECT_EQ(BrushCoverage(10.0f, 10.0f, 10), 0.0f);
}

TEST(BrushCoverageTest, FullySoftRampsOverTheWholeRadius) {
    // Smoothstep of (radius - d) / radius: 1 at the centre, 1/2 half way,
    // 0.75^2 * (3 - 1.5) = 0.84375 a quarter of the way out.
    EXPECT_FLOAT_EQ(BrushCoverage(0.0f, 10.0f, 100), 1.0f);
    EXPECT_FLOAT_EQ(BrushCoverage(2.5f, 10.0f, 100), 0.84375f);
    EXPECT_FLOAT_EQ(BrushCoverage(5.0f, 10.0f, 100), 0.5f);
    EXPECT_EQ(BrushCoverage(10.0f, 10.0f, 100), 0.0f);
    EXPECT_EQ(BrushCoverage(12.0f, 10.0f, 100), 0.0f);
}

TEST(BrushCoverageTest, HalfSoftKeepsAFullCoreOfHalfTheRadius) {
    // Softness 55 is half way from 10 to 100: a 5-pixel ramp on radius 10.
    EXPECT_EQ(BrushCoverage(5.0f, 10.0f, 55), 1.0f);
    EXPECT_FLOAT_EQ(BrushCoverage(7.5f, 10.0f, 55), 0.5f);
    EXPECT_LT(BrushCoverage(9.0f, 10.0f, 55), 0.5f);
}

TEST(SoftReplayTest, AddOnATransparentCutOutTakesThePhotosColourWithPartialAlpha) {
    // Dot at (10, 10), diameter 20, fully soft. Pixel (12, 10) has its centre
    // at (12.5, 10.5): d = sqrt(2.5^2 + 0.5^2) = 2.5495, t = 0.74505,
    // coverage = t^2 (3 - 2t) = 0.83815, level round(213.7) = 214.
    const QImage r = Replayed(0x00000000u, {MakeDot(10, 10, 20, 0, kStrokeAdd)}, 100);
    EXPECT_EQ(r.pixel(12, 10), 0xD6C86432u);
    // Pixel (9, 9): d = 0.7071, t = 0.92929, coverage 0.98571, level 251.
    EXPECT_EQ(r.pixel(9, 9), 0xFBC86432u);
    EXPECT_EQ(r.pixel(10, 21), 0x00000000u) << "nothing beyond the radius";
    EXPECT_EQ(r.pixel(21, 10), 0x00000000u);
}

TEST(SoftReplayTest, EraseFadesAlphaAndKeepsTheColour) {
    // Same pixel: alpha 255 x (255 - 214) / 255 = 41.
    const QImage r = Replayed(kOpaqueCutOut, {MakeDot(10, 10, 20, 0, kStrokeErase)}, 100);
    EXPECT_EQ(r.pixel(12, 10), 0x29A0B0C0u);
    EXPECT_EQ(r.pixel(25, 10), kOpaqueCutOut);
    // Half soft: the inner half of the radius is covered fully.
    const QImage core = Replayed(kOpaqueCutOut, {MakeDot(10, 10, 20, 0, kStrokeErase)}, 55);
    EXPECT_EQ(core.pixel(12, 10), 0x00000000u) << "full coverage erases completely";
}

TEST(SoftReplayTest, SegmentsOfOneDragDoNotAddUpWhereTheyMeet) {
    const QImage twoSegments = Replayed(kOpaqueCutOut,
                                        {MakeSegment(5, 15, 20, 15, 16, 0, kStrokeErase),
                                         MakeSegment(20, 15, 35, 15, 16, 0, kStrokeErase)},
                                        100);
    const QImage oneSegment =
        Replayed(kOpaqueCutOut, {MakeSegment(5, 15, 35, 15, 16, 0, kStrokeErase)}, 100);
    EXPECT_EQ(twoSegments, oneSegment);
}

TEST(SoftReplayTest, SeparateStrokesDoAddUp) {
    // Two presses over the same edge pixel fade it twice:
    // 255 -> 41 -> 41 x 41 / 255 = 6.6, rounded 7.
    QImage result = Filled(40, 30, kOpaqueCutOut);
    const QImage source = Filled(40, 30, kOpaqueSource);
    StrokeReplayer replayer;
    replayer.SetCutOut(result);
    BrushHistory history;
    history.Append(MakeDot(10, 10, 20, 0, kStrokeErase), 100);
    history.CloseGroup();
    history.Append(MakeDot(10, 10, 20, 1, kStrokeErase), 100);
    history.CloseGroup();
    ASSERT_TRUE(replayer.Update(result, source, history, false));
    EXPECT_EQ(result.pixel(12, 10) >> 24, 7u);
}

TEST(StrokeRunTest, HardRecordsRunTogetherAndSoftOnesPerPress) {
    StrokeList records = {MakeDot(0, 0, 10, 0, kStrokeAdd), MakeDot(0, 0, 10, 1, kStrokeErase),
                          MakeDot(0, 0, 10, 2, kStrokeAdd), MakeDot(0, 0, 10, 2, kStrokeAdd),
                          MakeDot(0, 0, 10, 3, kStrokeAdd), MakeDot(0, 0, 10, 4, kStrokeAdd)};
    const std::vector<std::uint8_t> softness = {10, 10, 50, 50, 50, 10};
    const std::vector<StrokeRun> runs = SplitIntoRuns(records, softness, 0);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_TRUE(runs[0].hard);
    EXPECT_EQ(runs[0].end, 2u);
    EXPECT_FALSE(runs[1].hard);
    EXPECT_EQ(runs[1].begin, 2u);
    EXPECT_EQ(runs[1].end, 4u);
    EXPECT_EQ(runs[2].begin, 4u);
    EXPECT_EQ(runs[2].end, 5u);
    EXPECT_TRUE(runs[3].hard);
    EXPECT_EQ(SplitIntoRuns(records, softness, 5).size(), 1u);
}

}  // namespace
}  // namespace quillora::canvas
