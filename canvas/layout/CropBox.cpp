#include "canvas/layout/CropBox.h"

#include "canvas/layout/SizePresets.h"

namespace quillora::canvas {

bool ChooseSizePreset(BackgroundParams& background, int preset, float viewWidth, float viewHeight) {
    if (!IsValidSizePreset(preset)) {
        return false;
    }
    background.cropApplied = false;
    background.cropActive = true;
    background.sizePreset = preset;
    background.cropRect =
        LargestCentredBox(PresetRatio(preset, viewWidth, viewHeight), viewWidth, viewHeight);
    return true;
}

bool ApplyCropBox(BackgroundParams& background) {
    if (!background.cropActive) {
        return false;
    }
    background.cropApplied = true;
    return true;
}

}  // namespace quillora::canvas
