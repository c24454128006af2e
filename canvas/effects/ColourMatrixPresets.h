#pragma once

#include <array>

namespace quillora::canvas {

// A 5 x 5 colour matrix, row-major: output channel j is the sum over i of
// input i times entry [i][j], channels red, green, blue, alpha, and row 4 a
// translation in units of full intensity.
using ColourMatrix5 = std::array<float, 25>;

inline constexpr int kFilterPresetCount = 8;

ColourMatrix5 IdentityColourMatrix();

// The identity with only the alpha-to-alpha entry set: alpha times opacity,
// colour untouched.
ColourMatrix5 AlphaFactorMatrix(float opacity);

// The colour filter of a preset (0 = none ... 7) with opacity as its alpha
// entry. A preset outside 0..7 gives the plain alpha factor.
ColourMatrix5 FilterPresetMatrix(int preset, float opacity);

}  // namespace quillora::canvas
