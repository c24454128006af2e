#include "canvas/png/PngUnfilter.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillora::png {

namespace {

constexpr std::uint8_t kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4;

inline std::uint8_t PaethPredictor(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return static_cast<std::uint8_t>(a);
    }
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

void UnfilterUp(std::uint8_t* row, const std::uint8_t* prior, std::size_t rowBytes) {
    // Independent bytes: the compiler vectorises this loop on its own.
    for (std::size_t i = 0; i < rowBytes; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
    }
}

#if defined(__SSE2__)

inline __m128i Load4(const std::uint8_t* p) {
    std::int32_t v;
    std::memcpy(&v, p, sizeof v);
    return _mm_cvtsi32_si128(v);
}

inline void Store4(std::uint8_t* p, __m128i v) {
    const std::int32_t value = _mm_cvtsi128_si32(v);
    std::memcpy(p, &value, sizeof value);
}

// Four-byte pixels: each pixel depends on the one before, so the vector
// holds one pixel's channels and walks along the row.
void UnfilterSub4(std::uint8_t* row, std::size_t rowBytes) {
    __m128i left = _mm_setzero_si128();
    for (std::size_t i = 0; i + 4 <= rowBytes; i += 4) {
        left = _mm_add_epi8(Load4(row + i), left);
        Store4(row + i, left);
    }
}

void UnfilterAverage4(std::uint8_t* row, const std::uint8_t* prior, std::size_t rowBytes) {
    const __m128i one = _mm_set1_epi8(1);
    __m128i left = _mm_setzero_si128();
    for (std::size_t i = 0; i + 4 <= rowBytes; i += 4) {
        const __m128i up = Load4(prior + i);
        // _mm_avg_epu8 rounds up; the filter's mean rounds down.
        const __m128i mean =
            _mm_sub_epi8(_mm_avg_epu8(left, up), _mm_and_si128(_mm_xor_si128(left, up), one));
        left = _mm_add_epi8(Load4(row + i), mean);
        Store4(row + i, left);
    }
}

inline __m128i Abs16(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

// Selects a where mask is set, b elsewhere.
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

void UnfilterPaeth4(std::uint8_t* row, const std::uint8_t* prior, std::size_t rowBytes) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero;  // left, widened to 16 bits
    __m128i c = zero;  // upper left
    for (std::size_t i = 0; i + 4 <= rowBytes; i += 4) {
        const __m128i b = _mm_unpacklo_epi8(Load4(prior + i), zero);
        const __m128i pa = Abs16(_mm_sub_epi16(b, c));
        const __m128i pb = Abs16(_mm_sub_epi16(a, c));
        const __m128i pc = Abs16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
        // a when pa <= pb and pa <= pc; otherwise b when pb <= pc; else c.
        const __m128i takeA =
            _mm_and_si128(_mm_cmpgt_epi16(_mm_add_epi16(pb, _mm_set1_epi16(1)), pa),
                          _mm_cmpgt_epi16(_mm_add_epi16(pc, _mm_set1_epi16(1)), pa));
        const __m128i takeB = _mm_cmpgt_epi16(_mm_add_epi16(pc, _mm_set1_epi16(1)), pb);
        const __m128i predictor = Select(takeA, a, Select(takeB, b, c));
        const __m128i restored =
            _mm_add_epi8(Load4(row + i), _mm_packus_epi16(predictor, predictor));
        Store4(row + i, restored);
        a = _mm_unpacklo_epi8(restored, zero);
        c = b;
    }
}

#endif

}  // namespace

bool UnfilterRowPlain(std::uint8_t filterType, std::uint8_t* row, const std::uint8_t* prior,
                      std::size_t rowBytes, int bytesPerPixel) {
    const std::size_t bpp = static_cast<std::size_t>(bytesPerPixel);
    switch (filterType) {
        case kNone:
            return true;
        case kSub:
            for (std::size_t i = bpp; i < rowBytes; ++i) {
                row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
            }
            return true;
        case kUp:
            UnfilterUp(row, prior, rowBytes);
            return true;
        case kAverage:
            for (std::size_t i = 0; i < rowBytes; ++i) {
                const int left = i >= bpp ? row[i - bpp] : 0;
                row[i] = static_cast<std::uint8_t>(row[i] + ((left + prior[i]) >> 1));
            }
            return true;
        case kPaeth:
            for (std::size_t i = 0; i < rowBytes; ++i) {
                const int left = i >= bpp ? row[i - bpp] : 0;
                const int upperLeft = i >= bpp ? prior[i - bpp] : 0;
                row[i] =
                    static_cast<std::uint8_t>(row[i] + PaethPredictor(left, prior[i], upperLeft));
            }
            return true;
        default:
            return false;
    }
}

bool UnfilterRow(std::uint8_t filterType, std::uint8_t* row, const std::uint8_t* prior,
                 std::size_t rowBytes, int bytesPerPixel) {
#if defined(__SSE2__)
    if (bytesPerPixel == 4 && rowBytes % 4 == 0) {
        switch (filterType) {
            case kSub:
                UnfilterSub4(row, rowBytes);
                return true;
            case kAverage:
                UnfilterAverage4(row, prior, rowBytes);
                return true;
            case kPaeth:
                UnfilterPaeth4(row, prior, rowBytes);
                return true;
            default:
                break;
        }
    }
#endif
    return UnfilterRowPlain(filterType, row, prior, rowBytes, bytesPerPixel);
}

}  // namespace quillora::png
