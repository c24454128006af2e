#include <gtest/gtest.h>

#include <QImage>

#include <array>
#include <cstdint>
#include <random>

#include "canvas/effects/ColourMatrixPresets.h"
#include "canvas/effects/FilterChain.h"
#include "canvas/effects/ParameterRules.h"
#include "canvas/imaging/Effects.h"

namespace quillora::canvas {
namespace {

std::uint32_t Argb(int a, int r, int g, int b) {
    return (static_cast<std::uint32_t>(a) << 24) | (static_cast<std::uint32_t>(r) << 16) |
           (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
}

// One pixel through the matrix effect with a preset's matrix.
std::uint32_t Through(int preset, float opacity, std::uint32_t pixel) {
    QImage image(1, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, pixel);
    EXPECT_TRUE(imaging::colourMatrix(image, FilterPresetMatrix(preset, opacity)));
    return image.pixel(0, 0);
}

QImage Noise(int w, int h, unsigned start) {
    std::mt19937 rng(start);
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, static_cast<std::uint32_t>(rng()));
        }
    }
    return image;
}

struct PresetCase {
    int preset;
    std::array<int, 3> p;  // (121, 80, 40) through the preset
    std::array<int, 3> q;  // (201, 150, 10) through the preset
};

// Worked out by hand from the preset table; no value lies within 0.1 of a
// rounding boundary.
// 1: 0.3 r + 0.59 g + 0.11 b = 87.9 and 149.9.
// 2: r + g + b = 241, and 361 clamped.
// 3: g x 0.88 = 70.4 and 132; b x 0.69 = 27.6 and 6.9.
// 4: 0.8 r + 25.5 = 122.3 and 186.3; 0.1 g = 8 and 15; 0.2 b = 8 and 2.
// 5: r + b / 2 = 141 and 206.
// 6: 0.9 r = 108.9 and 180.9; 1.1 g = 88 and 165; 0.9 b = 36 and 9.
// 7: 1.75 r = 211.75 and 351.75 clamped; 1.2 g = 96 and 180.
const PresetCase kPresetCases[] = {
    {0, {121, 80, 40}, {201, 150, 10}},    {1, {88, 88, 88}, {150, 150, 150}},
    {2, {241, 241, 241}, {255, 255, 255}}, {3, {121, 70, 28}, {201, 132, 7}},
    {4, {122, 8, 8}, {186, 15, 2}},        {5, {141, 80, 40}, {206, 150, 10}},
    {6, {109, 88, 36}, {181, 165, 9}},     {7, {212, 96, 40}, {255, 180, 10}},
};

TEST(FilterPresetTest, EveryPresetOnKnownPixels) {
    for (const PresetCase& c : kPresetCases) {
        EXPECT_EQ(Through(c.preset, 1.0f, Argb(200, 121, 80, 40)),
                  Argb(200, c.p[0], c.p[1], c.p[2]))
            << "preset " << c.preset;
        EXPECT_EQ(Through(c.preset, 1.0f, Argb(255, 201, 150, 10)),
                  Argb(255, c.q[0], c.q[1], c.q[2]))
            << "preset " << c.preset;
    }
}

TEST(FilterPresetTest, OpacityIsTheAlphaEntryOfEveryPreset) {
    for (int preset = 0; preset < kFilterPresetCount; ++preset) {
        EXPECT_EQ(Through(preset, 0.5f, Argb(200, 0, 0, 0)) >> 24, 100u) << preset;
        EXPECT_EQ(Through(preset, 0.0f, Argb(255, 9, 9, 9)) >> 24, 0u) << preset;
    }
}

TEST(FilterPresetTest, PresetTwoTurnsChannelsAddingUpTo255White) {
    EXPECT_EQ(Through(2, 1.0f, Argb(255, 100, 100, 55)), Argb(255, 255, 255, 255));
    EXPECT_EQ(Through(2, 1.0f, Argb(90, 255, 0, 0)), Argb(90, 255, 255, 255));
    EXPECT_EQ(Through(2, 1.0f, Argb(255, 100, 100, 54)), Argb(255, 254, 254, 254));
}

TEST(FilterPresetTest, UnknownPresetIsOnlyTheAlphaFactor) {
    EXPECT_EQ(FilterPresetMatrix(8, 0.25f), AlphaFactorMatrix(0.25f));
    EXPECT_EQ(FilterPresetMatrix(-1, 1.0f), imaging::identityMatrix());
}

TEST(FilterChainTest, InitialValuesLeaveTheCutOutUnchanged) {
    const QImage original = Noise(37, 23, 5);
    QImage image = original.copy();
    ASSERT_TRUE(ApplyFilterChain(image, FilterParams{}));
    EXPECT_EQ(image, original);
    EXPECT_EQ(FilteredCopy(original, FilterParams{}), original);

    FilterParams sharpened;
    SetSharpen(sharpened, 40);
    EXPECT_EQ(FilteredCopy(original, sharpened), original) << "sharpen changes nothing";
}

TEST(FilterChainTest, BrightnessRunsBeforeTheColourMatrix) {
    // Brightness first: 60 + 50 = 110 per channel, then 3 x 110 = 330, white.
    // The other way round would give 180 + 50 = 230.
    QImage image(1, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, Argb(255, 60, 60, 60));
    FilterParams filter;
    SetBrightness(filter, 50);
    SetFilterPreset(filter, 2);
    ASSERT_TRUE(ApplyFilterChain(image, filter));
    EXPECT_EQ(image.pixel(0, 0), Argb(255, 255, 255, 255));
}

TEST(FilterChainTest, SaturationPullsColoursTowardsGreyAndLeavesGreyAlone) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, Argb(255, 200, 100, 50));
    image.setPixel(1, 0, Argb(255, 90, 90, 90));
    FilterParams filter;
    SetSaturation(filter, -50);
    ASSERT_TRUE(ApplyFilterChain(image, filter));
    const QRgb c = image.pixel(0, 0);
    EXPECT_LT(qRed(c), 200);
    EXPECT_GT(qBlue(c), 50);
    EXPECT_EQ(image.pixel(1, 0), Argb(255, 90, 90, 90));
}

TEST(FilterChainTest, BlurKeepsAnOpaqueCutOutOpaqueToItsEdge) {
    QImage image(12, 12, QImage::Format_ARGB32);
    image.fill(Argb(255, 255, 0, 0));
    FilterParams filter;
    SetBlurry(filter, 3);
    ASSERT_TRUE(ApplyFilterChain(image, filter));
    EXPECT_EQ(image.pixel(0, 0), Argb(255, 255, 0, 0));
    EXPECT_EQ(image.pixel(11, 6), Argb(255, 255, 0, 0));
}

TEST(FilterChainTest, TransparencyZeroMakesTheLayerInvisible) {
    QImage image = Noise(8, 8, 9);
    FilterParams filter;
    SetFilterTransparency(filter, 0);
    ASSERT_TRUE(ApplyFilterChain(image, filter));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(qAlpha(image.pixel(x, y)), 0);
        }
    }
}

TEST(FilterChainTest, NullOrForeignPicturesFail) {
    QImage none;
    EXPECT_FALSE(ApplyFilterChain(none, FilterParams{}));
    EXPECT_TRUE(FilteredCopy(QImage(), FilterParams{}).isNull());
    QImage rgb(4, 4, QImage::Format_RGB32);
    EXPECT_FALSE(ApplyFilterChain(rgb, FilterParams{}));
}

}  // namespace
}  // namespace quillora::canvas
