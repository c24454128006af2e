#pragma once

#include <cstdint>

#include "canvas/document/Colour.h"
#include "canvas/document/Geometry.h"
#include "canvas/effects/EffectParams.h"

namespace quillora::canvas {

// Size presets 0..17 of the change-size page; 0 is a free box.
inline constexpr int kSizePresetCount = 18;

inline constexpr Argb kInitialTintColour = 0x00FF0000u;

struct ShadowParams {
    int distance = params::kShadowDistance.initial;
    int angle = params::kShadowAngle.initial;
    int blur = params::kShadowBlur.initial;
    int transparency = params::kShadowTransparency.initial;
    float opacity = OpacityFromPercent(params::kShadowTransparency.initial);
    Argb colour = 0;  // alpha 0: no shadow
};

struct BorderParams {
    int thickness = params::kBorderThickness.initial;
    int transparency = params::kBorderTransparency.initial;
    float opacity = OpacityFromPercent(params::kBorderTransparency.initial);
    Argb colour = 0;  // alpha 0: no border
};

struct FilterParams {
    int preset = params::kFilterPreset.initial;
    int brightness = params::kBrightness.initial;
    int contrast = params::kContrast.initial;
    int sharpen = params::kSharpen.initial;
    int blurry = params::kBlurry.initial;
    int saturation = params::kSaturation.initial;
    int transparency = params::kFilterTransparency.initial;
    float opacity = OpacityFromPercent(params::kFilterTransparency.initial);
};

enum class BrushKind : std::int32_t { Add = 0, Erase = 1 };

struct BrushParams {
    BrushKind kind = BrushKind::Add;
    int size = params::kBrushSize.initial;
    int softness = params::kBrushSoftness.initial;
    Argb tintColour = kInitialTintColour;
};

enum class BackgroundKind : std::int32_t { None = 0, Colour = 1, Picture = 2 };

struct BackgroundParams {
    BackgroundKind kind = BackgroundKind::None;
    Argb colour = 0;
    // Where the cut-out layer goes in the change-background and change-size
    // pages, in view pixels from the view rectangle's top-left corner.
    RectF placementRect{};
    int sizePreset = 0;
    bool cropActive = false;
    bool cropApplied = false;
    int cropHit = 0;
    // The crop box, in the same view pixels as placementRect.
    RectF cropRect{};
};

}  // namespace quillora::canvas
