#pragma once

#include <array>

#include "canvas/document/Geometry.h"
#include "canvas/document/ParameterGroups.h"

namespace quillora::canvas {

// One size option of the change-size page. A ratio of 0 : 0 is a free box;
// an output size of 0 x 0 saves the box at the picture's own resolution.
struct SizePreset {
    int ratioWidth = 0;
    int ratioHeight = 0;
    int outputWidth = 0;
    int outputHeight = 0;

    bool HasFixedOutput() const { return outputWidth > 0 && outputHeight > 0; }
};

// The presets by number: 0 and 9 free, 1 the picture's own proportions
// (taken from the view, so 0 : 0 here), 2 to 8 common ratios, 10 to 17
// identity-photo sizes saved at exactly that many pixels.
inline constexpr int kViewProportionsPreset = 1;
inline constexpr std::array<SizePreset, kSizePresetCount> kSizePresets{{
    {0, 0, 0, 0},
    {0, 0, 0, 0},
    {1, 1, 0, 0},
    {2, 3, 0, 0},
    {3, 2, 0, 0},
    {3, 4, 0, 0},
    {4, 3, 0, 0},
    {9, 16, 0, 0},
    {16, 9, 0, 0},
    {0, 0, 0, 0},
    {260, 378, 260, 378},
    {295, 413, 295, 413},
    {390, 567, 390, 567},
    {413, 579, 413, 579},
    {413, 531, 413, 531},
    {413, 626, 413, 626},
    {649, 991, 649, 991},
    {1051, 1500, 1051, 1500},
}};

constexpr bool IsValidSizePreset(int preset) {
    return preset >= 0 && preset < kSizePresetCount;
}

// Width : height the crop box keeps; both 0 for a free box.
struct BoxRatio {
    float width = 0.0f;
    float height = 0.0f;

    bool IsFree() const { return !(width > 0.0f && height > 0.0f); }
};

// The ratio of a preset for a view of viewWidth x viewHeight. Preset 1 takes
// the view's proportions truncated to whole pixels, and is free when either
// is 0; an unknown preset is free.
BoxRatio PresetRatio(int preset, float viewWidth, float viewHeight);

// The largest box of the ratio that fits a view of viewWidth x viewHeight,
// centred; the whole view for a free ratio. In view pixels from the view's
// top-left corner.
RectF LargestCentredBox(BoxRatio ratio, float viewWidth, float viewHeight);

}  // namespace quillora::canvas
