#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>

#include "canvas/imaging/Imaging.h"

namespace quillora::imaging {
namespace {

QImage filled(int w, int h, uint32_t argb) {
    QImage image = newBitmap(w, h);
    image.fill(argb);
    return image;
}

TEST(ImagingSurface, ClearSetsEveryPixelIncludingAlpha) {
    QImage target = filled(5, 4, 0xFFFFFFFFu);
    {
        Surface surface(target);
        ASSERT_TRUE(surface.isValid());
        surface.clear(0x80FF0000u);
    }
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(target.pixel(x, y), 0x80FF0000u);
        }
    }
    // Clearing ignores the compositing mode: transparent replaces opaque.
    {
        Surface surface(target);
        surface.setCompositingMode(CompositingMode::SourceOver);
        surface.clear(0x00000000u);
    }
    EXPECT_EQ(target.pixel(2, 2), 0u);
}

TEST(ImagingSurface, SourceCopyReplacesAndSourceOverBlends) {
    QImage target = filled(4, 1, 0xFFFFFFFFu);
    {
        Surface surface(target);
        surface.setCompositingMode(CompositingMode::SourceCopy);
        surface.fillRectangle(0x00FFFFFFu, QRectF(0, 0, 2, 1));
        surface.setCompositingMode(CompositingMode::SourceOver);
        surface.fillRectangle(0x80FF0000u, QRectF(2, 0, 2, 1));
    }
    EXPECT_EQ(qAlpha(target.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(target.pixel(1, 0)), 0);
    // 50 % red over white: red stays full, green and blue halve.
    const QRgb blended = target.pixel(3, 0);
    EXPECT_EQ(qAlpha(blended), 255);
    EXPECT_EQ(qRed(blended), 255);
    EXPECT_NEAR(qGreen(blended), 127, 1);
    EXPECT_NEAR(qBlue(blended), 127, 1);
}

TEST(ImagingSurface, DrawImageStretchesTheSourceRectangle) {
    QImage source = newBitmap(4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            source.setPixel(x, y, 0xFF000000u | uint32_t(x * 60) << 16 | uint32_t(y * 60));
        }
    }
    QImage target = newBitmap(4, 4);
    {
        Surface surface(target);
        surface.setSmoothScaling(false);
        ASSERT_TRUE(surface.drawImage(QRectF(0, 0, 4, 4), source, QRect(2, 1, 2, 2)));
    }
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(target.pixel(x, y), source.pixel(2 + x / 2, 1 + y / 2)) << x << "," << y;
        }
    }
    Surface surface(target);
    EXPECT_FALSE(surface.drawImage(QRectF(0, 0, 4, 4), QImage(), QRect(0, 0, 1, 1)));
    EXPECT_FALSE(surface.drawImage(QRectF(0, 0, 4, 4), source, QRect(3, 3, 2, 2)));
    EXPECT_FALSE(surface.drawImage(QRectF(0, 0, 0, 4), source, QRect(0, 0, 1, 1)));
}

TEST(ImagingSurface, DrawImageAppliesTheColourMatrix) {
    QImage source = filled(2, 2, 0xFF102030u);
    // Swap red and blue, halve alpha.
    ColourMatrix m{};
    m[0 * 5 + 2] = 1.0f;
    m[1 * 5 + 1] = 1.0f;
    m[2 * 5 + 0] = 1.0f;
    m[3 * 5 + 3] = 0.5f;
    QImage target = newBitmap(2, 2);
    {
        Surface surface(target);
        surface.setCompositingMode(CompositingMode::SourceCopy);
        ASSERT_TRUE(surface.drawImage(QRectF(0, 0, 2, 2), source, source.rect(), m));
    }
    EXPECT_EQ(target.pixel(1, 1), 0x80302010u);
    EXPECT_EQ(source.pixel(1, 1), 0xFF102030u);
}

TEST(ImagingSurface, RoundCappedLineReachesHalfItsWidthPastTheEnds) {
    QImage target = newBitmap(20, 11);
    {
        Surface surface(target);
        surface.drawLine(Pen{0xFF000000u, 4.0f, DashStyle::Solid}, QPointF(6, 5.5),
                         QPointF(12, 5.5));
    }
    EXPECT_EQ(qAlpha(target.pixel(9, 5)), 255);
    EXPECT_EQ(qAlpha(target.pixel(4, 5)), 255);   // inside the start cap
    EXPECT_EQ(qAlpha(target.pixel(13, 5)), 255);  // inside the end cap
    EXPECT_EQ(qAlpha(target.pixel(2, 5)), 0);
    EXPECT_EQ(qAlpha(target.pixel(16, 5)), 0);
    EXPECT_EQ(qAlpha(target.pixel(9, 1)), 0);
}

TEST(ImagingSurface, DottedLineLeavesGaps) {
    QImage target = newBitmap(40, 3);
    {
        Surface surface(target);
        surface.drawLine(Pen{0xFF0000FFu, 1.0f, DashStyle::Dotted}, QPointF(0, 1.5),
                         QPointF(40, 1.5));
    }
    int painted = 0;
    for (int x = 0; x < 40; ++x) {
        painted += qAlpha(target.pixel(x, 1)) > 0 ? 1 : 0;
    }
    EXPECT_GT(painted, 5);
    EXPECT_LT(painted, 35);
}

TEST(ImagingSurface, ShapesStayInsideTheirRectangles) {
    QImage target = newBitmap(12, 12);
    {
        Surface surface(target);
        surface.fillEllipse(0xFF00FF00u, QRectF(2, 2, 8, 8));
        surface.drawRectangle(Pen{0xFFFF0000u, 1.0f, DashStyle::Solid}, QRectF(0.5, 0.5, 11, 11));
    }
    EXPECT_EQ(target.pixel(6, 6), 0xFF00FF00u);
    EXPECT_EQ(qAlpha(target.pixel(2, 2)), 0);  // ellipse corner left empty
    EXPECT_EQ(target.pixel(0, 6), 0xFFFF0000u);
    EXPECT_EQ(target.pixel(11, 3), 0xFFFF0000u);
    EXPECT_EQ(qAlpha(target.pixel(1, 6)), 0);
}

TEST(ImagingSurface, TilesRepeatFromTheDestinationCorner) {
    QImage tile = newBitmap(2, 2);
    tile.setPixel(0, 0, 0xFFCCCCCCu);
    tile.setPixel(1, 0, 0xFFFFFFFFu);
    tile.setPixel(0, 1, 0xFFFFFFFFu);
    tile.setPixel(1, 1, 0xFFCCCCCCu);
    QImage target = newBitmap(7, 7);
    {
        Surface surface(target);
        ASSERT_TRUE(surface.drawTiled(QRectF(1, 1, 5, 5), tile));
    }
    EXPECT_EQ(qAlpha(target.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(target.pixel(6, 6)), 0);
    for (int y = 1; y < 6; ++y) {
        for (int x = 1; x < 6; ++x) {
            EXPECT_EQ(target.pixel(x, y), tile.pixel((x - 1) % 2, (y - 1) % 2)) << x << "," << y;
        }
    }
}

TEST(ImagingSurface, WrongTargetsDrawNothingAndDoNotCrash) {
    QImage null;
    Surface onNull(null);
    EXPECT_FALSE(onNull.isValid());
    onNull.clear(0xFFFFFFFFu);
    onNull.fillRectangle(0xFFFFFFFFu, QRectF(0, 0, 1, 1));
    onNull.drawLine(Pen{}, QPointF(0, 0), QPointF(1, 1));
    EXPECT_FALSE(onNull.drawImage(QRectF(0, 0, 1, 1), newBitmap(1, 1)));

    QImage rgb(2, 2, QImage::Format_RGB32);
    rgb.fill(0xFF123456u);
    {
        Surface onRgb(rgb);
        EXPECT_FALSE(onRgb.isValid());
        onRgb.clear(0u);
    }
    EXPECT_EQ(rgb.pixel(0, 0), 0xFF123456u);
}

}  // namespace
}  // namespace quillora::imaging
