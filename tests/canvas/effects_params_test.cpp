#include <gtest/gtest.h>

#include "canvas/effects/ParameterRules.h"

namespace quillora::canvas {
namespace {

TEST(LayerColourTest, FreshShadowAndBorderAreOff) {
    EXPECT_EQ(AlphaOf(ShadowParams{}.colour), 0u);
    EXPECT_EQ(AlphaOf(BorderParams{}.colour), 0u);
}

TEST(LayerColourTest, ChosenColourIsOpaqueWithRedAndBlueSwapped) {
    ShadowParams shadow;
    EXPECT_EQ(SetShadowColour(shadow, 0x00336699u, false), ColourChange::Changed);
    EXPECT_EQ(shadow.colour, 0xFF996633u);
}

TEST(LayerColourTest, SameColourTwiceAsksForNothing) {
    BorderParams border;
    EXPECT_EQ(SetBorderColour(border, 0x0000FF00u, false), ColourChange::Changed);
    EXPECT_EQ(SetBorderColour(border, 0x0000FF00u, false), ColourChange::None);
    EXPECT_EQ(SetBorderColour(border, 0x000000FFu, false), ColourChange::Changed);
    EXPECT_EQ(border.colour, 0xFFFF0000u);
}

TEST(LayerColourTest, NoneTurnsAnActiveLayerOffAndIsIgnoredWhenAlreadyOff) {
    ShadowParams shadow;
    EXPECT_EQ(SetShadowColour(shadow, kColourRefNone, true), ColourChange::None);
    SetShadowColour(shadow, 0x00000000u, false);
    EXPECT_EQ(shadow.colour, 0xFF000000u) << "black is a colour, not off";
    EXPECT_EQ(SetShadowColour(shadow, kColourRefNone, true), ColourChange::TurnedOff);
    EXPECT_EQ(AlphaOf(shadow.colour), 0u);
    EXPECT_EQ(SetShadowColour(shadow, kColourRefNone, true), ColourChange::None);
}

TEST(TransparencyTest, PercentToOpacityAtTheEndsAndBetween) {
    ShadowParams shadow;
    EXPECT_TRUE(SetShadowTransparency(shadow, 0));
    EXPECT_EQ(shadow.opacity, 0.0f);
    EXPECT_TRUE(SetShadowTransparency(shadow, 100));
    EXPECT_EQ(shadow.opacity, 1.0f);
    EXPECT_FALSE(SetShadowTransparency(shadow, 150)) << "clamped to 100, unchanged";
    EXPECT_EQ(shadow.transparency, 100);
    EXPECT_TRUE(SetShadowTransparency(shadow, 37));
    EXPECT_FLOAT_EQ(shadow.opacity, 0.37f);
    EXPECT_TRUE(SetShadowTransparency(shadow, -5));
    EXPECT_EQ(shadow.transparency, 0);
    EXPECT_EQ(shadow.opacity, 0.0f);

    BorderParams border;
    EXPECT_FALSE(SetBorderTransparency(border, 100)) << "100 is where a border starts";
    EXPECT_TRUE(SetBorderTransparency(border, 0));
    EXPECT_EQ(border.opacity, 0.0f);

    FilterParams filter;
    EXPECT_TRUE(SetFilterTransparency(filter, 50));
    EXPECT_FLOAT_EQ(filter.opacity, 0.5f);
}

TEST(ChangeTestTest, SettingTheSameValueAgainIsNoChange) {
    ShadowParams shadow;
    EXPECT_FALSE(SetShadowDistance(shadow, 20));
    EXPECT_TRUE(SetShadowDistance(shadow, 25));
    EXPECT_FALSE(SetShadowDistance(shadow, 25));
    EXPECT_FALSE(SetShadowBlur(shadow, 20));
    EXPECT_TRUE(SetShadowAngle(shadow, 90));
    EXPECT_FALSE(SetShadowAngle(shadow, 90));

    FilterParams filter;
    EXPECT_FALSE(SetBrightness(filter, 0));
    EXPECT_TRUE(SetBrightness(filter, -10));
    EXPECT_FALSE(SetBrightness(filter, -10));
    EXPECT_TRUE(SetFilterPreset(filter, 3));
    EXPECT_FALSE(SetFilterPreset(filter, 3));
}

TEST(ClampTest, ValuesOutsideThePanelRangesAreClamped) {
    ShadowParams shadow;
    SetShadowDistance(shadow, 1000);
    EXPECT_EQ(shadow.distance, 100);
    SetShadowBlur(shadow, -3);
    EXPECT_EQ(shadow.blur, 0) << "a negative blur radius never reaches the kernel";
    SetShadowAngle(shadow, 400);
    EXPECT_EQ(shadow.angle, 360);

    BorderParams border;
    SetBorderThickness(border, 80);
    EXPECT_EQ(border.thickness, 50);

    FilterParams filter;
    SetContrast(filter, 70);
    EXPECT_EQ(filter.contrast, 50);
    SetSaturation(filter, -70);
    EXPECT_EQ(filter.saturation, -50);
    SetBlurry(filter, 51);
    EXPECT_EQ(filter.blurry, 50);
    SetFilterPreset(filter, 9);
    EXPECT_EQ(filter.preset, 7);

    BrushParams brush;
    EXPECT_TRUE(SetBrushSize(brush, 5));
    EXPECT_EQ(brush.size, 10);
    SetBrushSize(brush, 101);
    EXPECT_EQ(brush.size, 100);
    SetBrushSoftness(brush, 0);
    EXPECT_EQ(brush.softness, 10);
}

TEST(FilterNeutralTest, OnlyTheUntouchedValuesAreNeutralAndSharpenNeverCounts) {
    FilterParams filter;
    EXPECT_TRUE(IsNeutral(filter));
    SetSharpen(filter, 30);
    EXPECT_EQ(filter.sharpen, 30);
    EXPECT_TRUE(IsNeutral(filter));
    SetFilterTransparency(filter, 99);
    EXPECT_FALSE(IsNeutral(filter));
    SetFilterTransparency(filter, 100);
    SetBlurry(filter, 1);
    EXPECT_FALSE(IsNeutral(filter));
}

TEST(BrushSettingTest, TintKeepsItsAlphaByteAndKindIsAddOrErase) {
    BrushParams brush;
    EXPECT_EQ(brush.tintColour, 0x00FF0000u);
    EXPECT_TRUE(SetTintColour(brush, 0x00FF0000u));
    EXPECT_EQ(brush.tintColour, 0x000000FFu) << "alpha byte 0 kept, red and blue swapped";
    EXPECT_FALSE(SetTintColour(brush, 0x00FF0000u));

    EXPECT_TRUE(SetBrushKind(brush, 1));
    EXPECT_EQ(brush.kind, BrushKind::Erase);
    EXPECT_FALSE(SetBrushKind(brush, 1));
    EXPECT_TRUE(SetBrushKind(brush, 0));
    EXPECT_EQ(brush.kind, BrushKind::Add);
}

}  // namespace
}  // namespace quillora::canvas
