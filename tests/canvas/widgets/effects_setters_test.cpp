#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <cstdint>

#include "canvas/widgets/CDrawPanel.h"

namespace quillora::canvas {
namespace {

constexpr ColourRef kRedRef = 0x000000FFu;
constexpr ColourRef kGreenRef = 0x0000FF00u;

void Click(QWidget& w, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(w.mapToGlobal(at)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(w.mapToGlobal(at)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &release);
}

// A 200 x 150 photo with a cut-out keeping its middle, in a 200 x 150 canvas
// (fit scale 1).
class CanvasSettersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QImage photo(200, 150, QImage::Format_ARGB32);
        photo.fill(0xFF806040u);
        QImage cutOut(200, 150, QImage::Format_ARGB32);
        cutOut.fill(0x00000000u);
        for (int y = 50; y < 100; ++y) {
            for (int x = 50; x < 150; ++x) {
                cutOut.setPixel(x, y, 0xFF806040u);
            }
        }
        const QString photoPath = dir_.filePath("photo.png");
        const QString cutOutPath = dir_.filePath("cutout.png");
        ASSERT_TRUE(photo.save(photoPath, "PNG"));
        ASSERT_TRUE(cutOut.save(cutOutPath, "PNG"));
        panel_.resize(200, 150);
        ASSERT_TRUE(panel_.LoadSource(photoPath));
        ASSERT_TRUE(panel_.LoadResult(cutOutPath));
    }

    const DocumentBitmaps& Bitmaps() const { return panel_.Document().bitmaps; }

    QTemporaryDir dir_;
    CDrawPanel panel_;
};

TEST_F(CanvasSettersTest, ShadowAndBorderValuesReachTheCanvasAndSameColourTwiceIsFree) {
    panel_.SetMode(EditMode::ShadowBorder);
    EXPECT_TRUE(Bitmaps().shadowImage.isNull());
    panel_.SetShadowColour(kRedRef, false);
    ASSERT_FALSE(Bitmaps().shadowImage.isNull());
    const qint64 shadow = Bitmaps().shadowImage.cacheKey();
    panel_.SetShadowColour(kRedRef, false);
    EXPECT_EQ(Bitmaps().shadowImage.cacheKey(), shadow);
    panel_.SetShadowBlur(3);
    EXPECT_NE(Bitmaps().shadowImage.cacheKey(), shadow);

    panel_.SetBorderThickness(12);
    EXPECT_EQ(panel_.Document().border.thickness, 12);
    panel_.SetBorderColour(kGreenRef, false);
    EXPECT_FALSE(Bitmaps().borderImage.isNull());
    panel_.SetBorderColour(kColourRefNone, true);
    EXPECT_TRUE(Bitmaps().borderImage.isNull());
}

TEST_F(CanvasSettersTest, FilterValuesRecolourTheFilterPicture) {
    panel_.SetMode(EditMode::FilterToning);
    EXPECT_EQ(Bitmaps().filterImage, Bitmaps().viewResult);
    panel_.SetFilterPreset(2);  // 0x80 + 0x60 + 0x40 = 0x120: white
    EXPECT_EQ(Bitmaps().filterImage.pixel(100, 75), 0xFFFFFFFFu);
    panel_.SetFilterTransparency(0);
    EXPECT_EQ(qAlpha(Bitmaps().filterImage.pixel(100, 75)), 0);
}

TEST_F(CanvasSettersTest, BrushSizeIsClampedAndUsedByTheNextStroke) {
    panel_.SetShowResult(false);
    panel_.SetBrushEnabled(true);
    panel_.SetBrushSize(5);
    EXPECT_EQ(panel_.Document().brush.size, 10);
    panel_.SetBrushSize(40);
    panel_.SetBrushSoftness(70);
    panel_.SetBrushKind(1);
    Click(panel_, {100, 75});
    const StrokeList& records = panel_.Document().strokes.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].size, 40);
    EXPECT_EQ(records[0].kind, kStrokeErase);
    EXPECT_EQ(panel_.Document().strokes.Softness()[0], 70);
}

TEST_F(CanvasSettersTest, TintColourRecoloursTheTintMask) {
    panel_.SetTintColour(kGreenRef);
    EXPECT_EQ(Bitmaps().tintMask.pixel(100, 75) & 0x00FFFFFFu, 0x0000FF00u);
}

}  // namespace
}  // namespace quillora::canvas
