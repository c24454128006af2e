#pragma once

#include <cstdint>

namespace quillora::canvas {

// The five tool pages of the canvas, in the order of their page options.
enum class EditMode : std::int32_t {
    CutOut = 0,
    ShadowBorder = 1,
    FilterToning = 2,
    ChangeBackground = 3,
    ChangeSize = 4,
};

inline constexpr int kEditModeCount = 5;

inline constexpr int ModeIndex(EditMode mode) {
    return static_cast<int>(mode);
}

inline constexpr bool IsValidMode(int value) {
    return value >= 0 && value < kEditModeCount;
}

}  // namespace quillora::canvas
