#include "canvas/imaging/AreaScale.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "canvas/imaging/Parallel.h"

namespace quillora::imaging {

namespace {

// Which source pixels of one axis an output pixel covers, and by how much:
// weights[offset .. offset + count) belong to source pixels first, first + 1,
// ... The weights of one output pixel add up to the scale factor.
struct Span {
    int first = 0;
    int count = 0;
    int offset = 0;
};

struct AxisSpans {
    std::vector<Span> spans;
    std::vector<float> weights;
};

AxisSpans MakeSpans(int sourceLength, int outputLength) {
    AxisSpans axis;
    axis.spans.resize(static_cast<std::size_t>(outputLength));
    const double factor = static_cast<double>(sourceLength) / outputLength;
    axis.weights.reserve(static_cast<std::size_t>(sourceLength + 2 * outputLength));
    for (int o = 0; o < outputLength; ++o) {
        const double start = o * factor;
        const double end = std::min<double>((o + 1) * factor, sourceLength);
        Span& span = axis.spans[static_cast<std::size_t>(o)];
        span.first = std::min(static_cast<int>(start), sourceLength - 1);
        span.offset = static_cast<int>(axis.weights.size());
        for (int s = span.first; s < sourceLength && s < end; ++s) {
            const double weight = std::min<double>(end, s + 1) - std::max<double>(start, s);
            if (weight <= 1e-9) {
                continue;
            }
            if (span.count == 0) {
                span.first = s;
            }
            axis.weights.push_back(static_cast<float>(weight));
            ++span.count;
        }
    }
    return axis;
}

std::uint32_t Channel(float sum, float divisor) {
    const float value = sum / divisor + 0.5f;
    return value >= 255.0f ? 255u : (value <= 0.0f ? 0u : static_cast<std::uint32_t>(value));
}

// One source row shrunk to the output width: per output pixel the
// weighed sums of blue, green and red times alpha, and of alpha, in that
// order (four floats a pixel).
#if defined(__SSE2__)
void ShrinkRow(const std::uint32_t* line, const AxisSpans& columns, int width, float* sums) {
    const __m128 colourLanes = _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1));
    const __m128 oneInAlpha = _mm_set_ps(1.0f, 0.0f, 0.0f, 0.0f);
    const __m128i zero = _mm_setzero_si128();
    for (int x = 0; x < width; ++x) {
        const Span& span = columns.spans[static_cast<std::size_t>(x)];
        const float* weight = columns.weights.data() + span.offset;
        const std::uint32_t* pixel = line + span.first;
        __m128 sum = _mm_setzero_ps();
        for (int k = 0; k < span.count; ++k) {
            __m128i p = _mm_cvtsi32_si128(static_cast<int>(pixel[k]));
            p = _mm_unpacklo_epi16(_mm_unpacklo_epi8(p, zero), zero);
            const __m128 v = _mm_cvtepi32_ps(p);
            const __m128 alpha =
                _mm_mul_ps(_mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3)), _mm_set1_ps(weight[k]));
            const __m128 colour = _mm_or_ps(_mm_and_ps(v, colourLanes), oneInAlpha);
            sum = _mm_add_ps(sum, _mm_mul_ps(colour, alpha));
        }
        _mm_storeu_ps(sums + 4 * x, sum);
    }
}

void AddWeighed(float* total, const float* sums, float weight, int count) {
    const __m128 w = _mm_set1_ps(weight);
    for (int i = 0; i < count; i += 4) {
        _mm_storeu_ps(total + i,
                      _mm_add_ps(_mm_loadu_ps(total + i), _mm_mul_ps(_mm_loadu_ps(sums + i), w)));
    }
}
#else
void ShrinkRow(const std::uint32_t* line, const AxisSpans& columns, int width, float* sums) {
    for (int x = 0; x < width; ++x) {
        const Span& span = columns.spans[static_cast<std::size_t>(x)];
        const float* weight = columns.weights.data() + span.offset;
        float a = 0.0f, r = 0.0f, g = 0.0f, b = 0.0f;
        for (int k = 0; k < span.count; ++k) {
            const std::uint32_t p = line[span.first + k];
            const float alpha = static_cast<float>(p >> 24) * weight[k];
            b += alpha * static_cast<float>(p & 0xFFu);
            g += alpha * static_cast<float>((p >> 8) & 0xFFu);
            r += alpha * static_cast<float>((p >> 16) & 0xFFu);
            a += alpha;
        }
        sums[4 * x] = b;
        sums[4 * x + 1] = g;
        sums[4 * x + 2] = r;
        sums[4 * x + 3] = a;
    }
}

void AddWeighed(float* total, const float* sums, float weight, int count) {
    for (int i = 0; i < count; ++i) {
        total[i] += sums[i] * weight;
    }
}
#endif

// Output rows [firstRow, endRow): each source row under an output row is
// shrunk to the output width and added with its weight, then the sums
// become pixels.
void ScaleRows(const QImage& source, QImage& target, const AxisSpans& columns,
               const AxisSpans& rows, int firstRow, int endRow, float area) {
    const int width = target.width();
    const std::size_t count = std::size_t(4) * static_cast<std::size_t>(width);
    std::vector<float> shrunk(count);
    std::vector<float> total(count);
    for (int y = firstRow; y < endRow; ++y) {
        std::fill(total.begin(), total.end(), 0.0f);
        const Span& rowSpan = rows.spans[static_cast<std::size_t>(y)];
        for (int k = 0; k < rowSpan.count; ++k) {
            const auto* line =
                reinterpret_cast<const std::uint32_t*>(source.constScanLine(rowSpan.first + k));
            ShrinkRow(line, columns, width, shrunk.data());
            AddWeighed(total.data(), shrunk.data(),
                       rows.weights[static_cast<std::size_t>(rowSpan.offset + k)],
                       static_cast<int>(count));
        }
        auto* out = reinterpret_cast<std::uint32_t*>(target.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float* sum = total.data() + std::size_t(4) * static_cast<std::size_t>(x);
            const float a = sum[3];
            const std::uint32_t alpha = Channel(a, area);
            out[x] = alpha == 0 ? 0u
                                : (alpha << 24) | (Channel(sum[2], a) << 16) |
                                      (Channel(sum[1], a) << 8) | Channel(sum[0], a);
        }
    }
}

}  // namespace

QImage areaDownscale(const QImage& source, int width, int height) {
    if (source.isNull() || source.format() != QImage::Format_ARGB32 || width <= 0 || height <= 0 ||
        width > source.width() || height > source.height()) {
        return {};
    }
    try {
        QImage target(width, height, QImage::Format_ARGB32);
        if (target.isNull()) {
            return {};
        }
        const AxisSpans columns = MakeSpans(source.width(), width);
        const AxisSpans rows = MakeSpans(source.height(), height);
        const float area = static_cast<float>(static_cast<double>(source.width()) / width *
                                              source.height() / height);
        // Bands of whole output rows; several per thread so that a thread
        // slowed by other work is helped by the others.
        const qint64 pixels = qint64{source.width()} * source.height();
        const int bandCount =
            pixels < (qint64{1} << 19) ? 1 : std::min(height, parallelThreadCount() * 8);
        const bool done = parallelFor(bandCount, [&](int band) {
            const int first = static_cast<int>(qint64{height} * band / bandCount);
            const int end = static_cast<int>(qint64{height} * (band + 1) / bandCount);
            ScaleRows(source, target, columns, rows, first, end, area);
        });
        return done ? target : QImage();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace quillora::imaging
