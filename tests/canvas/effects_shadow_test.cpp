#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <cstdint>

#include "canvas/effects/ColourMatrixPresets.h"
#include "canvas/effects/ParameterRules.h"
#include "canvas/effects/ShadowBorder.h"
#include "canvas/effects/Silhouette.h"
#include "canvas/imaging/Effects.h"

namespace quillora::canvas {
namespace {

QImage Filled(int w, int h, std::uint32_t argb) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

bool AllPixels(const QImage& image, std::uint32_t argb) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != argb) {
                return false;
            }
        }
    }
    return true;
}

ShadowParams RedShadow() {
    ShadowParams shadow;
    SetShadowColour(shadow, 0x000000FFu, false);
    return shadow;
}

TEST(SilhouetteTest, RecolouredShapeKeepsAlphaAndLeavesTransparentPixels) {
    QImage cutOut(3, 1, QImage::Format_ARGB32);
    cutOut.setPixel(0, 0, 0xFF123456u);
    cutOut.setPixel(1, 0, 0x40ABCDEFu);
    cutOut.setPixel(2, 0, 0x00777777u);
    const QImage s = MakeSilhouette(cutOut, 0xFF00FF00u);
    EXPECT_EQ(s.pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(s.pixel(1, 0), 0x4000FF00u);
    EXPECT_EQ(s.pixel(2, 0), 0x00777777u);
    EXPECT_EQ(cutOut.pixel(0, 0), 0xFF123456u) << "the cut-out itself is untouched";
    EXPECT_TRUE(MakeSilhouette(QImage(), 0xFF000000u).isNull());
}

TEST(ShadowPlacementTest, DistanceIsTruncatedAtTheViewScale) {
    EXPECT_EQ(ShadowOffset(25, 0, 0.5f), (PointF{12.0f, 0.0f}));
    EXPECT_EQ(ShadowOffset(25, 0, 1.0f), (PointF{25.0f, 0.0f}));
    EXPECT_EQ(ShadowOffset(0, 45, 1.0f), (PointF{0.0f, 0.0f}));
    // 50 x 0.26 lands a rounding error short of 13 in float; it is still 13.
    EXPECT_EQ(ShadowOffset(50, 0, 0.26f).x, 13.0f);
}

TEST(ShadowPlacementTest, AngleTurnsClockwiseOnScreenAnd360IsZero) {
    EXPECT_EQ(ShadowOffset(20, 360, 1.0f), ShadowOffset(20, 0, 1.0f));
    const PointF down = ShadowOffset(20, 90, 1.0f);
    EXPECT_NEAR(down.x, 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(down.y, 20.0f);
    const PointF left = ShadowOffset(20, 180, 1.0f);
    EXPECT_FLOAT_EQ(left.x, -20.0f);
    EXPECT_NEAR(left.y, 0.0f, 1e-5f);
    const PointF up = ShadowOffset(20, 270, 1.0f);
    EXPECT_FLOAT_EQ(up.y, -20.0f);
    const PointF diagonal = ShadowOffset(20, 45, 1.0f);
    EXPECT_FLOAT_EQ(diagonal.x, static_cast<float>(20.0 * std::sqrt(0.5)));
    EXPECT_FLOAT_EQ(diagonal.y, diagonal.x);
}

TEST(ShadowPlacementTest, RectanglesFollowTheCutOutOrThePlacement) {
    ShadowParams shadow;
    SetShadowDistance(shadow, 10);
    const RectF atPlacement = ShadowRect(shadow, 1.0f, {30.0f, 40.0f, 200.0f, 100.0f});
    EXPECT_EQ(atPlacement, (RectF{40.0f, 40.0f, 200.0f, 100.0f}));

    BorderParams border;
    EXPECT_EQ(BorderRect(border, 1.0f, {0.0f, 0.0f, 50.0f, 40.0f}),
              (RectF{-2.0f, -2.0f, 54.0f, 44.0f}));
    SetBorderThickness(border, 10);
    EXPECT_EQ(BorderRect(border, 0.5f, {30.0f, 40.0f, 50.0f, 40.0f}),
              (RectF{25.0f, 35.0f, 60.0f, 50.0f}))
        << "the ring is as wide on screen as in the saved picture";
}

TEST(ShadowLayerTest, InitialColoursDrawNothingWhateverTheOtherValues) {
    ShadowParams shadow;
    BorderParams border;
    SetShadowDistance(shadow, 0);
    SetShadowTransparency(shadow, 100);
    SetBorderThickness(border, 30);
    const QImage layer = Filled(10, 10, 0xFF0000FFu);
    QImage target = Filled(20, 20, 0x00000000u);
    {
        imaging::Surface surface(target);
        EXPECT_FALSE(DrawShadowLayer(surface, layer, shadow, 1.0f, {5, 5, 10, 10}));
        EXPECT_FALSE(DrawBorderLayer(surface, layer, border, 1.0f, {5, 5, 10, 10}));
    }
    EXPECT_TRUE(AllPixels(target, 0x00000000u));
    const QImage cutOut = Filled(10, 10, 0xFF808080u);
    EXPECT_TRUE(BuildExportShadow(cutOut, shadow).isNull());
    EXPECT_TRUE(BuildExportBorder(cutOut, border).isNull());
}

TEST(ShadowLayerTest, ShadowLandsAtItsOffset) {
    ShadowParams shadow = RedShadow();
    SetShadowDistance(shadow, 4);
    SetShadowBlur(shadow, 0);
    SetShadowTransparency(shadow, 100);
    const QImage image =
        BuildShadowImage(MakeSilhouette(Filled(6, 6, 0xFF00FF00u), shadow.colour), shadow, 1.0f);
    ASSERT_FALSE(image.isNull());
    QImage target = Filled(20, 20, 0x00000000u);
    {
        imaging::Surface surface(target);
        ASSERT_TRUE(DrawShadowLayer(surface, image, shadow, 1.0f, {2, 2, 6, 6}));
    }
    EXPECT_EQ(target.pixel(6, 4), 0xFFFF0000u);
    EXPECT_EQ(target.pixel(11, 7), 0xFFFF0000u);
    EXPECT_EQ(target.pixel(5, 4), 0x00000000u);
    EXPECT_EQ(target.pixel(12, 4), 0x00000000u);
}

TEST(ShadowPipelineTest, TransparencyZeroStillBuildsAnInvisibleShadowAndHundredIsOpaque) {
    const QImage silhouette = MakeSilhouette(Filled(8, 8, 0xFF336699u), 0xFF000000u);
    ShadowParams shadow = RedShadow();
    SetShadowBlur(shadow, 0);
    SetShadowTransparency(shadow, 0);
    const QImage invisible = BuildShadowImage(silhouette, shadow, 1.0f);
    ASSERT_FALSE(invisible.isNull());
    EXPECT_TRUE(AllPixels(invisible, 0x00000000u));
    SetShadowTransparency(shadow, 100);
    EXPECT_EQ(BuildShadowImage(silhouette, shadow, 1.0f), silhouette);
    SetShadowTransparency(shadow, 50);
    EXPECT_TRUE(AllPixels(BuildShadowImage(silhouette, shadow, 1.0f), 0x80000000u))
        << "255 x 0.5 = 127.5, rounded up";
}

TEST(ShadowPipelineTest, BlurRadiusIsTheBlurTimesTheScaleWithTheRimFadingOut) {
    const QImage silhouette = Filled(40, 30, 0xFF000000u);
    ShadowParams shadow = RedShadow();
    SetShadowBlur(shadow, 8);
    const QImage onScreen = BuildShadowImage(silhouette, shadow, 0.5f);
    QImage expected = silhouette.copy();
    ASSERT_TRUE(imaging::gaussianBlur(expected, 4.0f, true));
    ASSERT_TRUE(imaging::colourMatrix(expected, AlphaFactorMatrix(0.5f)));
    EXPECT_EQ(onScreen, expected);
    EXPECT_LT(qAlpha(onScreen.pixel(0, 0)), qAlpha(onScreen.pixel(20, 15)))
        << "outside the picture counts as transparent";
}

TEST(ShadowPipelineTest, ExportUsesTheFullRadiusOnTheFullSizeCutOut) {
    const QImage cutOut = Filled(40, 30, 0xFF445566u);
    ShadowParams shadow = RedShadow();
    SetShadowBlur(shadow, 6);
    const QImage exported = BuildExportShadow(cutOut, shadow);
    QImage expected = MakeSilhouette(cutOut, 0xFFFF0000u);
    ASSERT_TRUE(imaging::gaussianBlur(expected, 6.0f, true));
    ASSERT_TRUE(imaging::colourMatrix(expected, AlphaFactorMatrix(0.5f)));
    EXPECT_EQ(exported, expected);
}

TEST(BorderLayerTest, ThicknessTwoAroundAFullSquareIsATwoPixelRing) {
    const QImage cutOut = Filled(10, 10, 0xFF00FF00u);
    BorderParams border;
    SetBorderColour(border, 0x000000FFu, false);
    const QImage borderImage = BuildBorderImage(MakeSilhouette(cutOut, border.colour), border);
    QImage target = Filled(14, 14, 0x00000000u);
    const RectF cutOutRect{2.0f, 2.0f, 10.0f, 10.0f};
    {
        imaging::Surface surface(target);
        ASSERT_TRUE(DrawBorderLayer(surface, borderImage, border, 1.0f, cutOutRect));
        surface.drawImage(QRectF(2, 2, 10, 10), cutOut);
    }
    for (int i = 0; i < 14; ++i) {
        for (int ring : {0, 1, 12, 13}) {
            EXPECT_EQ(target.pixel(ring, i), 0xFFFF0000u) << ring << ", " << i;
            EXPECT_EQ(target.pixel(i, ring), 0xFFFF0000u) << i << ", " << ring;
        }
    }
    EXPECT_EQ(target.pixel(2, 2), 0xFF00FF00u);
    EXPECT_EQ(target.pixel(11, 11), 0xFF00FF00u);
}

TEST(BorderLayerTest, OpacityFadesTheRing) {
    BorderParams border;
    SetBorderColour(border, 0x00FFFFFFu, false);
    SetBorderTransparency(border, 20);
    const QImage image = BuildBorderImage(Filled(4, 4, 0xFFFFFFFFu), border);
    EXPECT_TRUE(AllPixels(image, 0x33FFFFFFu)) << "255 x 0.2 = 51";
}

}  // namespace
}  // namespace quillora::canvas
