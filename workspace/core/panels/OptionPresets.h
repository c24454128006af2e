#pragma once

#include "canvas/document/Colour.h"

#include <QString>
#include <QStringView>

#include <optional>

// The option groups of the tool panels: which group an option belongs to,
// whether it carries a preset value in its user data or is the group's
// custom (colour chooser) member, and how that user data reads.
namespace quillora::panels {

enum class OptionGroup {
    ToolTab,           // optQuillora .. optChangeSize; index = tab page
    ShadowColour,      // optToolShadow_color1..6
    BorderColour,      // optToolBorder_color1..6
    TintColour,        // optToolQuillora_color1..6
    BackgroundColour,  // optToolChangeBg_color1..20
    CommonSize,        // optToolChangeSize_common_r0..8
    CardSize,          // optToolChangeSize_card_r0..8
    Filter,            // optToolFilterToning_filter1..8
    BatchBackground,   // optBatchToolChangeBg_color1..11, 20, 21
    BatchCommonSize,   // optBatchToolChangeSize_common_r0..8
    BatchCardSize,     // optBatchToolChangeSize_card_r1..6
};

enum class OptionRole {
    Preset,       // the value is the option's user data
    Custom,       // set by the program after the colour chooser
    ImageMarker,  // the batch background image stands selected
};

struct OptionInfo {
    OptionGroup group;
    OptionRole role;
    int index;  // the number at the end of the name (tab page for tool tabs)
};

// Nullopt for names outside every group, and for numbers outside a group's
// members ("optToolShadow_color7").
std::optional<OptionInfo> ClassifyOption(QStringView name);

// The name of the custom member of a colour group and of the button that
// opens the chooser for it; empty for groups without one.
QString CustomOptionName(OptionGroup group);

// A colour preset: hexadecimal colour reference text (red in the lowest
// byte), "0x" allowed. FFFFFFFF means none.
struct ColourPreset {
    canvas::ColourRef ref = 0;
    bool none = false;
};
// Nullopt for text that is not a hexadecimal number of at most 8 digits.
std::optional<ColourPreset> ParseColourPreset(QStringView userData);

// The colour reference of white, which the tint takes for "none".
inline constexpr canvas::ColourRef kColourRefWhite = 0x00FFFFFFu;

// A size or filter preset: a decimal number; nullopt otherwise.
std::optional<int> ParsePresetNumber(QStringView userData);

// The size preset an option of the common or ID-photo group stands for:
// common rK is K, ID-photo rK is 9 + K (both groups, single and batch).
int SizePresetOf(OptionGroup group, int index);

}  // namespace quillora::panels
