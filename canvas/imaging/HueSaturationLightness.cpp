#include <cmath>
#include <cstdlib>

#include "canvas/imaging/Effects.h"

namespace quillora::imaging {

namespace {

constexpr int kMaxHue = 180;
constexpr int kMaxSaturation = 100;
constexpr int kMaxLightness = 100;
constexpr double kPi = 3.141592653589793;
// Luminance weights of red, green and blue (ITU-R BT.601): the grey a colour
// keeps when its saturation is removed.
constexpr double kLuma[3] = {0.299, 0.587, 0.114};

using Matrix3 = std::array<std::array<double, 3>, 3>;  // [output][input]

Matrix3 multiply(const Matrix3& a, const Matrix3& b) {
    Matrix3 c{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) {
                c[i][j] += a[i][k] * b[k][j];
            }
        }
    }
    return c;
}

// Rotation about the grey axis (1, 1, 1): greys stay, and 120 degrees maps
// red to green, green to blue and blue to red exactly.
Matrix3 hueRotation(int degrees) {
    const double angle = degrees * kPi / 180.0;
    const double c = std::cos(angle);
    const double k = (1.0 - c) / 3.0;
    const double q = std::sin(angle) / std::sqrt(3.0);
    return Matrix3{{{c + k, k - q, k + q}, {k + q, c + k, k - q}, {k - q, k + q, c + k}}};
}

// Each channel moves away from the colour's luminance by the factor.
Matrix3 saturationScale(int level) {
    const double factor = 1.0 + level / 100.0;
    Matrix3 m{};
    for (int out = 0; out < 3; ++out) {
        for (int in = 0; in < 3; ++in) {
            m[out][in] = (1.0 - factor) * kLuma[in] + (out == in ? factor : 0.0);
        }
    }
    return m;
}

}  // namespace

bool hueSaturationLightness(QImage& image, int hue, int saturation, int lightness) {
    if (image.isNull() || image.format() != QImage::Format_ARGB32 || std::abs(hue) > kMaxHue ||
        std::abs(saturation) > kMaxSaturation || std::abs(lightness) > kMaxLightness) {
        return false;
    }
    if (hue == 0 && saturation == 0 && lightness == 0) {
        return true;
    }
    const Matrix3 colour = multiply(saturationScale(saturation), hueRotation(hue));
    // Lightness blends towards black or white: v * (1 - |l|) (+ |l| for white).
    const double keep = 1.0 - std::abs(lightness) / 100.0;
    const double lift = lightness > 0 ? lightness / 100.0 : 0.0;

    ColourMatrix m = identityMatrix();
    for (int out = 0; out < 3; ++out) {
        for (int in = 0; in < 3; ++in) {
            m[in * 5 + out] = static_cast<float>(colour[out][in] * keep);
        }
        m[20 + out] = static_cast<float>(lift);
    }
    return colourMatrix(image, m);
}

}  // namespace quillora::imaging
