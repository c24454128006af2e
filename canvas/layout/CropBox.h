#pragma once

#include "canvas/document/ParameterGroups.h"

namespace quillora::canvas {

// A size option was chosen (or the pages were laid out again): the preset
// is stored, any applied crop is withdrawn and the crop box becomes the
// largest box of the preset's ratio centred in the change-size page's view
// of viewWidth x viewHeight (the whole view for a free preset). False, with
// nothing changed, for an unknown preset number.
bool ChooseSizePreset(BackgroundParams& background, int preset, float viewWidth, float viewHeight);

// The crop is submitted: the change-size page shows only the box's part and
// a save is cropped to it. False (nothing to apply) while no box is shown.
bool ApplyCropBox(BackgroundParams& background);

}  // namespace quillora::canvas
