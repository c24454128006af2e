#pragma once

#include <algorithm>

namespace quillora::canvas {

// One adjustable value of the canvas: the range the tool panel offers and the
// value a fresh document starts with. The panel clamps with it, the canvas
// starts from it and the tests read it, so each number lives here only.
struct IntParam {
    int minimum;
    int maximum;
    int initial;

    constexpr int Clamp(int value) const { return std::clamp(value, minimum, maximum); }
};

namespace params {

// Refinement brush: diameter in image pixels, and edge softness from 10 (a
// hard edge, the only edge older versions drew) to 100 (the whole radius is
// a ramp). A fresh document draws hard edges so that default results are
// unchanged.
inline constexpr IntParam kBrushSize{10, 100, 20};
inline constexpr IntParam kBrushSoftness{10, 100, 10};

// Shadow: offset length in image pixels, direction in degrees clockwise on
// screen (0 to the right, 90 downwards), blur radius in image pixels, and
// opacity in percent.
inline constexpr IntParam kShadowDistance{0, 100, 20};
inline constexpr IntParam kShadowAngle{0, 360, 0};
inline constexpr IntParam kShadowBlur{0, 100, 20};
inline constexpr IntParam kShadowTransparency{0, 100, 50};

// Border: ring width in image pixels, opacity in percent.
inline constexpr IntParam kBorderThickness{0, 50, 2};
inline constexpr IntParam kBorderTransparency{0, 100, 100};

// Filter and toning. The panel's brightness, contrast and saturation sliders
// run 0..100 and send their value minus kToningSliderOffset.
inline constexpr IntParam kFilterPreset{0, 7, 0};
inline constexpr IntParam kBrightness{-50, 50, 0};
inline constexpr IntParam kContrast{-50, 50, 0};
inline constexpr IntParam kSaturation{-50, 50, 0};
inline constexpr IntParam kSharpen{0, 50, 0};
inline constexpr IntParam kBlurry{0, 50, 0};
inline constexpr IntParam kFilterTransparency{0, 100, 100};
inline constexpr int kToningSliderOffset = 50;

}  // namespace params

// Opacity of a transparency percentage: 0 is invisible, 100 or more opaque.
constexpr float OpacityFromPercent(int percent) {
    if (percent <= 0) {
        return 0.0f;
    }
    if (percent >= 100) {
        return 1.0f;
    }
    return static_cast<float>(percent) / 100.0f;
}

}  // namespace quillora::canvas
