#pragma once

#include <cstdint>

namespace quillora::canvas {

// Colours inside the canvas are 0xAARRGGBB.
using Argb = std::uint32_t;
// Colours from the tool panels are colour references, 0x00BBGGRR.
using ColourRef = std::uint32_t;

// A panel option whose colour reference is this value means "none".
inline constexpr ColourRef kColourRefNone = 0xFFFFFFFFu;

inline constexpr std::uint32_t AlphaOf(Argb c) {
    return c >> 24;
}

// Red and blue swapped; the alpha byte comes from alphaSource, the colour
// the canvas already held.
inline constexpr Argb ArgbFromColourRef(ColourRef ref, Argb alphaSource) {
    const std::uint32_t red = ref & 0xFFu;
    const std::uint32_t green = (ref >> 8) & 0xFFu;
    const std::uint32_t blue = (ref >> 16) & 0xFFu;
    return (alphaSource & 0xFF000000u) | (red << 16) | (green << 8) | blue;
}

inline constexpr Argb WithAlpha(Argb c, std::uint32_t alpha) {
    return ((alpha & 0xFFu) << 24) | (c & 0x00FFFFFFu);
}

}  // namespace quillora::canvas
