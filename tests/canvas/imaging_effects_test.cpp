#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "canvas/imaging/CpuFeatures.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::imaging {
namespace {

// Runs each case with the AVX2 kernels and with the baseline kernels, so
// both builds are checked whatever machine the tests run on.
class ImagingEffects : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { setAvx2Allowed(GetParam()); }
    void TearDown() override { setAvx2Allowed(true); }
};

INSTANTIATE_TEST_SUITE_P(Kernels, ImagingEffects, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Avx2") : std::string("Baseline");
                         });

// Pixels of several widths so both the eight-pixel steps and the leftover
// pixels of a row are exercised.
QImage pixels(std::initializer_list<QRgb> values) {
    QImage image(int(values.size()), 1, QImage::Format_ARGB32);
    int x = 0;
    for (QRgb v : values) {
        image.setPixel(x++, 0, v);
    }
    return image;
}

QImage repeated(QRgb value, int width) {
    QImage image(width, 3, QImage::Format_ARGB32);
    image.fill(value);
    return image;
}

QImage varied(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    uint32_t state = 99;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            state = state * 1103515245u + 12345u;
            image.setPixel(x, y, state ^ (state >> 13));
        }
    }
    return image;
}

void expectEveryPixel(const QImage& image, QRgb expected) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
        }
    }
}

ColourMatrix withEntries(std::initializer_list<std::pair<int, float>> entries) {
    ColourMatrix m = identityMatrix();
    for (const auto& [index, value] : entries) {
        m[size_t(index)] = value;
    }
    return m;
}

// The matrix in double precision, rounded half up and clamped.
QRgb referencePixel(const ColourMatrix& m, QRgb p) {
    const double in[4] = {double(qRed(p)), double(qGreen(p)), double(qBlue(p)), double(qAlpha(p))};
    int out[4];
    for (int j = 0; j < 4; ++j) {
        double v = 255.0 * m[size_t(20 + j)];
        for (int i = 0; i < 4; ++i) {
            v += in[i] * m[size_t(i * 5 + j)];
        }
        out[j] = std::clamp(int(std::floor(v + 0.5)), 0, 255);
    }
    return qRgba(out[0], out[1], out[2], out[3]);
}

TEST_P(ImagingEffects, IdentityMatrixLeavesEveryBitAlone) {
    const QImage source = varied(37, 5);
    QImage picture = source;
    ASSERT_TRUE(colourMatrix(picture, identityMatrix()));
    EXPECT_EQ(picture, source);
}

TEST_P(ImagingEffects, FilterMatricesOnKnownPixels) {
    // Grey: 0.3 r + 0.59 g + 0.11 b in every channel, alpha times 0.8.
    const ColourMatrix grey = withEntries({{0, 0.3f},
                                           {1, 0.3f},
                                           {2, 0.3f},
                                           {5, 0.59f},
                                           {6, 0.59f},
                                           {7, 0.59f},
                                           {10, 0.11f},
                                           {11, 0.11f},
                                           {12, 0.11f},
                                           {18, 0.8f}});
    // 0.3 * 10 + 0.59 * 20 + 0.11 * 30 = 18.1; 200 * 0.8 = 160.
    QImage a = repeated(qRgba(10, 20, 30, 200), 11);
    ASSERT_TRUE(colourMatrix(a, grey));
    expectEveryPixel(a, qRgba(18, 18, 18, 160));

    // Red tone: red 0.8 plus 0.1 of full intensity; green 0.1, blue 0.2.
    const ColourMatrix redTone = withEntries({{0, 0.8f}, {6, 0.1f}, {12, 0.2f}, {20, 0.1f}});
    // 101 * 0.8 + 25.5 = 106.3; 50 * 0.1 = 5; 202 * 0.2 = 40.4.
    QImage b = repeated(qRgba(101, 50, 202, 255), 9);
    ASSERT_TRUE(colourMatrix(b, redTone));
    expectEveryPixel(b, qRgba(106, 5, 40, 255));

    // Every channel r + g + b, clamped: bright pixels turn pure white.
    const ColourMatrix sum = withEntries({{1, 1}, {2, 1}, {5, 1}, {7, 1}, {10, 1}, {11, 1}});
    QImage c = pixels({qRgba(100, 100, 60, 255), qRgba(10, 20, 30, 77), qRgba(0, 0, 0, 0)});
    ASSERT_TRUE(colourMatrix(c, sum));
    EXPECT_EQ(c.pixel(0, 0), qRgba(255, 255, 255, 255));
    EXPECT_EQ(c.pixel(1, 0), qRgba(60, 60, 60, 77));
    EXPECT_EQ(c.pixel(2, 0), 0u);
}

TEST_P(ImagingEffects, MatrixSwapsChannelsAndClampsBelowZero) {
    // Red and blue exchanged, green negated (clamps to 0), alpha kept.
    const ColourMatrix m = withEntries({{0, 0}, {2, 1}, {10, 1}, {12, 0}, {6, -1}});
    QImage picture = repeated(qRgba(1, 2, 3, 4), 13);
    ASSERT_TRUE(colourMatrix(picture, m));
    expectEveryPixel(picture, qRgba(3, 0, 1, 4));
}

TEST_P(ImagingEffects, LargeMatrixEntriesAreExactToo) {
    // Entries beyond what fits the fast fixed-point form.
    const ColourMatrix m = withEntries({{0, 5.0f}, {20, -4.0f}});
    QImage picture = pixels({qRgba(100, 1, 2, 3), qRgba(220, 1, 2, 3), qRgba(255, 1, 2, 3)});
    ASSERT_TRUE(colourMatrix(picture, m));
    EXPECT_EQ(qRed(picture.pixel(0, 0)), 0);    // 500 - 1020
    EXPECT_EQ(qRed(picture.pixel(1, 0)), 80);   // 1100 - 1020
    EXPECT_EQ(qRed(picture.pixel(2, 0)), 255);  // 1275 - 1020
    EXPECT_EQ(picture.pixel(1, 0) & 0xFF00FFFFu, qRgba(0, 1, 2, 3) & 0xFF00FFFFu);
}

TEST_P(ImagingEffects, MatrixMatchesPlainArithmeticOnVariedPictures) {
    // Mixed matrices, small and large pictures (the large one is split over
    // threads), odd widths for the leftover pixels of each row.
    const ColourMatrix matrices[] = {
        withEntries({{0, 0.9f}, {6, 1.1f}, {12, 0.9f}, {18, 0.5f}}),
        withEntries({{1, -0.7f}, {3, 0.25f}, {5, 1.9f}, {14, -1.3f}, {21, 0.4f}, {23, -0.2f}}),
        withEntries({{0, 3.9f}, {7, -3.9f}, {16, 2.5f}, {22, 1.5f}}),
    };
    for (const QImage& source : {varied(37, 5), varied(1021, 613)}) {
        for (const ColourMatrix& m : matrices) {
            QImage picture = source;
            ASSERT_TRUE(colourMatrix(picture, m));
            int worst = 0;
            for (int y = 0; y < source.height(); ++y) {
                for (int x = 0; x < source.width(); ++x) {
                    const QRgb got = picture.pixel(x, y);
                    const QRgb want = referencePixel(m, source.pixel(x, y));
                    worst = std::max({worst, std::abs(qRed(got) - qRed(want)),
                                      std::abs(qGreen(got) - qGreen(want)),
                                      std::abs(qBlue(got) - qBlue(want)),
                                      std::abs(qAlpha(got) - qAlpha(want))});
                }
            }
            // Fixed-point coefficients may move a result that lies within a
            // few thousandths of a half level by one.
            EXPECT_LE(worst, 1);
        }
    }
}

TEST_P(ImagingEffects, UnusableInputFailsAndChangesNothing) {
    QImage null;
    EXPECT_FALSE(colourMatrix(null, identityMatrix()));
    EXPECT_FALSE(brightnessContrast(null, 10, 10));
    EXPECT_FALSE(hueSaturationLightness(null, 0, 10, 0));

    QImage rgb(4, 4, QImage::Format_RGB32);
    rgb.fill(0xFF203040u);
    EXPECT_FALSE(colourMatrix(rgb, withEntries({{0, 0.5f}})));
    EXPECT_FALSE(brightnessContrast(rgb, 10, 10));
    EXPECT_EQ(rgb.pixel(0, 0), 0xFF203040u);

    const QImage source = varied(9, 2);
    QImage picture = source;
    EXPECT_FALSE(colourMatrix(picture, withEntries({{0, std::nanf("")}})));
    EXPECT_FALSE(colourMatrix(picture, withEntries({{20, INFINITY}})));
    EXPECT_FALSE(brightnessContrast(picture, 256, 0));
    EXPECT_FALSE(brightnessContrast(picture, 0, -101));
    EXPECT_FALSE(hueSaturationLightness(picture, 181, 0, 0));
    EXPECT_FALSE(hueSaturationLightness(picture, 0, -101, 0));
    EXPECT_FALSE(hueSaturationLightness(picture, 0, 0, 101));
    EXPECT_EQ(picture, source);
}

TEST_P(ImagingEffects, ZeroLevelsLeaveEveryBitAlone) {
    const QImage source = varied(23, 4);
    QImage picture = source;
    ASSERT_TRUE(brightnessContrast(picture, 0, 0));
    ASSERT_TRUE(hueSaturationLightness(picture, 0, 0, 0));
    EXPECT_EQ(picture, source);
}

TEST_P(ImagingEffects, BrightnessShiftsColourAndKeepsAlpha) {
    QImage picture =
        pixels({qRgba(10, 240, 100, 7), qRgba(0, 0, 0, 0), qRgba(255, 1, 30, 255),
                qRgba(10, 240, 100, 7), qRgba(10, 240, 100, 7), qRgba(10, 240, 100, 7),
                qRgba(10, 240, 100, 7), qRgba(10, 240, 100, 7), qRgba(10, 240, 100, 7)});
    QImage darker = picture;
    ASSERT_TRUE(brightnessContrast(picture, 30, 0));
    EXPECT_EQ(picture.pixel(0, 0), qRgba(40, 255, 130, 7));
    EXPECT_EQ(picture.pixel(1, 0), qRgba(30, 30, 30, 0));
    EXPECT_EQ(picture.pixel(2, 0), qRgba(255, 31, 60, 255));
    EXPECT_EQ(picture.pixel(8, 0), qRgba(40, 255, 130, 7));

    ASSERT_TRUE(brightnessContrast(darker, -50, 0));
    EXPECT_EQ(darker.pixel(0, 0), qRgba(0, 190, 50, 7));
    EXPECT_EQ(darker.pixel(2, 0), qRgba(205, 0, 0, 255));

    QImage white = varied(19, 3);
    ASSERT_TRUE(brightnessContrast(white, 255, 0));
    QImage black = varied(19, 3);
    ASSERT_TRUE(brightnessContrast(black, -255, 0));
    const QImage source = varied(19, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 19; ++x) {
            const uint32_t alpha = source.pixel(x, y) & 0xFF000000u;
            EXPECT_EQ(white.pixel(x, y), alpha | 0x00FFFFFFu);
            EXPECT_EQ(black.pixel(x, y), alpha);
        }
    }
}

TEST_P(ImagingEffects, ContrastScalesAboutMidGrey) {
    // Contrast -50 halves the distance from 127.5: 200 -> 163.75, 0 -> 63.75.
    QImage lower = repeated(qRgba(200, 0, 127, 90), 10);
    ASSERT_TRUE(brightnessContrast(lower, 0, -50));
    expectEveryPixel(lower, qRgba(164, 64, 127, 90));

    // Contrast 50 doubles it: 101 -> 74.5 -> 75, 200 -> 272.5 -> 255.
    QImage higher = repeated(qRgba(101, 200, 10, 255), 10);
    ASSERT_TRUE(brightnessContrast(higher, 0, 50));
    expectEveryPixel(higher, qRgba(75, 255, 0, 255));

    // -100 flattens to mid-grey; 100 is a threshold at mid-grey.
    QImage flat = varied(17, 2);
    ASSERT_TRUE(brightnessContrast(flat, 0, -100));
    QImage threshold = pixels({qRgba(127, 128, 0, 1), qRgba(255, 60, 200, 2)});
    ASSERT_TRUE(brightnessContrast(threshold, 0, 100));
    EXPECT_EQ(threshold.pixel(0, 0), qRgba(0, 255, 0, 1));
    EXPECT_EQ(threshold.pixel(1, 0), qRgba(255, 0, 255, 2));
    for (int x = 0; x < 17; ++x) {
        EXPECT_EQ(flat.pixel(x, 1) & 0x00FFFFFFu, 0x00808080u);
    }

    // Brightness applies before contrast: 100 + 50 = 150 -> 127.5 + 45 = 172.5.
    QImage both = repeated(qRgba(100, 100, 100, 255), 9);
    ASSERT_TRUE(brightnessContrast(both, 50, 50));
    expectEveryPixel(both, qRgba(173, 173, 173, 255));
}

TEST_P(ImagingEffects, SaturationMovesAwayFromLuminance) {
    // Luminance of (200, 100, 50): 0.299 * 200 + 0.587 * 100 + 0.114 * 50 = 124.2.
    QImage grey = repeated(qRgba(200, 100, 50, 201), 12);
    ASSERT_TRUE(hueSaturationLightness(grey, 0, -100, 0));
    expectEveryPixel(grey, qRgba(124, 124, 124, 201));

    // 124.2 + 1.5 * (c - 124.2): 237.9, 87.9, 12.9.
    QImage vivid = repeated(qRgba(200, 100, 50, 255), 12);
    ASSERT_TRUE(hueSaturationLightness(vivid, 0, 50, 0));
    expectEveryPixel(vivid, qRgba(238, 88, 13, 255));

    // Greys carry no colour to change.
    QImage plain = repeated(qRgba(90, 90, 90, 255), 12);
    ASSERT_TRUE(hueSaturationLightness(plain, 0, 80, 0));
    expectEveryPixel(plain, qRgba(90, 90, 90, 255));
}

TEST_P(ImagingEffects, HueRotatesAroundTheColourWheel) {
    QImage picture = pixels({qRgba(255, 0, 0, 255), qRgba(0, 255, 0, 255), qRgba(0, 0, 255, 9),
                             qRgba(70, 70, 70, 255)});
    QImage back = picture;
    ASSERT_TRUE(hueSaturationLightness(picture, 120, 0, 0));
    EXPECT_EQ(picture.pixel(0, 0), qRgba(0, 255, 0, 255));
    EXPECT_EQ(picture.pixel(1, 0), qRgba(0, 0, 255, 255));
    EXPECT_EQ(picture.pixel(2, 0), qRgba(255, 0, 0, 9));
    EXPECT_EQ(picture.pixel(3, 0), qRgba(70, 70, 70, 255));

    ASSERT_TRUE(hueSaturationLightness(back, -120, 0, 0));
    EXPECT_EQ(back.pixel(0, 0), qRgba(0, 0, 255, 255));

    // Half way round, red becomes an even mix of green and blue: 2/3 of 255.
    QImage opposite = pixels({qRgba(255, 0, 0, 255)});
    ASSERT_TRUE(hueSaturationLightness(opposite, 180, 0, 0));
    EXPECT_EQ(opposite.pixel(0, 0), qRgba(0, 170, 170, 255));
}

TEST_P(ImagingEffects, LightnessBlendsTowardsBlackOrWhite) {
    QImage lighter = repeated(qRgba(101, 1, 201, 33), 10);
    ASSERT_TRUE(hueSaturationLightness(lighter, 0, 0, 50));
    // c / 2 + 127.5: 178, 128, 228.
    expectEveryPixel(lighter, qRgba(178, 128, 228, 33));

    QImage darker = repeated(qRgba(101, 1, 201, 33), 10);
    ASSERT_TRUE(hueSaturationLightness(darker, 0, 0, -25));
    // 0.75 c: 75.75, 0.75, 150.75.
    expectEveryPixel(darker, qRgba(76, 1, 151, 33));

    QImage white = varied(15, 2);
    const QImage source = white;
    QImage black = white;
    ASSERT_TRUE(hueSaturationLightness(white, 0, 0, 100));
    ASSERT_TRUE(hueSaturationLightness(black, 30, 40, -100));
    for (int x = 0; x < 15; ++x) {
        const uint32_t alpha = source.pixel(x, 1) & 0xFF000000u;
        EXPECT_EQ(white.pixel(x, 1), alpha | 0x00FFFFFFu);
        EXPECT_EQ(black.pixel(x, 1), alpha);
    }
}

}  // namespace
}  // namespace quillora::imaging
