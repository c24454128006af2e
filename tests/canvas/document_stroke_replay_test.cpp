#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>

#include "canvas/document/StrokeDrawing.h"
#include "canvas/document/StrokeReplay.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {
namespace {

constexpr std::uint32_t kSourcePixel = 0x80123456u;  // half-transparent source
constexpr std::uint32_t kCutOutPixel = 0xFFA0B0C0u;

QImage Filled(int w, int h, std::uint32_t argb) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

// A source whose every pixel is different, so a pixel taken from the wrong
// place shows.
QImage Patterned(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, 0x40000000u | static_cast<std::uint32_t>(y * 1000 + x));
        }
    }
    return image;
}

std::uint32_t At(const QImage& image, int x, int y) {
    return image.pixel(x, y);
}

TEST(ReplayMaskRule, ThreeWayRuleReadsOnlyTheMask) {
    QImage result = Filled(6, 1, kCutOutPixel);
    const QImage source = Filled(6, 1, kSourcePixel);
    QImage mask(6, 1, QImage::Format_ARGB32);
    const std::uint32_t maskPixels[6] = {
        0x00FFFFFFu,  // erased
        0x00000000u,  // transparent black is still erased
        0xFF000000u,  // restored
        0x40000000u,  // black with any alpha but 0 restores
        0xFFFFFFFFu,  // untouched
        0xFF010000u,  // nearly black is untouched
    };
    for (int x = 0; x < 6; ++x) {
        mask.setPixel(x, 0, maskPixels[x]);
    }
    ApplyReplayMask(result, source, mask, {0, 0, 6, 1});
    EXPECT_EQ(At(result, 0, 0), 0x00000000u);
    EXPECT_EQ(At(result, 1, 0), 0x00000000u);
    EXPECT_EQ(At(result, 2, 0), kSourcePixel);
    EXPECT_EQ(At(result, 3, 0), kSourcePixel);
    EXPECT_EQ(At(result, 4, 0), kCutOutPixel);
    EXPECT_EQ(At(result, 5, 0), kCutOutPixel);
}

TEST(ReplayMaskRule, MaskCornerSitsAtTheAreaCorner) {
    QImage result = Filled(4, 4, kCutOutPixel);
    const QImage source = Patterned(4, 4);
    QImage mask = Filled(2, 2, 0xFFFFFFFFu);
    mask.setPixel(1, 1, 0xFF000000u);
    ApplyReplayMask(result, source, mask, {2, 1, 2, 2});
    EXPECT_EQ(At(result, 3, 2), At(source, 3, 2));
    EXPECT_EQ(At(result, 1, 1), kCutOutPixel);
    EXPECT_EQ(At(result, 2, 1), kCutOutPixel);
}

TEST(StrokeReplay, EraseThenAddRestoresTheSourceWithItsAlpha) {
    const QImage source = Filled(40, 40, kSourcePixel);
    QImage result = Filled(40, 40, kCutOutPixel);
    ReplayMaskBuffer buffer;
    const StrokeList strokes = {MakeDot(20, 20, 10, 0, kStrokeErase),
                                MakeDot(20, 20, 10, 1, kStrokeAdd)};
    ASSERT_TRUE(ReplayStrokes(result, source, strokes, buffer));
    EXPECT_EQ(At(result, 20, 20), kSourcePixel);
    EXPECT_EQ(At(result, 17, 20), kSourcePixel);
    EXPECT_EQ(At(result, 20, 31), kCutOutPixel);
    EXPECT_EQ(At(result, 2, 2), kCutOutPixel);
}

TEST(StrokeReplay, AddThenEraseLeavesTransparent) {
    const QImage source = Filled(40, 40, kSourcePixel);
    QImage result = Filled(40, 40, kCutOutPixel);
    ReplayMaskBuffer buffer;
    const StrokeList strokes = {MakeDot(20, 20, 10, 0, kStrokeAdd),
                                MakeDot(20, 20, 10, 1, kStrokeErase)};
    ASSERT_TRUE(ReplayStrokes(result, source, strokes, buffer));
    EXPECT_EQ(At(result, 20, 20), 0u);
    EXPECT_EQ(At(result, 20, 31), kCutOutPixel);
}

TEST(StrokeReplay, ReplayingTwiceGivesTheSamePicture) {
    const QImage source = Patterned(64, 48);
    QImage result = Filled(64, 48, kCutOutPixel);
    ReplayMaskBuffer buffer;
    const StrokeList strokes = {MakeSegment(5, 5, 50, 30, 8, 0, kStrokeErase),
                                MakeSegment(20, 40, 20, 2, 12, 1, kStrokeAdd),
                                MakeDot(55, 10, 14, 2, kStrokeErase)};
    ASSERT_TRUE(ReplayStrokes(result, source, strokes, buffer));
    const QImage once = result.copy();
    ASSERT_TRUE(ReplayStrokes(result, source, strokes, buffer));
    EXPECT_EQ(result, once);
    // Something was changed at all, or the comparison proves nothing.
    EXPECT_NE(once, Filled(64, 48, kCutOutPixel));
}

TEST(StrokeReplay, SegmentHasRoundCapsOfTheBrushDiameter) {
    const QImage source = Patterned(60, 30);
    QImage result = Filled(60, 30, kCutOutPixel);
    ReplayMaskBuffer buffer;
    ASSERT_TRUE(
        ReplayStrokes(result, source, {MakeSegment(15, 15, 45, 15, 10, 0, kStrokeAdd)}, buffer));
    EXPECT_EQ(At(result, 30, 15), At(source, 30, 15));
    EXPECT_EQ(At(result, 30, 12), At(source, 30, 12));
    EXPECT_EQ(At(result, 12, 15), At(source, 12, 15));  // inside the start cap
    EXPECT_EQ(At(result, 48, 15), At(source, 48, 15));  // inside the end cap
    EXPECT_EQ(At(result, 30, 22), kCutOutPixel);
    EXPECT_EQ(At(result, 8, 15), kCutOutPixel);
    EXPECT_EQ(At(result, 52, 15), kCutOutPixel);
    // A cap is round: the box corner beyond the end stays.
    EXPECT_EQ(At(result, 49, 11), kCutOutPixel);
}

TEST(StrokeReplay, DisabledRecordsAreSkipped) {
    const QImage source = Filled(30, 30, kSourcePixel);
    QImage result = Filled(30, 30, kCutOutPixel);
    ReplayMaskBuffer buffer;
    StrokeRecord undone = MakeDot(15, 15, 10, 0, kStrokeErase);
    undone.enabled = 0;
    ASSERT_TRUE(ReplayStrokes(result, source, {undone}, buffer));
    EXPECT_EQ(result, Filled(30, 30, kCutOutPixel));
}

TEST(StrokeReplay, ReusedMaskStartsWhiteAgain) {
    const QImage source = Filled(50, 50, kSourcePixel);
    ReplayMaskBuffer buffer;
    QImage first = Filled(50, 50, kCutOutPixel);
    ASSERT_TRUE(ReplayStrokes(first, source, {MakeDot(25, 25, 40, 0, kStrokeErase)}, buffer));
    ASSERT_EQ(At(first, 25, 25), 0u);
    // A smaller replay elsewhere over the same memory: nothing of the first
    // mask may act again.
    QImage second = Filled(50, 50, kCutOutPixel);
    ASSERT_TRUE(ReplayStrokes(second, source, {MakeDot(40, 40, 6, 0, kStrokeAdd)}, buffer));
    EXPECT_EQ(At(second, 40, 40), kSourcePixel);
    EXPECT_EQ(At(second, 25, 25), kCutOutPixel);
    EXPECT_EQ(At(second, 38, 38), kSourcePixel);
    EXPECT_EQ(At(second, 30, 30), kCutOutPixel);
}

TEST(StrokeReplay, DifferentSizesStayInsideBothPictures) {
    // The cut-out is larger than the source in one direction and smaller in
    // the other; the strokes reach beyond both.
    const QImage source = Patterned(20, 40);
    QImage result = Filled(40, 20, kCutOutPixel);
    ReplayMaskBuffer buffer;
    const StrokeList strokes = {MakeSegment(-10, 10, 60, 10, 30, 0, kStrokeAdd),
                                MakeDot(35, 5, 20, 1, kStrokeErase)};
    ASSERT_TRUE(ReplayStrokes(result, source, strokes, buffer));
    EXPECT_EQ(At(result, 10, 10), At(source, 10, 10));
    EXPECT_EQ(At(result, 19, 19), At(source, 19, 19));
    // Outside the shared 20 x 20 part nothing changes, not even the erase.
    EXPECT_EQ(At(result, 30, 10), kCutOutPixel);
    EXPECT_EQ(At(result, 35, 5), kCutOutPixel);
}

TEST(StrokeReplay, RefusesUnusablePictures) {
    ReplayMaskBuffer buffer;
    QImage none;
    const QImage source = Filled(10, 10, kSourcePixel);
    EXPECT_FALSE(ReplayStrokes(none, source, {MakeDot(5, 5, 4, 0, kStrokeAdd)}, buffer));
    QImage result = Filled(10, 10, kCutOutPixel);
    EXPECT_FALSE(ReplayStrokes(result, QImage(), {MakeDot(5, 5, 4, 0, kStrokeAdd)}, buffer));
    QImage rgb(10, 10, QImage::Format_RGB32);
    EXPECT_FALSE(ReplayStrokes(rgb, source, {MakeDot(5, 5, 4, 0, kStrokeAdd)}, buffer));
}

TEST(StrokeBoundsTest, CoversThePenAndIsClipped) {
    EXPECT_TRUE(StrokeBounds({}, 100, 100).IsEmpty());
    // Dot of diameter 10 at (20, 30): reach 6 each way.
    EXPECT_EQ(StrokeBounds(StrokeList{MakeDot(20, 30, 10, 0, kStrokeAdd)}, 100, 100),
              (RectI{14, 24, 12, 12}));
    EXPECT_EQ(StrokeBounds(StrokeList{MakeSegment(90, 5, 120, 5, 4, 0, kStrokeAdd)}, 100, 100),
              (RectI{87, 2, 13, 6}));
    EXPECT_TRUE(StrokeBounds(StrokeList{MakeDot(-50, -50, 10, 0, kStrokeAdd)}, 100, 100).IsEmpty());
}

TEST(DrawStrokesTest, ViewSpaceScalesPositionsAndDiameter) {
    QImage target = imaging::newBitmap(40, 40);
    ASSERT_FALSE(target.isNull());
    {
        imaging::Surface surface(target);
        surface.setCompositingMode(imaging::CompositingMode::SourceCopy);
        // Image dot at (40, 40), diameter 20; at scale 0.5 it is a disc of
        // diameter 10 at (20, 20).
        DrawStrokes(surface, {MakeDot(40, 40, 20, 3, kStrokeAdd)}, 0xFF00FF00u, kAllGroups,
                    StrokeSpace::View(0.5f));
    }
    EXPECT_EQ(At(target, 20, 20), 0xFF00FF00u);
    EXPECT_EQ(At(target, 23, 20), 0xFF00FF00u);
    EXPECT_EQ(At(target, 27, 20), 0u);
    EXPECT_EQ(At(target, 20, 13), 0u);
}

TEST(DrawStrokesTest, GroupFilterPicksOneGroup) {
    QImage target = imaging::newBitmap(40, 10);
    ASSERT_FALSE(target.isNull());
    {
        imaging::Surface surface(target);
        const StrokeList strokes = {MakeDot(5, 5, 6, 0, kStrokeAdd),
                                    MakeDot(20, 5, 6, 1, kStrokeAdd),
                                    MakeDot(35, 5, 6, 2, kStrokeAdd)};
        DrawStrokes(surface, strokes, 0xFF0000FFu, 1, StrokeSpace::Image());
    }
    EXPECT_EQ(At(target, 5, 5), 0u);
    EXPECT_EQ(At(target, 20, 5), 0xFF0000FFu);
    EXPECT_EQ(At(target, 35, 5), 0u);
}

}  // namespace
}  // namespace quillora::canvas
