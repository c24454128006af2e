#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "canvas/imaging/CpuFeatures.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::imaging {
namespace {

// A plain two-pass Gaussian on premultiplied colour in double precision:
// standard deviation radius / 2, weights out to four deviations.
QImage referenceBlur(const QImage& in, double radius, bool expandEdge) {
    const int w = in.width();
    const int h = in.height();
    const double sigma = radius / 2.0;
    const int reach = std::max(1, int(std::ceil(4.0 * sigma)));
    std::vector<double> weights(size_t(2 * reach + 1));
    double total = 0.0;
    for (int k = -reach; k <= reach; ++k) {
        weights[size_t(k + reach)] = std::exp(-double(k * k) / (2.0 * sigma * sigma));
        total += weights[size_t(k + reach)];
    }
    for (double& weight : weights) {
        weight /= total;
    }
    // Channels in the order blue, green, red, alpha; colour times alpha / 255.
    std::vector<double> a(size_t(w) * h * 4), b(a.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = in.pixel(x, y);
            double* px = &a[(size_t(y) * w + x) * 4];
            const double alpha = qAlpha(p);
            px[0] = qBlue(p) * alpha / 255.0;
            px[1] = qGreen(p) * alpha / 255.0;
            px[2] = qRed(p) * alpha / 255.0;
            px[3] = alpha;
        }
    }
    const auto pass = [&](const std::vector<double>& src, std::vector<double>& dst, bool alongX) {
        const int length = alongX ? w : h;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                double sum[4] = {};
                for (int k = -reach; k <= reach; ++k) {
                    int at = (alongX ? x : y) + k;
                    if (at < 0 || at >= length) {
                        if (expandEdge) {
                            continue;
                        }
                        at = std::clamp(at, 0, length - 1);
                    }
                    const int sx = alongX ? at : x;
                    const int sy = alongX ? y : at;
                    for (int c = 0; c < 4; ++c) {
                        sum[c] += weights[size_t(k + reach)] * src[(size_t(sy) * w + sx) * 4 + c];
                    }
                }
                for (int c = 0; c < 4; ++c) {
                    dst[(size_t(y) * w + x) * 4 + c] = sum[c];
                }
            }
        }
    };
    pass(a, b, true);
    pass(b, a, false);
    QImage out(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double* px = &a[(size_t(y) * w + x) * 4];
            const int alpha = int(std::lround(px[3]));
            if (alpha == 0) {
                out.setPixel(x, y, 0u);
                continue;
            }
            const auto level = [&](double v) {
                return std::clamp(int(std::lround(v * 255.0 / px[3])), 0, 255);
            };
            out.setPixel(x, y, qRgba(level(px[2]), level(px[1]), level(px[0]), alpha));
        }
    }
    return out;
}

// Largest difference in alpha and in colour times alpha (0..255 scale): the
// visible difference, which stays meaningful where alpha is small.
int largestDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            worst = std::max(worst, std::abs(qAlpha(p) - qAlpha(q)));
            const int channels[3][2] = {
                {qRed(p), qRed(q)}, {qGreen(p), qGreen(q)}, {qBlue(p), qBlue(q)}};
            for (const auto& c : channels) {
                const double d = c[0] * qAlpha(p) / 255.0 - c[1] * qAlpha(q) / 255.0;
                worst = std::max(worst, int(std::lround(std::fabs(d))));
            }
        }
    }
    return worst;
}

// Deterministic content: blocks of colour with varied alpha, fully
// transparent blocks with hidden colour, and noise.
QImage testPicture(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    uint32_t state = 12345;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            state = state * 1664525u + 1013904223u;
            const int block = (x / 9 + 3 * (y / 7)) % 5;
            const int noise = int(state >> 24) % 40;
            const int alphas[5] = {255, 0, 128, 255, 30};
            image.setPixel(x, y,
                           qRgba((block * 60 + noise) % 256, (x * 5) % 256, (y * 3 + noise) % 256,
                                 alphas[block]));
        }
    }
    return image;
}

// Each case runs with the AVX2 kernels and with the baseline kernels.
class ImagingBlur : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { setAvx2Allowed(GetParam()); }
    void TearDown() override { setAvx2Allowed(true); }
};

INSTANTIATE_TEST_SUITE_P(Kernels, ImagingBlur, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Avx2") : std::string("Baseline");
                         });

// Small radii use exact Gaussian weights; larger ones three box passes,
// which stay within a few levels of the true Gaussian.
constexpr int kExactTolerance = 1;
constexpr int kBoxTolerance = 6;

TEST_P(ImagingBlur, MatchesPlainGaussianOnMixedContent) {
    const QImage source = testPicture(61, 47);
    for (bool expand : {false, true}) {
        for (float radius : {1.0f, 2.5f, 6.0f, 7.9f, 8.0f, 13.0f, 20.0f, 41.0f}) {
            QImage blurred = source;
            ASSERT_TRUE(gaussianBlur(blurred, radius, expand));
            const int tolerance = radius < 8.0f ? kExactTolerance : kBoxTolerance;
            EXPECT_LE(largestDifference(blurred, referenceBlur(source, radius, expand)), tolerance)
                << "radius " << radius << " expand " << expand;
        }
    }
}

TEST_P(ImagingBlur, LargePictureSplitOverThreadsMatchesTheReference) {
    // Tall enough to be cut into bands: a wrong seam between bands shows as
    // a row of large differences.
    const QImage source = testPicture(700, 900);
    for (bool expand : {false, true}) {
        QImage blurred = source;
        ASSERT_TRUE(gaussianBlur(blurred, 20.0f, expand));
        EXPECT_LE(largestDifference(blurred, referenceBlur(source, 20.0, expand)), kBoxTolerance);
    }
}

TEST_P(ImagingBlur, RadiusZeroLeavesEveryBitAlone) {
    const QImage source = testPicture(23, 17);
    for (bool expand : {false, true}) {
        QImage blurred = source;
        ASSERT_TRUE(gaussianBlur(blurred, 0.0f, expand));
        EXPECT_EQ(blurred, source);
    }
}

TEST_P(ImagingBlur, UniformPictureKeepsItsColourEverywhere) {
    QImage source(50, 40, QImage::Format_ARGB32);
    source.fill(0xFF3C80C8u);
    for (float radius : {3.0f, 10.0f, 30.0f}) {
        QImage clamped = source;
        ASSERT_TRUE(gaussianBlur(clamped, radius, false));
        EXPECT_EQ(clamped, source) << radius;

        // Expanded, the picture fades towards its border but its colour
        // never darkens; the middle, out of reach of the border, is intact.
        QImage faded = source;
        ASSERT_TRUE(gaussianBlur(faded, radius, true));
        EXPECT_LT(qAlpha(faded.pixel(0, 20)), 200) << radius;
        EXPECT_LT(qAlpha(faded.pixel(0, 0)), qAlpha(faded.pixel(0, 20))) << radius;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 50; ++x) {
                const QRgb p = faded.pixel(x, y);
                if (qAlpha(p) >= 8) {
                    EXPECT_NEAR(qRed(p), 0x3C, 1);
                    EXPECT_NEAR(qGreen(p), 0x80, 1);
                    EXPECT_NEAR(qBlue(p), 0xC8, 1);
                }
            }
        }
        if (radius <= 3.0f) {
            EXPECT_EQ(faded.pixel(25, 20), 0xFF3C80C8u);
        }
    }
}

TEST_P(ImagingBlur, EdgeExpansionMakesTheBorderHalfTransparent) {
    // Along a straight edge half the kernel lies outside, so the border
    // keeps a little over half its alpha and a corner a little over a
    // quarter: 255 * (1/2 + w0/2) and its square, w0 the centre weight.
    QImage picture(120, 120, QImage::Format_ARGB32);
    picture.fill(0xFFFFFFFFu);
    ASSERT_TRUE(gaussianBlur(picture, 20.0f, true));
    const double centre = 1.0 / (std::sqrt(2.0 * 3.141592653589793) * 10.0);
    const double edge = 0.5 + centre / 2.0;
    EXPECT_NEAR(qAlpha(picture.pixel(0, 60)), 255.0 * edge, 3.0);
    EXPECT_NEAR(qAlpha(picture.pixel(60, 119)), 255.0 * edge, 3.0);
    EXPECT_NEAR(qAlpha(picture.pixel(0, 0)), 255.0 * edge * edge, 3.0);
    EXPECT_EQ(qAlpha(picture.pixel(60, 60)), 255);
}

TEST_P(ImagingBlur, TransparentSurroundingsNeverDarkenAnOpaqueShape) {
    // Transparent black around an opaque white square: every visible pixel
    // of the blurred square stays pure white.
    for (float radius : {2.0f, 9.0f, 24.0f}) {
        QImage picture(64, 64, QImage::Format_ARGB32);
        picture.fill(0x00000000u);
        for (int y = 20; y < 44; ++y) {
            for (int x = 16; x < 40; ++x) {
                picture.setPixel(x, y, 0xFFFFFFFFu);
            }
        }
        ASSERT_TRUE(gaussianBlur(picture, radius, false));
        int partial = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const QRgb p = picture.pixel(x, y);
                if (qAlpha(p) > 0) {
                    ASSERT_EQ(p | 0xFF000000u, 0xFFFFFFFFu) << x << "," << y << " r" << radius;
                    partial += qAlpha(p) < 255 ? 1 : 0;
                } else {
                    EXPECT_EQ(p, 0u);
                }
            }
        }
        EXPECT_GT(partial, 0);
    }
}

TEST_P(ImagingBlur, DotSpreadsSymmetricallyAndKeepsItsMass) {
    for (float radius : {3.0f, 12.0f}) {
        QImage picture(61, 61, QImage::Format_ARGB32);
        picture.fill(0x00000000u);
        for (int y = 27; y < 34; ++y) {
            for (int x = 27; x < 34; ++x) {
                picture.setPixel(x, y, 0xFFFFFFFFu);
            }
        }
        ASSERT_TRUE(gaussianBlur(picture, radius, false));
        long alphaSum = 0;
        for (int y = 0; y < 61; ++y) {
            for (int x = 0; x < 61; ++x) {
                const QRgb p = picture.pixel(x, y);
                alphaSum += qAlpha(p);
                EXPECT_EQ(p, picture.pixel(60 - x, y)) << x << "," << y;
                EXPECT_EQ(p, picture.pixel(x, 60 - y)) << x << "," << y;
                EXPECT_EQ(p, picture.pixel(y, x)) << x << "," << y;
            }
        }
        // The square's alpha is spread, not lost or gained; rounding each
        // pixel loses the faintest tail, within 1 % of the total.
        EXPECT_NEAR(alphaSum, 49 * 255, 49 * 255 / 100) << radius;
        EXPECT_GT(qAlpha(picture.pixel(30, 30)), 0);
        EXPECT_LT(qAlpha(picture.pixel(30, 30)), 255);
        EXPECT_GE(qAlpha(picture.pixel(30, 30)), qAlpha(picture.pixel(31, 30)));
    }
}

TEST_P(ImagingBlur, BadInputFailsWithoutTouchingThePicture) {
    QImage null;
    EXPECT_FALSE(gaussianBlur(null, 5.0f, true));

    QImage rgb(8, 8, QImage::Format_RGB32);
    rgb.fill(0xFF102030u);
    EXPECT_FALSE(gaussianBlur(rgb, 5.0f, true));

    const QImage source = testPicture(16, 16);
    QImage picture = source;
    EXPECT_FALSE(gaussianBlur(picture, -1.0f, false));
    EXPECT_FALSE(gaussianBlur(picture, std::nanf(""), false));
    EXPECT_FALSE(gaussianBlur(picture, INFINITY, false));
    EXPECT_EQ(picture, source);
}

TEST_P(ImagingBlur, HugeRadiusBlursAsTheLargestRadius) {
    const QImage source = testPicture(40, 30);
    QImage huge = source;
    QImage largest = source;
    ASSERT_TRUE(gaussianBlur(huge, 1e9f, true));
    ASSERT_TRUE(gaussianBlur(largest, kMaxBlurRadius, true));
    EXPECT_EQ(huge, largest);
    EXPECT_NE(huge, source);
}

TEST_P(ImagingBlur, TinyAndThinPicturesDoNotCrash) {
    for (QSize size : {QSize(1, 1), QSize(1, 37), QSize(37, 1), QSize(2, 3)}) {
        for (float radius : {1.0f, 20.0f, 255.0f}) {
            QImage clamped(size, QImage::Format_ARGB32);
            clamped.fill(0xFF804020u);
            ASSERT_TRUE(gaussianBlur(clamped, radius, false));
            // Extending the border of a uniform picture changes nothing.
            EXPECT_EQ(clamped.pixel(0, 0), 0xFF804020u);

            QImage expanded(size, QImage::Format_ARGB32);
            expanded.fill(0xFF804020u);
            ASSERT_TRUE(gaussianBlur(expanded, radius, true));
            const QRgb p = expanded.pixel(size.width() - 1, size.height() - 1);
            EXPECT_LT(qAlpha(p), 255);
            if (qAlpha(p) >= 16) {
                EXPECT_NEAR(qRed(p), 0x80, 1);
            }
        }
    }
}

}  // namespace
}  // namespace quillora::imaging
