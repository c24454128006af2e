#include "canvas/effects/ParameterRules.h"

#include "canvas/effects/EffectParams.h"

namespace quillora::canvas {

namespace {

bool Store(int& field, int value) {
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

bool StorePercent(int& percent, float& opacity, const IntParam& range, int value) {
    if (!Store(percent, range.Clamp(value))) {
        return false;
    }
    opacity = OpacityFromPercent(percent);
    return true;
}

ColourChange StoreLayerColour(Argb& colour, ColourRef ref, bool off) {
    if (off) {
        if (AlphaOf(colour) == 0) {
            return ColourChange::None;
        }
        colour = 0;
        return ColourChange::TurnedOff;
    }
    const Argb chosen = ArgbFromColourRef(ref, 0xFF000000u);
    if (chosen == colour) {
        return ColourChange::None;
    }
    colour = chosen;
    return ColourChange::Changed;
}

}  // namespace

bool SetShadowDistance(ShadowParams& shadow, int distance) {
    return Store(shadow.distance, params::kShadowDistance.Clamp(distance));
}

bool SetShadowAngle(ShadowParams& shadow, int degrees) {
    return Store(shadow.angle, params::kShadowAngle.Clamp(degrees));
}

bool SetShadowBlur(ShadowParams& shadow, int radius) {
    return Store(shadow.blur, params::kShadowBlur.Clamp(radius));
}

bool SetShadowTransparency(ShadowParams& shadow, int percent) {
    return StorePercent(shadow.transparency, shadow.opacity, params::kShadowTransparency, percent);
}

ColourChange SetShadowColour(ShadowParams& shadow, ColourRef ref, bool off) {
    return StoreLayerColour(shadow.colour, ref, off);
}

bool SetBorderThickness(BorderParams& border, int thickness) {
    return Store(border.thickness, params::kBorderThickness.Clamp(thickness));
}

bool SetBorderTransparency(BorderParams& border, int percent) {
    return StorePercent(border.transparency, border.opacity, params::kBorderTransparency, percent);
}

ColourChange SetBorderColour(BorderParams& border, ColourRef ref, bool off) {
    return StoreLayerColour(border.colour, ref, off);
}

bool SetFilterPreset(FilterParams& filter, int preset) {
    return Store(filter.preset, params::kFilterPreset.Clamp(preset));
}

bool SetBrightness(FilterParams& filter, int level) {
    return Store(filter.brightness, params::kBrightness.Clamp(level));
}

bool SetContrast(FilterParams& filter, int level) {
    return Store(filter.contrast, params::kContrast.Clamp(level));
}

bool SetSaturation(FilterParams& filter, int level) {
    return Store(filter.saturation, params::kSaturation.Clamp(level));
}

bool SetBlurry(FilterParams& filter, int radius) {
    return Store(filter.blurry, params::kBlurry.Clamp(radius));
}

bool SetFilterTransparency(FilterParams& filter, int percent) {
    return StorePercent(filter.transparency, filter.opacity, params::kFilterTransparency, percent);
}

void SetSharpen(FilterParams& filter, int level) {
    filter.sharpen = params::kSharpen.Clamp(level);
}

bool IsNeutral(const FilterParams& filter) {
    return filter.preset == 0 && filter.brightness == 0 && filter.contrast == 0 &&
           filter.saturation == 0 && filter.blurry == 0 && filter.opacity == 1.0f;
}

bool SetBrushSize(BrushParams& brush, int size) {
    return Store(brush.size, params::kBrushSize.Clamp(size));
}

bool SetBrushSoftness(BrushParams& brush, int softness) {
    return Store(brush.softness, params::kBrushSoftness.Clamp(softness));
}

bool SetBrushKind(BrushParams& brush, int kind) {
    const BrushKind chosen =
        kind == static_cast<int>(BrushKind::Erase) ? BrushKind::Erase : BrushKind::Add;
    if (brush.kind == chosen) {
        return false;
    }
    brush.kind = chosen;
    return true;
}

bool SetTintColour(BrushParams& brush, ColourRef ref) {
    const Argb colour = ArgbFromColourRef(ref, brush.tintColour);
    if (colour == brush.tintColour) {
        return false;
    }
    brush.tintColour = colour;
    return true;
}

}  // namespace quillora::canvas
