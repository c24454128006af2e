#include "workspace/core/panels/OptionPresets.h"

#include "workspace/core/panels/PanelParameters.h"

#include <array>

namespace quillora::panels {

namespace {

struct GroupPattern {
    const char* prefix;
    OptionGroup group;
    int firstPreset;
    int lastPreset;
    int custom;  // -1: none
    int marker;  // -1: none
};

// The card sizes of the batch panel have no r0, r7 or r8.
constexpr std::array<GroupPattern, 10> kPatterns{{
    {"optToolShadow_color", OptionGroup::ShadowColour, 1, 5, 6, -1},
    {"optToolBorder_color", OptionGroup::BorderColour, 1, 5, 6, -1},
    {"optToolQuillora_color", OptionGroup::TintColour, 1, 5, 6, -1},
    {"optToolChangeBg_color", OptionGroup::BackgroundColour, 1, 19, 20, -1},
    {"optToolChangeSize_common_r", OptionGroup::CommonSize, 0, 8, -1, -1},
    {"optToolChangeSize_card_r", OptionGroup::CardSize, 0, 8, -1, -1},
    {"optToolFilterToning_filter", OptionGroup::Filter, 1, 8, -1, -1},
    {"optBatchToolChangeBg_color", OptionGroup::BatchBackground, 1, 11, 20, 21},
    {"optBatchToolChangeSize_common_r", OptionGroup::BatchCommonSize, 0, 8, -1, -1},
    {"optBatchToolChangeSize_card_r", OptionGroup::BatchCardSize, 1, 6, -1, -1},
}};

constexpr std::array<const char*, 5> kToolTabs{"optQuillora", "optShadowBorder", "optFilterToning",
                                               "optChangeBg", "optChangeSize"};

// The digits after the prefix, without a sign or a leading zero.
std::optional<int> IndexAfter(QStringView name, QLatin1StringView prefix) {
    if (!name.startsWith(prefix) || name.size() == prefix.size()) {
        return std::nullopt;
    }
    const QStringView digits = name.mid(prefix.size());
    if (digits.size() > 3 || (digits.size() > 1 && digits.front() == u'0')) {
        return std::nullopt;
    }
    int value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

}  // namespace

std::optional<OptionInfo> ClassifyOption(QStringView name) {
    for (size_t i = 0; i < kToolTabs.size(); ++i) {
        if (name == QLatin1StringView(kToolTabs[i])) {
            return OptionInfo{OptionGroup::ToolTab, OptionRole::Preset, static_cast<int>(i)};
        }
    }
    for (const GroupPattern& pattern : kPatterns) {
        const std::optional<int> index = IndexAfter(name, QLatin1StringView(pattern.prefix));
        if (!index) {
            continue;
        }
        if (*index >= pattern.firstPreset && *index <= pattern.lastPreset) {
            return OptionInfo{pattern.group, OptionRole::Preset, *index};
        }
        if (*index == pattern.custom) {
            return OptionInfo{pattern.group, OptionRole::Custom, *index};
        }
        if (*index == pattern.marker) {
            return OptionInfo{pattern.group, OptionRole::ImageMarker, *index};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

QString CustomOptionName(OptionGroup group) {
    for (const GroupPattern& pattern : kPatterns) {
        if (pattern.group == group && pattern.custom >= 0) {
            return QLatin1StringView(pattern.prefix) + QString::number(pattern.custom);
        }
    }
    return {};
}

std::optional<ColourPreset> ParseColourPreset(QStringView userData) {
    QStringView text = userData.trimmed();
    if (text.startsWith(u"0x", Qt::CaseInsensitive)) {
        text = text.mid(2);
    }
    if (text.isEmpty() || text.size() > 8) {
        return std::nullopt;
    }
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 16);
    // toULongLong accepts a sign; a colour does not.
    if (!ok || text.front() == u'+' || text.front() == u'-') {
        return std::nullopt;
    }
    ColourPreset preset;
    preset.ref = static_cast<canvas::ColourRef>(value);
    preset.none = preset.ref == canvas::kColourRefNone;
    return preset;
}

std::optional<int> ParsePresetNumber(QStringView userData) {
    return ParseDecimal(userData);
}

int SizePresetOf(OptionGroup group, int index) {
    constexpr int kCardBase = 9;
    switch (group) {
        case OptionGroup::CardSize:
        case OptionGroup::BatchCardSize:
            return kCardBase + index;
        default:
            return index;
    }
}

}  // namespace quillora::panels
