#include "canvas/layout/SizePresets.h"

namespace quillora::canvas {

BoxRatio PresetRatio(int preset, float viewWidth, float viewHeight) {
    if (!IsValidSizePreset(preset)) {
        return {};
    }
    if (preset == kViewProportionsPreset) {
        const int w = static_cast<int>(viewWidth);
        const int h = static_cast<int>(viewHeight);
        if (w <= 0 || h <= 0) {
            return {};
        }
        return {static_cast<float>(w), static_cast<float>(h)};
    }
    const SizePreset& p = kSizePresets[static_cast<std::size_t>(preset)];
    return {static_cast<float>(p.ratioWidth), static_cast<float>(p.ratioHeight)};
}

RectF LargestCentredBox(BoxRatio ratio, float viewWidth, float viewHeight) {
    if (ratio.IsFree()) {
        return {0.0f, 0.0f, viewWidth, viewHeight};
    }
    const float fullHeightWidth = ratio.width * viewHeight / ratio.height;
    if (fullHeightWidth > viewWidth) {
        const float h = ratio.height * viewWidth / ratio.width;
        return {0.0f, (viewHeight - h) * 0.5f, viewWidth, h};
    }
    return {(viewWidth - fullHeightWidth) * 0.5f, 0.0f, fullHeightWidth, viewHeight};
}

}  // namespace quillora::canvas
