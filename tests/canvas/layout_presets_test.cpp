#include <gtest/gtest.h>

#include "canvas/layout/CropBox.h"
#include "canvas/layout/SizePresets.h"

namespace quillora::canvas {
namespace {

void ExpectBox(const RectF& box, float x, float y, float w, float h) {
    EXPECT_NEAR(box.x, x, 0.01f);
    EXPECT_NEAR(box.y, y, 0.01f);
    EXPECT_NEAR(box.w, w, 0.01f);
    EXPECT_NEAR(box.h, h, 0.01f);
}

RectF BoxFor(int preset, float vw, float vh) {
    BackgroundParams background;
    EXPECT_TRUE(ChooseSizePreset(background, preset, vw, vh));
    return background.cropRect;
}

TEST(SizePresetTest, TableHoldsTheRatiosAndIdentitySizes) {
    ASSERT_EQ(kSizePresets.size(), 18u);
    EXPECT_EQ(kSizePresets[3].ratioWidth, 2);
    EXPECT_EQ(kSizePresets[3].ratioHeight, 3);
    EXPECT_EQ(kSizePresets[8].ratioWidth, 16);
    EXPECT_EQ(kSizePresets[8].ratioHeight, 9);
    EXPECT_FALSE(kSizePresets[8].HasFixedOutput());
    EXPECT_EQ(kSizePresets[13].outputWidth, 413);
    EXPECT_EQ(kSizePresets[13].outputHeight, 579);
    EXPECT_EQ(kSizePresets[17].outputWidth, 1051);
    EXPECT_EQ(kSizePresets[17].outputHeight, 1500);
    for (int p = 10; p <= 17; ++p) {
        const SizePreset& preset = kSizePresets[std::size_t(p)];
        EXPECT_TRUE(preset.HasFixedOutput()) << p;
        EXPECT_EQ(preset.ratioWidth, preset.outputWidth) << p;
        EXPECT_EQ(preset.ratioHeight, preset.outputHeight) << p;
    }
}

TEST(SizePresetTest, LargestCentredBoxOfTheRatio) {
    // 1:1 on 800 x 520: full height, centred.
    ExpectBox(BoxFor(2, 800, 520), 140, 0, 520, 520);
    // 3:2 on 600 x 300: 450 wide fits.
    ExpectBox(BoxFor(4, 600, 300), 75, 0, 450, 300);
    // 295:413 on 600 x 300: 295 * 300 / 413 = 214.29 wide at x = 192.86.
    ExpectBox(BoxFor(11, 600, 300), 192.857f, 0, 214.286f, 300);
    // 16:9 on a square view is too wide at full height: full width instead,
    // 600 * 9 / 16 = 337.5 high, centred at (600 - 337.5) / 2.
    ExpectBox(BoxFor(8, 600, 600), 0, 131.25f, 600, 337.5f);
}

TEST(SizePresetTest, FreePresetsAndTheViewsOwnProportionsCoverTheView) {
    ExpectBox(BoxFor(0, 800, 520), 0, 0, 800, 520);
    ExpectBox(BoxFor(9, 800, 520), 0, 0, 800, 520);
    // Preset 1 keeps the view's proportions: the whole view...
    ExpectBox(BoxFor(1, 780, 520), 0, 0, 780, 520);
    // ...truncated to whole pixels: 780 : 520 in a 780.7 x 520.2 view is
    // 780 * 520.2 / 520 = 780.3 wide, centred.
    ExpectBox(BoxFor(1, 780.7f, 520.2f), 0.2f, 0, 780.3f, 520.2f);
    const BoxRatio own = PresetRatio(1, 780.7f, 520.2f);
    EXPECT_EQ(own.width, 780.0f);
    EXPECT_EQ(own.height, 520.0f);
    // A view under one pixel high has no proportions: free.
    EXPECT_TRUE(PresetRatio(1, 300.0f, 0.5f).IsFree());
    EXPECT_TRUE(PresetRatio(0, 300.0f, 200.0f).IsFree());
    EXPECT_FALSE(PresetRatio(2, 300.0f, 200.0f).IsFree());
}

TEST(SizePresetTest, ChoosingAPresetWithdrawsAnAppliedCrop) {
    BackgroundParams background;
    ASSERT_TRUE(ChooseSizePreset(background, 5, 400, 400));
    EXPECT_TRUE(background.cropActive);
    EXPECT_EQ(background.sizePreset, 5);
    ASSERT_TRUE(ApplyCropBox(background));
    EXPECT_TRUE(background.cropApplied);
    ASSERT_TRUE(ChooseSizePreset(background, 5, 400, 400));
    EXPECT_FALSE(background.cropApplied);
    EXPECT_TRUE(background.cropActive);
}

TEST(SizePresetTest, UnknownPresetChangesNothing) {
    BackgroundParams background;
    ASSERT_TRUE(ChooseSizePreset(background, 2, 800, 520));
    ASSERT_TRUE(ApplyCropBox(background));
    const RectF before = background.cropRect;
    EXPECT_FALSE(ChooseSizePreset(background, 18, 800, 520));
    EXPECT_FALSE(ChooseSizePreset(background, -1, 800, 520));
    EXPECT_EQ(background.sizePreset, 2);
    EXPECT_EQ(background.cropRect, before);
    EXPECT_TRUE(background.cropApplied);
    EXPECT_TRUE(PresetRatio(42, 800, 520).IsFree());
}

TEST(SizePresetTest, NothingToApplyWithoutABox) {
    BackgroundParams background;
    EXPECT_FALSE(ApplyCropBox(background));
    EXPECT_FALSE(background.cropApplied);
}

}  // namespace
}  // namespace quillora::canvas
