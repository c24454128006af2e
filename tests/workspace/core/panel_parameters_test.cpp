#include "workspace/core/panels/OptionPresets.h"
#include "workspace/core/panels/PanelParameters.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QString>

namespace quillora::panels {
namespace {

const SliderRow& RowOf(const char* slider) {
    const SliderRow* row = FindRowBySlider(QString::fromLatin1(slider));
    EXPECT_NE(row, nullptr) << slider;
    return *row;
}

TEST(PanelParametersTest, EveryRowPairsItsOwnSliderAndEditAndNamesAreUnique) {
    QSet<QString> names;
    for (const SliderRow& row : SliderRows()) {
        EXPECT_EQ(FindRowBySlider(QString::fromLatin1(row.slider)), &row);
        EXPECT_EQ(FindRowByEdit(QString::fromLatin1(row.edit)), &row);
        // The two names differ only in their prefix.
        const QString sliderTail = QString::fromLatin1(row.slider).mid(6);
        const QString editTail = QString::fromLatin1(row.edit).mid(3);
        EXPECT_EQ(sliderTail, editTail) << row.slider;
        names.insert(QString::fromLatin1(row.slider));
        names.insert(QString::fromLatin1(row.edit));
        EXPECT_LE(row.range.minimum, row.resetValue) << row.slider;
        EXPECT_GE(row.range.maximum, row.resetValue) << row.slider;
    }
    EXPECT_EQ(names.size(), 2 * kSliderRowCount);
    EXPECT_EQ(FindRowBySlider(u"sliderNothing"), nullptr);
    EXPECT_EQ(FindRowByEdit(u"sliderToolShadow_dis"), nullptr);
}

TEST(PanelParametersTest, RangesAndOffsetsOfTheRows) {
    struct Expect {
        const char* slider;
        int minimum, maximum, offset, reset;
    };
    // The panel offers exactly what the canvas takes; the reset values are
    // those a freshly loaded photo has in the canvas.
    const Expect expected[] = {
        {"sliderToolQuillora_size", 10, 100, 0, 20},
        {"sliderToolQuillora_soft", 10, 100, 0, 10},
        {"sliderToolShadow_dis", 0, 100, 0, 20},
        {"sliderToolShadow_angle", 0, 360, 0, 0},
        {"sliderToolShadow_blur", 0, 100, 0, 20},
        {"sliderToolShadow_transparent", 0, 100, 0, 50},
        {"sliderToolBorder_thickness", 0, 50, 0, 2},
        {"sliderToolBorder_transparent", 0, 100, 0, 100},
        {"sliderToolFilterToning_brightness", -50, 50, 50, 0},
        {"sliderToolFilterToning_contrast", -50, 50, 50, 0},
        {"sliderToolFilterToning_saturation", -50, 50, 50, 0},
        {"sliderToolFilterToning_blurry", 0, 50, 0, 0},
        {"sliderToolFilterToning_sharpen", 0, 50, 0, 0},
        {"sliderToolFilterToning_transparency", 0, 100, 0, 100},
    };
    for (const Expect& e : expected) {
        const SliderRow& row = RowOf(e.slider);
        EXPECT_EQ(row.range.minimum, e.minimum) << e.slider;
        EXPECT_EQ(row.range.maximum, e.maximum) << e.slider;
        EXPECT_EQ(row.sliderOffset, e.offset) << e.slider;
        EXPECT_EQ(row.resetValue, e.reset) << e.slider;
    }
}

TEST(PanelParametersTest, SliderPositionAndValueRoundTrip) {
    const SliderRow& contrast = RowOf("sliderToolFilterToning_contrast");
    EXPECT_EQ(ValueFromPosition(contrast, 0), -50);
    EXPECT_EQ(ValueFromPosition(contrast, 50), 0);
    EXPECT_EQ(ValueFromPosition(contrast, 100), 50);
    const SliderRow& distance = RowOf("sliderToolShadow_dis");
    EXPECT_EQ(ValueFromPosition(distance, 37), 37);
    for (const SliderRow& row : SliderRows()) {
        for (int v = row.range.minimum; v <= row.range.maximum; ++v) {
            ASSERT_EQ(ValueFromPosition(row, PositionFromValue(row, v)), v) << row.slider;
        }
    }
    EXPECT_EQ(EditText(-50), QStringLiteral("-50"));
    EXPECT_EQ(EditText(360), QStringLiteral("360"));
}

TEST(PanelParametersTest, TypedTextIsClampedToTheRow) {
    const SliderRow& distance = RowOf("sliderToolShadow_dis");
    EditReading r = ReadEditText(distance, QStringLiteral("150"));
    EXPECT_EQ(r.value, 100);
    EXPECT_TRUE(r.above);
    EXPECT_FALSE(r.below);
    EXPECT_TRUE(r.correctNow);

    const SliderRow& contrast = RowOf("sliderToolFilterToning_contrast");
    r = ReadEditText(contrast, QStringLiteral("-80"));
    EXPECT_EQ(r.value, -50);
    EXPECT_TRUE(r.below);
    EXPECT_TRUE(r.correctNow);  // more digits only go further down
    EXPECT_EQ(PositionFromValue(contrast, r.value), 0);

    const SliderRow& size = RowOf("sliderToolQuillora_size");
    r = ReadEditText(size, QStringLiteral("5"));
    EXPECT_EQ(r.value, 10);
    EXPECT_TRUE(r.below);
    EXPECT_FALSE(r.above);
    EXPECT_FALSE(r.correctNow);  // "5" may become "50"

    r = ReadEditText(RowOf("sliderToolShadow_angle"), QStringLiteral("360"));
    EXPECT_EQ(r.value, 360);
    EXPECT_FALSE(r.above || r.below || r.correctNow);
}

TEST(PanelParametersTest, OddTextReadsAsZeroAndHugeNumbersStayHuge) {
    const SliderRow& contrast = RowOf("sliderToolFilterToning_contrast");
    for (const char* text : {"", "-", "abc", "1e3", "12x", "0x10"}) {
        const EditReading r = ReadEditText(contrast, QString::fromLatin1(text));
        EXPECT_EQ(r.value, 0) << text;
        EXPECT_FALSE(r.above || r.below) << text;
    }
    // Too many digits for an int must not wrap round to a small number.
    EditReading r = ReadEditText(contrast, QStringLiteral("99999999999999999999"));
    EXPECT_EQ(r.value, 50);
    EXPECT_TRUE(r.above);
    r = ReadEditText(contrast, QStringLiteral("-99999999999999999999"));
    EXPECT_EQ(r.value, -50);
    EXPECT_TRUE(r.below);
    r = ReadEditText(contrast, QStringLiteral(" 7 "));
    EXPECT_EQ(r.value, 7);
    EXPECT_EQ(ParseDecimal(u"2147483648"), std::nullopt);
    EXPECT_EQ(ParseDecimal(u"-2147483648"), std::optional<int>(-2147483647 - 1));
}

TEST(OptionPresetsTest, OptionsFallIntoTheirGroups) {
    struct Expect {
        const char* name;
        OptionGroup group;
        OptionRole role;
        int index;
    };
    const Expect expected[] = {
        {"optQuillora", OptionGroup::ToolTab, OptionRole::Preset, 0},
        {"optChangeSize", OptionGroup::ToolTab, OptionRole::Preset, 4},
        {"optToolShadow_color1", OptionGroup::ShadowColour, OptionRole::Preset, 1},
        {"optToolShadow_color6", OptionGroup::ShadowColour, OptionRole::Custom, 6},
        {"optToolBorder_color5", OptionGroup::BorderColour, OptionRole::Preset, 5},
        {"optToolQuillora_color6", OptionGroup::TintColour, OptionRole::Custom, 6},
        {"optToolChangeBg_color19", OptionGroup::BackgroundColour, OptionRole::Preset, 19},
        {"optToolChangeBg_color20", OptionGroup::BackgroundColour, OptionRole::Custom, 20},
        {"optToolChangeSize_common_r0", OptionGroup::CommonSize, OptionRole::Preset, 0},
        {"optToolChangeSize_card_r8", OptionGroup::CardSize, OptionRole::Preset, 8},
        {"optToolFilterToning_filter8", OptionGroup::Filter, OptionRole::Preset, 8},
        {"optBatchToolChangeBg_color11", OptionGroup::BatchBackground, OptionRole::Preset, 11},
        {"optBatchToolChangeBg_color20", OptionGroup::BatchBackground, OptionRole::Custom, 20},
        {"optBatchToolChangeBg_color21", OptionGroup::BatchBackground, OptionRole::ImageMarker, 21},
        {"optBatchToolChangeSize_common_r8", OptionGroup::BatchCommonSize, OptionRole::Preset, 8},
        {"optBatchToolChangeSize_card_r1", OptionGroup::BatchCardSize, OptionRole::Preset, 1},
    };
    for (const Expect& e : expected) {
        const std::optional<OptionInfo> info = ClassifyOption(QString::fromLatin1(e.name));
        ASSERT_TRUE(info.has_value()) << e.name;
        EXPECT_EQ(info->group, e.group) << e.name;
        EXPECT_EQ(info->role, e.role) << e.name;
        EXPECT_EQ(info->index, e.index) << e.name;
    }
    // Members a group does not have, and names that only look alike.
    for (const char* name :
         {"optToolShadow_color7", "optToolShadow_color0", "optToolChangeBg_color21",
          "optBatchToolChangeBg_color12", "optBatchToolChangeSize_card_r0",
          "optBatchToolChangeSize_card_r7", "optToolFilterToning_filter0",
          "optToolFilterToning_filter9", "optToolShadow_color01", "optToolShadow_color",
          "optToolShadow_colorX", "optToolShadow", "optTabOrg", "optQuilloraX"}) {
        EXPECT_FALSE(ClassifyOption(QString::fromLatin1(name)).has_value()) << name;
    }
}

TEST(OptionPresetsTest, CustomMembersAndSizeNumbers) {
    EXPECT_EQ(CustomOptionName(OptionGroup::ShadowColour), QStringLiteral("optToolShadow_color6"));
    EXPECT_EQ(CustomOptionName(OptionGroup::BackgroundColour),
              QStringLiteral("optToolChangeBg_color20"));
    EXPECT_EQ(CustomOptionName(OptionGroup::BatchBackground),
              QStringLiteral("optBatchToolChangeBg_color20"));
    EXPECT_TRUE(CustomOptionName(OptionGroup::Filter).isEmpty());
    EXPECT_EQ(SizePresetOf(OptionGroup::CommonSize, 3), 3);
    EXPECT_EQ(SizePresetOf(OptionGroup::CardSize, 0), 9);
    EXPECT_EQ(SizePresetOf(OptionGroup::CardSize, 8), 17);
    EXPECT_EQ(SizePresetOf(OptionGroup::BatchCardSize, 6), 15);
}

TEST(OptionPresetsTest, ColourUserDataReadsAsColourReference) {
    std::optional<ColourPreset> c = ParseColourPreset(u"0000FF");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->ref, 0x0000FFu);
    EXPECT_FALSE(c->none);
    c = ParseColourPreset(u"0xff8000");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->ref, 0xFF8000u);
    c = ParseColourPreset(u" FFFFFFFF ");
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->none);
    c = ParseColourPreset(u"FFFFFF");
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->none);
    for (const char16_t* bad : {u"", u"0x", u"GG0000", u"-1", u"+12", u"1FFFFFFFF", u"12 34"}) {
        EXPECT_FALSE(ParseColourPreset(bad).has_value()) << QString::fromUtf16(bad).toStdString();
    }
    EXPECT_EQ(ParsePresetNumber(u"13"), std::optional<int>(13));
    EXPECT_EQ(ParsePresetNumber(u"x"), std::nullopt);
}

}  // namespace
}  // namespace quillora::panels
