#include <immintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "canvas/imaging/CpuFeatures.h"
#include "canvas/imaging/Effects.h"
#include "canvas/imaging/RowBands.h"

namespace quillora::imaging {

namespace {

// Matrices are indexed red, green, blue, alpha; pixels hold blue, green, red,
// alpha in memory. kMatrixIndex[k] is the matrix index of memory channel k.
constexpr int kMatrixIndex[4] = {2, 1, 0, 3};

// Fixed-point form: coefficients in 1/8192 units fit 16 bits while every
// entry is below 4 in magnitude, which holds for every matrix the canvas
// builds. Results then match the float formula to within the rounding of
// the coefficients (a few thousandths of a level).
constexpr int kFractionBits = 13;
constexpr float kOne = 1 << kFractionBits;
constexpr float kMaxFixedEntry = 32767.0f / kOne;
constexpr float kMaxFixedTranslation = 16.0f;

struct FixedMatrix {
    int16_t coef[4][4];  // [input memory channel][output memory channel]
    int32_t offset[4];   // translation in 1/8192 levels plus the rounding half
};

bool isIdentity(const ColourMatrix& m) {
    return m == identityMatrix();
}

bool allFinite(const ColourMatrix& m) {
    for (float v : m) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

bool fitsFixedPoint(const ColourMatrix& m) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (std::fabs(m[i * 5 + j]) >= kMaxFixedEntry) {
                return false;
            }
        }
        if (std::fabs(m[20 + i]) > kMaxFixedTranslation) {
            return false;
        }
    }
    return true;
}

FixedMatrix toFixed(const ColourMatrix& m) {
    FixedMatrix f{};
    for (int in = 0; in < 4; ++in) {
        for (int out = 0; out < 4; ++out) {
            const float entry = m[kMatrixIndex[in] * 5 + kMatrixIndex[out]];
            f.coef[in][out] = static_cast<int16_t>(std::lround(entry * kOne));
        }
    }
    for (int out = 0; out < 4; ++out) {
        const double translation = double{m[20 + kMatrixIndex[out]]} * 255.0 * kOne;
        f.offset[out] = static_cast<int32_t>(std::lround(translation)) + (1 << (kFractionBits - 1));
    }
    return f;
}

inline uint32_t clampLevel(int32_t v) {
    return static_cast<uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline uint32_t fixedPixel(const FixedMatrix& f, uint32_t p) {
    const int32_t x[4] = {int32_t(p & 0xFF), int32_t((p >> 8) & 0xFF), int32_t((p >> 16) & 0xFF),
                          int32_t(p >> 24)};
    uint32_t result = 0;
    for (int out = 0; out < 4; ++out) {
        int32_t v = f.offset[out];
        for (int in = 0; in < 4; ++in) {
            v += x[in] * f.coef[in][out];
        }
        result |= clampLevel(v >> kFractionBits) << (8 * out);
    }
    return result;
}

void fixedRowPlain(const FixedMatrix& f, uint32_t* row, int width) {
    for (int x = 0; x < width; ++x) {
        row[x] = fixedPixel(f, row[x]);
    }
}

// Eight pixels per step: each pixel's channels are spread into 16-bit pairs
// (blue, green) and (red, alpha) so one multiply-add per pair gives all four
// output channels; packing with saturation clamps to 0..255.
__attribute__((target("avx2"))) void fixedRowAvx2(const FixedMatrix& f, uint32_t* row, int width) {
    int16_t lowPairs[8];
    int16_t highPairs[8];
    for (int out = 0; out < 4; ++out) {
        lowPairs[2 * out] = f.coef[0][out];
        lowPairs[2 * out + 1] = f.coef[1][out];
        highPairs[2 * out] = f.coef[2][out];
        highPairs[2 * out + 1] = f.coef[3][out];
    }
    __m128i low128;
    __m128i high128;
    __m128i offset128;
    std::memcpy(&low128, lowPairs, sizeof low128);
    std::memcpy(&high128, highPairs, sizeof high128);
    std::memcpy(&offset128, f.offset, sizeof offset128);
    const __m256i lowCoef = _mm256_broadcastsi128_si256(low128);
    const __m256i highCoef = _mm256_broadcastsi128_si256(high128);
    const __m256i offset = _mm256_broadcastsi128_si256(offset128);
    __m256i lowPick[4];
    __m256i highPick[4];
    for (int p = 0; p < 4; ++p) {
        const char b = char(4 * p), g = char(4 * p + 1), r = char(4 * p + 2), a = char(4 * p + 3);
        const char z = char(0x80);
        lowPick[p] = _mm256_setr_epi8(b, z, g, z, b, z, g, z, b, z, g, z, b, z, g, z,  //
                                      b, z, g, z, b, z, g, z, b, z, g, z, b, z, g, z);
        highPick[p] = _mm256_setr_epi8(r, z, a, z, r, z, a, z, r, z, a, z, r, z, a, z,  //
                                       r, z, a, z, r, z, a, z, r, z, a, z, r, z, a, z);
    }
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
        __m256i sums[4];
        for (int p = 0; p < 4; ++p) {
            const __m256i low = _mm256_madd_epi16(_mm256_shuffle_epi8(pixels, lowPick[p]), lowCoef);
            const __m256i high =
                _mm256_madd_epi16(_mm256_shuffle_epi8(pixels, highPick[p]), highCoef);
            sums[p] = _mm256_srai_epi32(_mm256_add_epi32(_mm256_add_epi32(low, high), offset),
                                        kFractionBits);
        }
        const __m256i first = _mm256_packs_epi32(sums[0], sums[1]);
        const __m256i second = _mm256_packs_epi32(sums[2], sums[3]);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x),
                            _mm256_packus_epi16(first, second));
    }
    fixedRowPlain(f, row + x, width - x);
}

void floatRow(const ColourMatrix& m, uint32_t* row, int width) {
    for (int x = 0; x < width; ++x) {
        const uint32_t p = row[x];
        const float in[4] = {float((p >> 16) & 0xFF), float((p >> 8) & 0xFF), float(p & 0xFF),
                             float(p >> 24)};
        float out[4];
        for (int j = 0; j < 4; ++j) {
            double v = double{m[20 + j]} * 255.0;
            for (int i = 0; i < 4; ++i) {
                v += double{in[i]} * m[i * 5 + j];
            }
            v = std::floor(v + 0.5);
            out[j] = static_cast<float>(v < 0.0 ? 0.0 : (v > 255.0 ? 255.0 : v));
        }
        row[x] = (uint32_t(out[3]) << 24) | (uint32_t(out[0]) << 16) | (uint32_t(out[1]) << 8) |
                 uint32_t(out[2]);
    }
}

}  // namespace

bool colourMatrix(QImage& image, const ColourMatrix& matrix) {
    if (image.isNull() || image.format() != QImage::Format_ARGB32 || !allFinite(matrix)) {
        return false;
    }
    if (isIdentity(matrix)) {
        return true;
    }
    const int width = image.width();
    // bits() detaches a shared picture once, here; scanLine() from several
    // threads would each touch the picture's bookkeeping.
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const auto row = [&](int y) { return reinterpret_cast<uint32_t*>(bits + y * stride); };
    if (!fitsFixedPoint(matrix)) {
        return forEachRowBand(image, [&](int first, int end) {
            for (int y = first; y < end; ++y) {
                floatRow(matrix, row(y), width);
            }
        });
    }
    const FixedMatrix fixed = toFixed(matrix);
    const bool useAvx2 = avx2Enabled();
    return forEachRowBand(image, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            if (useAvx2) {
                fixedRowAvx2(fixed, row(y), width);
            } else {
                fixedRowPlain(fixed, row(y), width);
            }
        }
    });
}

}  // namespace quillora::imaging
