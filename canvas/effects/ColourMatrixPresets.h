#pragma once

#include "canvas/imaging/Effects.h"

namespace quillora::canvas {

inline constexpr int kFilterPresetCount = 8;

// The identity with only the alpha-to-alpha entry set: alpha times opacity,
// colour untouched.
imaging::ColourMatrix AlphaFactorMatrix(float opacity);

// The colour filter of a preset (0 = none ... 7) with opacity as its alpha
// entry. A preset outside 0..7 gives the plain alpha factor.
imaging::ColourMatrix FilterPresetMatrix(int preset, float opacity);

}  // namespace quillora::canvas
