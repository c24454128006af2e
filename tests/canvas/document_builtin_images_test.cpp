#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>

#include "canvas/document/BuiltInImages.h"
#include "canvas/document/LoadingAnimation.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {
namespace {

constexpr std::uint32_t kGrey = 0xFFCCCCCCu;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

TEST(BuiltInImages, CheckerTileHasFourSquares) {
    const QImage tile = imaging::decodeResource(QString::fromLatin1(kCheckerTileResource));
    ASSERT_FALSE(tile.isNull());
    ASSERT_EQ(tile.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool greySquare = (x < 8) == (y < 8);
            ASSERT_EQ(static_cast<std::uint32_t>(tile.pixel(x, y)), greySquare ? kGrey : kWhite)
                << "at " << x << ", " << y;
        }
    }
}

TEST(BuiltInImages, LoadingAnimationLoopsThroughTwelveFrames) {
    LoadingAnimation animation;
    ASSERT_TRUE(animation.Load(QString::fromLatin1(kLoadingAnimationResource)));
    ASSERT_EQ(animation.FrameCount(), 12);
    EXPECT_EQ(animation.CurrentFrame().size(), QSize(128, 128));
    const QImage first = animation.CurrentFrame();
    animation.Advance();
    EXPECT_EQ(animation.FrameIndex(), 1);
    // The frames differ, or nothing would move on screen.
    EXPECT_NE(animation.CurrentFrame(), first);
    for (int i = 0; i < 11; ++i) {
        animation.Advance();
    }
    EXPECT_EQ(animation.FrameIndex(), 0);
    EXPECT_EQ(animation.CurrentFrame(), first);
    // Its corners are transparent so that it sits on the photo as a disc.
    EXPECT_EQ(qAlpha(first.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(first.pixel(64, 64)), 255);
}

TEST(BuiltInImages, MissingAnimationHasNoFrames) {
    LoadingAnimation animation;
    EXPECT_FALSE(animation.Load(QStringLiteral(":/canvas/no-such-animation.gif")));
    EXPECT_EQ(animation.FrameCount(), 0);
    EXPECT_TRUE(animation.CurrentFrame().isNull());
    animation.Advance();
    EXPECT_EQ(animation.FrameIndex(), 0);
}

}  // namespace
}  // namespace quillora::canvas
