#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "canvas/imaging/CpuFeatures.h"
#include "canvas/imaging/Effects.h"
#include "canvas/imaging/RowBands.h"

namespace quillora::imaging {

namespace {

constexpr int kMaxBrightness = 255;
constexpr int kMaxContrast = 100;
constexpr double kMidGrey = 127.5;
// At full contrast every level moves this far from mid-grey: a threshold.
constexpr double kThresholdFactor = 65536.0;

// Each of red, green and blue: t = clamp(v + brightness), then
// floor((t - 127.5) * factor + 127.5 + 0.5), clamped. The constant terms
// are folded into offset; both kernels compute t * factor + offset in
// single precision with the same two roundings, so they agree exactly.
struct Levels {
    int brightness = 0;
    float factor = 1.0f;
    float offset = 0.5f;
};

Levels levelsFor(int brightness, int contrast) {
    double factor = 1.0;
    if (contrast == kMaxContrast) {
        factor = kThresholdFactor;
    } else if (contrast < 0) {
        factor = (100.0 + contrast) / 100.0;
    } else if (contrast > 0) {
        factor = 100.0 / (100.0 - contrast);
    }
    return Levels{brightness, float(factor), float(kMidGrey + 0.5 - kMidGrey * factor)};
}

inline uint32_t level(uint32_t v, const Levels& levels) {
    const int shifted = std::clamp(int(v) + levels.brightness, 0, 255);
    float y = float(shifted) * levels.factor;
    y = y + levels.offset;
    y = std::min(std::max(y, 0.0f), 255.0f);
    return uint32_t(y);
}

void rowPlain(const Levels& levels, uint32_t* row, int width) {
    for (int x = 0; x < width; ++x) {
        const uint32_t p = row[x];
        row[x] = (p & 0xFF000000u) | (level((p >> 16) & 0xFF, levels) << 16) |
                 (level((p >> 8) & 0xFF, levels) << 8) | level(p & 0xFF, levels);
    }
}

// Eight pixels per step; the brightness shift is a saturating byte add or
// subtract (0 for alpha), then each colour channel goes through the float
// formula on its own.
__attribute__((target("avx2"))) void rowAvx2(const Levels& levels, uint32_t* row, int width) {
    const uint32_t amount = uint32_t(std::abs(levels.brightness));
    const __m256i shift = _mm256_set1_epi32(int(amount | amount << 8 | amount << 16));
    const bool brighter = levels.brightness > 0;
    const __m256 factor = _mm256_set1_ps(levels.factor);
    const __m256 offset = _mm256_set1_ps(levels.offset);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 full = _mm256_set1_ps(255.0f);
    const __m256i low = _mm256_set1_epi32(0xFF);
    const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000u));
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
        const __m256i shifted =
            brighter ? _mm256_adds_epu8(pixels, shift) : _mm256_subs_epu8(pixels, shift);
        __m256i result = _mm256_and_si256(pixels, alphaMask);
        for (int channel = 0; channel < 3; ++channel) {
            const __m256i value = _mm256_and_si256(_mm256_srli_epi32(shifted, 8 * channel), low);
            __m256 y = _mm256_mul_ps(_mm256_cvtepi32_ps(value), factor);
            y = _mm256_add_ps(y, offset);
            y = _mm256_min_ps(_mm256_max_ps(y, zero), full);
            result =
                _mm256_or_si256(result, _mm256_slli_epi32(_mm256_cvttps_epi32(y), 8 * channel));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x), result);
    }
    rowPlain(levels, row + x, width - x);
}

}  // namespace

bool brightnessContrast(QImage& image, int brightness, int contrast) {
    if (image.isNull() || image.format() != QImage::Format_ARGB32 ||
        std::abs(brightness) > kMaxBrightness || std::abs(contrast) > kMaxContrast) {
        return false;
    }
    if (brightness == 0 && contrast == 0) {
        return true;
    }
    const Levels levels = levelsFor(brightness, contrast);
    const bool useAvx2 = avx2Enabled();
    const int width = image.width();
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    return forEachRowBand(image, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(bits + y * stride);
            if (useAvx2) {
                rowAvx2(levels, row, width);
            } else {
                rowPlain(levels, row, width);
            }
        }
    });
}

}  // namespace quillora::imaging
