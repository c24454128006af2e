#include "canvas/png/PngRows.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillora::png {

namespace {

constexpr int kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4;

// Bytes B, G, R in memory become R, G, B; alpha is left out.
void ToRgb(const QImage& image, int y, std::uint8_t* rgb) {
    const auto* src = image.constScanLine(y);
    const int width = image.width();
    for (int x = 0; x < width; ++x) {
        rgb[0] = src[2];
        rgb[1] = src[1];
        rgb[2] = src[0];
        rgb += kRgbBytesPerPixel;
        src += kBytesPerPixel;
    }
}

// Bytes B, G, R, A in memory become R, G, B, A.
void ToRgba(const QImage& image, int y, std::uint8_t* rgba) {
    const auto* src = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    const int width = image.width();
    for (int x = 0; x < width; ++x) {
        const std::uint32_t p = src[x];
        const std::uint32_t swapped = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
        std::memcpy(rgba + std::size_t(x) * kBytesPerPixel, &swapped, sizeof swapped);
    }
}

inline int PaethPredictor(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return a;
    }
    return pb <= pc ? b : c;
}

// Magnitude of a filtered byte read as signed: 0..128.
inline std::uint32_t Magnitude(std::uint8_t v) {
    return v < 128 ? v : 256u - v;
}

void PrepareCandidates(std::size_t rowBytes, RowCandidates& out) {
    for (auto& residual : out.residuals) {
        residual.resize(rowBytes);
    }
    out.costs.fill(0);
}

// Candidates for bytes [from, to) with the plain formulas; a byte's left
// neighbours (a, c) are 0 in the first pixel.
void PlainRange(const std::uint8_t* cur, const std::uint8_t* prev, std::size_t from, std::size_t to,
                std::size_t bpp, RowCandidates& out) {
    for (std::size_t i = from; i < to; ++i) {
        const int x = cur[i];
        const int b = prev[i];
        const int a = i >= bpp ? cur[i - bpp] : 0;
        const int c = i >= bpp ? prev[i - bpp] : 0;
        const std::uint8_t values[kFilterCount] = {
            static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(x - a),
            static_cast<std::uint8_t>(x - b), static_cast<std::uint8_t>(x - ((a + b) >> 1)),
            static_cast<std::uint8_t>(x - PaethPredictor(a, b, c))};
        for (int f = 0; f < kFilterCount; ++f) {
            out.residuals[f][i] = values[f];
            out.costs[f] += Magnitude(values[f]);
        }
    }
}

#if defined(__SSE2__)

inline __m128i Abs16(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

inline __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

// The Paeth predictor of eight bytes widened to 16-bit lanes: with
// p = a + b - c, |p - a| = |b - c|, |p - b| = |a - c|, |p - c| = |a + b - 2c|.
inline __m128i Paeth16(__m128i a, __m128i b, __m128i c) {
    const __m128i bc = _mm_sub_epi16(b, c);
    const __m128i ac = _mm_sub_epi16(a, c);
    const __m128i pa = Abs16(bc);
    const __m128i pb = Abs16(ac);
    const __m128i pc = Abs16(_mm_add_epi16(bc, ac));
    const __m128i notA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
    const __m128i bOrC = Select(_mm_cmpgt_epi16(pb, pc), c, b);
    return Select(notA, bOrC, a);
}

inline __m128i PaethBytes(__m128i a, __m128i b, __m128i c) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low =
        Paeth16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(c, zero));
    const __m128i high =
        Paeth16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(c, zero));
    return _mm_packus_epi16(low, high);
}

// Sum of the sixteen magnitudes, in the two 64-bit lanes.
inline __m128i MagnitudeSums(__m128i v) {
    const __m128i zero = _mm_setzero_si128();
    return _mm_sad_epu8(_mm_min_epu8(v, _mm_sub_epi8(zero, v)), zero);
}

inline std::uint64_t LaneTotal(__m128i sums) {
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(sums)) +
           static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
}

#endif

}  // namespace

void FilterCandidatesPlain(const std::uint8_t* cur, const std::uint8_t* prev, std::size_t rowBytes,
                           RowCandidates& out, int bytesPerPixel) {
    PrepareCandidates(rowBytes, out);
    PlainRange(cur, prev, 0, rowBytes, static_cast<std::size_t>(bytesPerPixel), out);
}

void FilterCandidates(const std::uint8_t* cur, const std::uint8_t* prev, std::size_t rowBytes,
                      RowCandidates& out, int bytesPerPixel) {
#if defined(__SSE2__)
    PrepareCandidates(rowBytes, out);
    const auto bpp = static_cast<std::size_t>(bytesPerPixel);
    const std::size_t lead = std::min<std::size_t>(bpp, rowBytes);
    PlainRange(cur, prev, 0, lead, bpp, out);
    constexpr std::size_t kStep = 16;
    const __m128i one = _mm_set1_epi8(1);
    __m128i sums[kFilterCount];
    for (__m128i& s : sums) {
        s = _mm_setzero_si128();
    }
    std::size_t i = lead;
    for (; i + kStep <= rowBytes; i += kStep) {
        const auto load = [](const std::uint8_t* p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        };
        const __m128i x = load(cur + i);
        const __m128i a = load(cur + i - bpp);
        const __m128i b = load(prev + i);
        const __m128i c = load(prev + i - bpp);
        // _mm_avg_epu8 rounds up; PNG's average rounds down.
        const __m128i average =
            _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
        const __m128i values[kFilterCount] = {x, _mm_sub_epi8(x, a), _mm_sub_epi8(x, b),
                                              _mm_sub_epi8(x, average),
                                              _mm_sub_epi8(x, PaethBytes(a, b, c))};
        for (int f = 0; f < kFilterCount; ++f) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out.residuals[f].data() + i), values[f]);
            sums[f] = _mm_add_epi64(sums[f], MagnitudeSums(values[f]));
        }
    }
    for (int f = 0; f < kFilterCount; ++f) {
        out.costs[f] += LaneTotal(sums[f]);
    }
    PlainRange(cur, prev, i, rowBytes, bpp, out);
#else
    FilterCandidatesPlain(cur, prev, rowBytes, out, bytesPerPixel);
#endif
}

RowFilter CheapestFilter(const RowCandidates& candidates) {
    int best = kNone;
    for (int f = kSub; f <= kPaeth; ++f) {
        if (candidates.costs[f] < candidates.costs[best]) {
            best = f;
        }
    }
    return static_cast<RowFilter>(best);
}

void FilterRows(const QImage& image, int first, int end, std::uint8_t* out, int bytesPerPixel,
                FilterChoice choice) {
    const bool rgb = bytesPerPixel == kRgbBytesPerPixel;
    const int bpp = rgb ? kRgbBytesPerPixel : kBytesPerPixel;
    const std::size_t rowBytes = std::size_t(image.width()) * std::size_t(bpp);
    const auto convert = [&](int y, std::uint8_t* row) {
        if (rgb) {
            ToRgb(image, y, row);
        } else {
            ToRgba(image, y, row);
        }
    };
    // Two rows that swap roles as the band moves down.
    std::vector<std::uint8_t> rows(rowBytes * 2, 0);
    std::uint8_t* prev = rows.data();
    std::uint8_t* cur = rows.data() + rowBytes;
    if (first > 0) {
        convert(first - 1, prev);
    }
    RowCandidates candidates;
    for (int y = first; y < end; ++y) {
        convert(y, cur);
        if (choice == FilterChoice::AlwaysUp) {
            // Only the one filter is needed.
            out[0] = static_cast<std::uint8_t>(RowFilter::Up);
            for (std::size_t i = 0; i < rowBytes; ++i) {
                out[1 + i] = static_cast<std::uint8_t>(cur[i] - prev[i]);
            }
            out += rowBytes + 1;
            std::swap(prev, cur);
            continue;
        }
        FilterCandidates(cur, prev, rowBytes, candidates, bpp);
        const RowFilter filter = CheapestFilter(candidates);
        out[0] = static_cast<std::uint8_t>(filter);
        std::memcpy(out + 1, candidates.residuals[static_cast<int>(filter)].data(), rowBytes);
        out += rowBytes + 1;
        std::swap(prev, cur);
    }
}

FilterChoice ChooseFilterChoice(const QImage& image, int first, int end, int bytesPerPixel) {
    const int trialEnd = std::min(end, first + kTrialRows);
    if (trialEnd <= first) {
        return FilterChoice::SmallestSum;
    }
    // The writer's compressor and level.
    struct Free {
        void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
    };
    const std::unique_ptr<libdeflate_compressor, Free> compressor(libdeflate_alloc_compressor(1));
    if (!compressor) {
        return FilterChoice::SmallestSum;
    }
    const std::size_t size =
        FilteredRowBytes(image.width(), bytesPerPixel) * std::size_t(trialEnd - first);
    std::vector<std::uint8_t> filtered(size);
    std::vector<std::uint8_t> packed(libdeflate_deflate_compress_bound(compressor.get(), size));
    const auto compressedSize = [&](FilterChoice choice) {
        FilterRows(image, first, trialEnd, filtered.data(), bytesPerPixel, choice);
        return libdeflate_deflate_compress(compressor.get(), filtered.data(), size, packed.data(),
                                           packed.size());
    };
    const std::size_t smallestSum = compressedSize(FilterChoice::SmallestSum);
    const std::size_t alwaysUp = compressedSize(FilterChoice::AlwaysUp);
    return smallestSum != 0 && alwaysUp != 0 && alwaysUp < smallestSum ? FilterChoice::AlwaysUp
                                                                       : FilterChoice::SmallestSum;
}

bool IsOpaque(const QImage& image) {
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        std::uint32_t all = 0xFF000000u;
        for (int x = 0; x < width; ++x) {
            all &= row[x];
        }
        if ((all & 0xFF000000u) != 0xFF000000u) {
            return false;
        }
    }
    return true;
}

}  // namespace quillora::png
