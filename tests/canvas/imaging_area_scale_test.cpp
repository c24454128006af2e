#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <cstdint>
#include <random>

#include "canvas/imaging/AreaScale.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::imaging {
namespace {

// The reference: every output pixel sampled on a grid of steps x steps
// points spread evenly over its area, each point taking the source pixel it
// falls in; colours weighed by alpha. Needs no overlap arithmetic at all, and
// is exact when steps divides the output pixel into parts that each lie in
// one source pixel.
QRgb Reference(const QImage& source, int width, int height, int x, int y, int kSteps = 64) {
    const double fx = static_cast<double>(source.width()) / width;
    const double fy = static_cast<double>(source.height()) / height;
    double a = 0, r = 0, g = 0, b = 0;
    for (int j = 0; j < kSteps; ++j) {
        const int sy = static_cast<int>((y + (j + 0.5) / kSteps) * fy);
        for (int i = 0; i < kSteps; ++i) {
            const int sx = static_cast<int>((x + (i + 0.5) / kSteps) * fx);
            const QRgb p = source.pixel(sx, sy);
            a += qAlpha(p);
            r += qAlpha(p) * qRed(p);
            g += qAlpha(p) * qGreen(p);
            b += qAlpha(p) * qBlue(p);
        }
    }
    const int alpha = static_cast<int>(std::lround(a / (kSteps * kSteps)));
    if (alpha == 0) {
        return 0;
    }
    return qRgba(static_cast<int>(std::lround(r / a)), static_cast<int>(std::lround(g / a)),
                 static_cast<int>(std::lround(b / a)), alpha);
}

QImage Noise(int w, int h, unsigned start) {
    QImage image(w, h, QImage::Format_ARGB32);
    std::mt19937 rng(start);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, static_cast<QRgb>(rng()));
        }
    }
    return image;
}

// The worst channel difference between the result and the reference.
int WorstDifference(const QImage& source, const QImage& result, int step, int samples = 64) {
    int worst = 0;
    for (int y = 0; y < result.height(); y += step) {
        for (int x = 0; x < result.width(); x += step) {
            const QRgb want = Reference(source, result.width(), result.height(), x, y, samples);
            const QRgb got = result.pixel(x, y);
            worst = std::max(
                {worst, std::abs(qAlpha(want) - qAlpha(got)), std::abs(qRed(want) - qRed(got)),
                 std::abs(qGreen(want) - qGreen(got)), std::abs(qBlue(want) - qBlue(got))});
        }
    }
    return worst;
}

TEST(AreaDownscale, TwoByTwoBlocksAverageAlphaAndWeighColourByIt) {
    QImage source(4, 2, QImage::Format_ARGB32);
    // Left block: opaque red 200, half-transparent red 100 and two clear
    // pixels whose colour must not count.
    source.setPixel(0, 0, qRgba(200, 0, 0, 255));
    source.setPixel(1, 0, qRgba(100, 0, 0, 128));
    source.setPixel(0, 1, qRgba(0, 255, 255, 0));
    source.setPixel(1, 1, qRgba(0, 255, 255, 0));
    // Right block: four opaque greys.
    source.setPixel(2, 0, qRgba(10, 10, 10, 255));
    source.setPixel(3, 0, qRgba(20, 20, 20, 255));
    source.setPixel(2, 1, qRgba(30, 30, 30, 255));
    source.setPixel(3, 1, qRgba(41, 41, 41, 255));
    const QImage out = areaDownscale(source, 2, 1);
    ASSERT_EQ(out.size(), QSize(2, 1));
    // alpha (255 + 128) / 4 = 95.75; red (255*200 + 128*100) / 383 = 166.6.
    EXPECT_EQ(out.pixel(0, 0), qRgba(167, 0, 0, 96));
    // (10 + 20 + 30 + 41) / 4 = 25.25.
    EXPECT_EQ(out.pixel(1, 0), qRgba(25, 25, 25, 255));
}

TEST(AreaDownscale, FractionalFactorsMatchTheSampledAverage) {
    for (const QSize& to : {QSize(2, 1), QSize(7, 3), QSize(13, 11), QSize(1, 1)}) {
        const QImage source = Noise(17, 13, 7);
        const QImage out = areaDownscale(source, to.width(), to.height());
        ASSERT_EQ(out.size(), to);
        EXPECT_LE(WorstDifference(source, out, 1), 2) << to.width() << "x" << to.height();
    }
}

TEST(AreaDownscale, LargePictureInBandsMatchesTheSampledAverage) {
    // Above the size that is split over the threads; the factor 50 / 13 is
    // not whole, so the bands cut through partly covered rows. 50 samples a
    // side make the reference exact here.
    const QImage source = Noise(1000, 750, 11);
    const QImage out = areaDownscale(source, 260, 195);
    ASSERT_EQ(out.size(), QSize(260, 195));
    EXPECT_LE(WorstDifference(source, out, 7, 50), 1);
}

TEST(AreaDownscale, UniformPictureKeepsItsPixelExactly) {
    QImage source(37, 23, QImage::Format_ARGB32);
    source.fill(0x80112233u);
    const QImage out = areaDownscale(source, 10, 7);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            ASSERT_EQ(out.pixel(x, y), 0x80112233u) << x << "," << y;
        }
    }
    source.fill(0u);
    EXPECT_EQ(areaDownscale(source, 3, 3).pixel(1, 1), 0u);
}

TEST(AreaDownscale, RefusesGrowthWrongFormatsAndEmptySizes) {
    const QImage source = Noise(8, 8, 3);
    EXPECT_TRUE(areaDownscale(source, 9, 4).isNull());
    EXPECT_TRUE(areaDownscale(source, 4, 9).isNull());
    EXPECT_TRUE(areaDownscale(source, 0, 4).isNull());
    EXPECT_TRUE(areaDownscale(QImage(), 1, 1).isNull());
    EXPECT_TRUE(
        areaDownscale(source.convertToFormat(QImage::Format_ARGB32_Premultiplied), 4, 4).isNull());
    // The same size is a plain copy.
    EXPECT_EQ(areaDownscale(source, 8, 8), source);
}

TEST(AreaDownscale, ScaledCopyShrinksOtherFormatsToo) {
    QImage rgb(40, 30, QImage::Format_RGB32);
    rgb.fill(0xFF336699u);
    const QImage out = scaledCopy(rgb, 13, 9);
    ASSERT_EQ(out.format(), QImage::Format_ARGB32);
    EXPECT_EQ(out.pixel(6, 4), 0xFF336699u);
}

}  // namespace
}  // namespace quillora::imaging
