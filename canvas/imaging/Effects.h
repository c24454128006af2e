#pragma once

#include <QImage>

#include <array>

// The four picture effects. Each works in place on a Format_ARGB32 picture
// (straight alpha) and returns false, leaving the picture untouched, when the
// picture is null, not ARGB32, or a parameter is unusable. Neutral parameters
// (radius 0, levels 0, the identity matrix) leave the picture bit-for-bit as
// it was. Large pictures are spread over the processor's cores.
namespace quillora::imaging {

// Row-major 5 x 5 matrix applied to the row vector (r, g, b, a, 1), each
// channel in 0..1: output channel j = sum over i of input i * m[i * 5 + j].
// Channels are red, green, blue, alpha; row 4 is a translation in units of
// full intensity. Results are rounded to the nearest level and clamped.
using ColourMatrix = std::array<float, 25>;

constexpr ColourMatrix identityMatrix() {
    ColourMatrix m{};
    for (int i = 0; i < 5; ++i) {
        m[i * 5 + i] = 1.0f;
    }
    return m;
}

inline constexpr float kMaxBlurRadius = 255.0f;

// Gaussian blur with standard deviation radius / 2, computed on premultiplied
// colour so fully transparent pixels lend no colour to their neighbours.
// expandEdge true: everything outside the picture counts as transparent, so
// the content fades out towards the picture's border (a drop shadow's soft
// rim). expandEdge false: the border pixels extend outwards, so a picture
// keeps its colour and opacity up to its edge. Radii above kMaxBlurRadius
// blur as kMaxBlurRadius; a negative or non-finite radius fails.
bool gaussianBlur(QImage& image, float radius, bool expandEdge);
// For the tests: false makes an expandEdge blur work on the whole picture
// even where it has a wide wholly-zero surround (the result is the same).
void setClearSurroundSkipped(bool skipped);

// Brightness -255..255 adds that many levels to red, green and blue; contrast
// -100..100 then scales their distance from mid-grey by (100 + contrast) / 100
// below 0 (-100 gives flat grey) and by 100 / (100 - contrast) above 0 (100
// gives a hard threshold). Alpha is untouched. Out-of-range levels fail.
bool brightnessContrast(QImage& image, int brightness, int contrast);

// Hue -180..180 rotates colours about the grey axis by that many degrees
// (120 turns red into green); saturation -100..100 moves colours away from or
// towards their luminance grey (-100 gives greyscale, 100 doubles the
// distance); lightness -100..100 blends towards black (below 0) or white
// (above 0). Alpha is untouched. The three combine into one colour matrix,
// clamped once. Out-of-range levels fail.
bool hueSaturationLightness(QImage& image, int hue, int saturation, int lightness);

// The matrix applied to every pixel, alpha included. A matrix holding NaN or
// infinity fails.
bool colourMatrix(QImage& image, const ColourMatrix& matrix);

}  // namespace quillora::imaging
