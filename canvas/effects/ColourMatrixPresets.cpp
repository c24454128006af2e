#include "canvas/effects/ColourMatrixPresets.h"

namespace quillora::canvas {

namespace {

constexpr int kRed = 0;
constexpr int kGreen = 1;
constexpr int kBlue = 2;
constexpr int kAlpha = 3;
constexpr int kTranslation = 4;

constexpr int At(int row, int column) {
    return row * 5 + column;
}

}  // namespace

imaging::ColourMatrix AlphaFactorMatrix(float opacity) {
    imaging::ColourMatrix m = imaging::identityMatrix();
    m[At(kAlpha, kAlpha)] = opacity;
    return m;
}

imaging::ColourMatrix FilterPresetMatrix(int preset, float opacity) {
    imaging::ColourMatrix m = AlphaFactorMatrix(opacity);
    switch (preset) {
        case 1:  // grey: every channel becomes 0.3 r + 0.59 g + 0.11 b
            for (int out = kRed; out <= kBlue; ++out) {
                m[At(kRed, out)] = 0.3f;
                m[At(kGreen, out)] = 0.59f;
                m[At(kBlue, out)] = 0.11f;
            }
            break;
        case 2:  // high-key black and white: every channel becomes r + g + b
            for (int in = kRed; in <= kBlue; ++in) {
                for (int out = kRed; out <= kBlue; ++out) {
                    m[At(in, out)] = 1.0f;
                }
            }
            break;
        case 3:  // warm
            m[At(kGreen, kGreen)] = 0.88f;
            m[At(kBlue, kBlue)] = 0.69f;
            break;
        case 4:  // red tone, red lifted by a tenth of full intensity
            m[At(kRed, kRed)] = 0.8f;
            m[At(kGreen, kGreen)] = 0.1f;
            m[At(kBlue, kBlue)] = 0.2f;
            m[At(kTranslation, kRed)] = 0.1f;
            break;
        case 5:  // half of blue added into red
            m[At(kBlue, kRed)] = 0.5f;
            break;
        case 6:  // green tint
            m[At(kRed, kRed)] = 0.9f;
            m[At(kGreen, kGreen)] = 1.1f;
            m[At(kBlue, kBlue)] = 0.9f;
            break;
        case 7:  // strong warm boost of red and green
            m[At(kRed, kRed)] = 1.75f;
            m[At(kGreen, kGreen)] = 1.2f;
            break;
        default:
            break;
    }
    return m;
}

}  // namespace quillora::canvas
