#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include <cstdint>

#include "canvas/document/CanvasDocument.h"
#include "canvas/effects/EffectLayers.h"
#include "canvas/effects/FilterChain.h"

namespace quillora::canvas {
namespace {

constexpr std::uint32_t kPhotoPixel = 0xFF203040u;
constexpr ColourRef kRedRef = 0x000000FFu;
constexpr ColourRef kBlueRef = 0x00FF0000u;

// An 80 x 60 photo whose cut-out keeps a 40 x 30 block in the middle, in a
// 160 x 120 client area (fit scale 2, view 160 x 120).
class EffectLayersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QImage photo(80, 60, QImage::Format_ARGB32);
        photo.fill(kPhotoPixel);
        QImage cutOut(80, 60, QImage::Format_ARGB32);
        cutOut.fill(0x00000000u);
        for (int y = 15; y < 45; ++y) {
            for (int x = 20; x < 60; ++x) {
                cutOut.setPixel(x, y, 0xFF808080u);
            }
        }
        const QString photoPath = dir_.filePath("photo.png");
        const QString cutOutPath = dir_.filePath("cutout.png");
        ASSERT_TRUE(photo.save(photoPath, "PNG"));
        ASSERT_TRUE(cutOut.save(cutOutPath, "PNG"));
        doc_.Resize(160, 120);
        ASSERT_TRUE(doc_.LoadSource(photoPath, 0.0f, true));
        ASSERT_TRUE(doc_.LoadResult(cutOutPath));
    }

    QTemporaryDir dir_;
    CanvasDocument doc_;
    EffectLayers layers_{doc_};
};

TEST_F(EffectLayersTest, InitialValuesLeaveTheCutOutUnchanged) {
    EXPECT_EQ(doc_.bitmaps.filterImage, doc_.bitmaps.viewResult);
    doc_.SetMode(EditMode::ShadowBorder);
    EXPECT_EQ(doc_.bitmaps.filterImage, doc_.bitmaps.viewResult);
    EXPECT_TRUE(doc_.bitmaps.shadowImage.isNull()) << "no shadow until a colour is chosen";
    EXPECT_TRUE(doc_.bitmaps.borderImage.isNull());
}

TEST_F(EffectLayersTest, SameShadowColourTwiceDoesNotRerunThePipeline) {
    EXPECT_TRUE(layers_.SetShadowColour(kRedRef, false));
    const QImage& shadow = doc_.bitmaps.shadowImage;
    ASSERT_FALSE(shadow.isNull());
    EXPECT_EQ(qRed(doc_.bitmaps.shadowSilhouette.pixel(80, 60)), 255);
    const qint64 built = shadow.cacheKey();
    EXPECT_FALSE(layers_.SetShadowColour(kRedRef, false));
    EXPECT_EQ(doc_.bitmaps.shadowImage.cacheKey(), built);
    EXPECT_TRUE(layers_.SetShadowColour(kBlueRef, false));
    EXPECT_NE(doc_.bitmaps.shadowImage.cacheKey(), built);
    EXPECT_EQ(qBlue(doc_.bitmaps.shadowSilhouette.pixel(80, 60)), 255);
}

TEST_F(EffectLayersTest, ChoosingNoneTurnsTheLayerOffOnceAndThenDoesNothing) {
    EXPECT_FALSE(layers_.SetBorderColour(kColourRefNone, true));
    layers_.SetBorderColour(kRedRef, false);
    ASSERT_FALSE(doc_.bitmaps.borderImage.isNull());
    EXPECT_TRUE(layers_.SetBorderColour(kColourRefNone, true));
    EXPECT_TRUE(doc_.bitmaps.borderImage.isNull());
    EXPECT_TRUE(doc_.bitmaps.borderSilhouette.isNull());
    EXPECT_FALSE(layers_.SetBorderColour(kColourRefNone, true));
}

TEST_F(EffectLayersTest, MovingTheShadowDoesNotBlurItAgainButABlurChangeDoes) {
    layers_.SetShadowColour(kRedRef, false);
    const qint64 built = doc_.bitmaps.shadowImage.cacheKey();
    EXPECT_TRUE(layers_.SetShadowDistance(40));
    EXPECT_TRUE(layers_.SetShadowAngle(90));
    EXPECT_TRUE(layers_.SetBorderThickness(7));
    EXPECT_EQ(doc_.bitmaps.shadowImage.cacheKey(), built);
    EXPECT_FALSE(layers_.SetShadowBlur(20)) << "20 is where the blur starts";
    EXPECT_TRUE(layers_.SetShadowBlur(5));
    EXPECT_NE(doc_.bitmaps.shadowImage.cacheKey(), built);
}

TEST_F(EffectLayersTest, ShadowTransparencyReachesThePicture) {
    layers_.SetShadowColour(kRedRef, false);
    layers_.SetShadowBlur(0);
    EXPECT_EQ(qAlpha(doc_.bitmaps.shadowImage.pixel(80, 60)), 128) << "initial 50 %";
    EXPECT_TRUE(layers_.SetShadowTransparency(100));
    EXPECT_EQ(qAlpha(doc_.bitmaps.shadowImage.pixel(80, 60)), 255);
    EXPECT_TRUE(layers_.SetShadowTransparency(0));
    ASSERT_FALSE(doc_.bitmaps.shadowImage.isNull());
    EXPECT_EQ(qAlpha(doc_.bitmaps.shadowImage.pixel(80, 60)), 0);
}

TEST_F(EffectLayersTest, FilterRerunsOnlyOnChangeAndSharpenChangesNothing) {
    EXPECT_FALSE(layers_.SetBrightness(0));
    const qint64 plain = doc_.bitmaps.filterImage.cacheKey();
    EXPECT_FALSE(layers_.SetSharpen(30));
    EXPECT_EQ(doc_.bitmaps.filterImage.cacheKey(), plain);
    EXPECT_TRUE(layers_.SetBrightness(20));
    const qint64 bright = doc_.bitmaps.filterImage.cacheKey();
    EXPECT_NE(bright, plain);
    EXPECT_EQ(qRed(doc_.bitmaps.filterImage.pixel(80, 60)), 0x80 + 20);
    EXPECT_FALSE(layers_.SetBrightness(20));
    EXPECT_EQ(doc_.bitmaps.filterImage.cacheKey(), bright);
}

TEST_F(EffectLayersTest, TheChainStartsFromThePlainCutOutEveryTime) {
    layers_.SetBrightness(20);
    layers_.SetContrast(-10);
    layers_.SetContrast(0);
    EXPECT_EQ(qRed(doc_.bitmaps.filterImage.pixel(80, 60)), 0x80 + 20)
        << "brightness is not applied twice";
}

TEST_F(EffectLayersTest, AStrokeReplayKeepsTheFilterOnScreen) {
    layers_.SetFilterPreset(1);
    layers_.SetBrightness(10);
    doc_.SetMode(EditMode::CutOut);
    doc_.strokes.Append(MakeDot(10, 10, 12, 0, kStrokeAdd), 10);
    doc_.strokes.CloseGroup();
    doc_.replayStrokes = true;
    doc_.SetMode(EditMode::FilterToning);
    EXPECT_EQ(qAlpha(doc_.bitmaps.viewResult.pixel(20, 20)), 255) << "the stroke was replayed";
    EXPECT_EQ(doc_.bitmaps.filterImage, FilteredCopy(doc_.bitmaps.viewResult, doc_.filter));
}

TEST_F(EffectLayersTest, EnteringAnEffectPageRebuildsTheActiveLayersFromTheReplayedCutOut) {
    layers_.SetShadowColour(kRedRef, false);
    layers_.SetBorderColour(kBlueRef, false);
    doc_.strokes.Append(MakeDot(10, 10, 12, 0, kStrokeAdd), 10);
    doc_.strokes.CloseGroup();
    doc_.replayStrokes = true;
    EXPECT_EQ(qAlpha(doc_.bitmaps.shadowSilhouette.pixel(20, 20)), 0);
    doc_.SetMode(EditMode::ShadowBorder);
    EXPECT_EQ(qAlpha(doc_.bitmaps.shadowSilhouette.pixel(20, 20)), 255);
    EXPECT_EQ(qAlpha(doc_.bitmaps.borderSilhouette.pixel(20, 20)), 255);
    EXPECT_FALSE(doc_.bitmaps.shadowImage.isNull());
    EXPECT_FALSE(doc_.bitmaps.borderImage.isNull());
}

TEST_F(EffectLayersTest, ResizeRebuildsEverythingAtTheNewViewSize) {
    layers_.SetShadowColour(kRedRef, false);
    layers_.SetFilterPreset(3);
    doc_.Resize(80, 60);  // fit scale 1
    EXPECT_EQ(doc_.bitmaps.shadowSilhouette.size(), QSize(80, 60));
    EXPECT_EQ(doc_.bitmaps.shadowImage.size(), QSize(80, 60));
    EXPECT_EQ(doc_.bitmaps.filterImage, FilteredCopy(doc_.bitmaps.viewResult, doc_.filter));
}

TEST_F(EffectLayersTest, TintChangeRecoloursTheTintMask) {
    EXPECT_EQ(doc_.bitmaps.tintMask.pixel(40, 30) & 0x00FFFFFFu, 0x00FF0000u);
    EXPECT_TRUE(layers_.SetTintColour(kBlueRef));
    EXPECT_EQ(doc_.bitmaps.tintMask.pixel(40, 30) & 0x00FFFFFFu, 0x000000FFu);
    EXPECT_EQ(qAlpha(doc_.bitmaps.tintMask.pixel(40, 30)), 255);
    EXPECT_EQ(qAlpha(doc_.bitmaps.tintMask.pixel(0, 0)), 0);
    EXPECT_FALSE(layers_.SetTintColour(kBlueRef));
}

TEST(EffectLayersEmptyTest, SettersWithoutACutOutStoreTheValuesOnly) {
    CanvasDocument doc;
    EffectLayers layers(doc);
    EXPECT_TRUE(layers.SetShadowColour(kRedRef, false));
    EXPECT_TRUE(layers.SetBrightness(5));
    EXPECT_TRUE(layers.SetTintColour(kBlueRef));
    EXPECT_TRUE(doc.bitmaps.shadowImage.isNull());
    EXPECT_TRUE(doc.bitmaps.filterImage.isNull());
    EXPECT_EQ(doc.brush.tintColour, 0x000000FFu);
}

}  // namespace
}  // namespace quillora::canvas
