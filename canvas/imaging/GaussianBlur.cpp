#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

#include "canvas/imaging/BlurPipeline.h"
#include "canvas/imaging/CpuFeatures.h"
#include "canvas/imaging/Effects.h"
#include "canvas/imaging/Parallel.h"
#include "canvas/imaging/RowBands.h"
#include "canvas/imaging/ScratchBuffer.h"

// The blur's standard deviation is half its radius. Below kFirSigma the
// exact Gaussian weights are used (a box approximation of a narrow Gaussian
// is coarse); above it three successive box filters, whose widths are
// chosen so their combined variance matches the Gaussian's, give a close
// approximation at a cost that does not grow with the radius.
namespace quillora::imaging {

namespace {

using blur::BandJob;
using blur::Pass;

constexpr float kFirSigma = 4.0f;
constexpr int kBoxPasses = 3;
// A centre weight this close to 1 moves no pixel by a visible amount.
constexpr double kNegligibleSpread = 1e-5;
constexpr int kMinBandRows = 64;
constexpr int kFixedOne = 65536;

size_t alignUp(size_t value) {
    return (value + 63) / 64 * 64;
}

std::vector<Pass> gaussianPasses(double sigma) {
    if (sigma <= 0.0) {
        return {};
    }
    const int radius = std::min(blur::kMaxFirRadius, std::max(1, int(std::ceil(4.0 * sigma))));
    std::vector<double> exact(size_t(2 * radius + 1));
    double total = 0.0;
    for (int k = -radius; k <= radius; ++k) {
        exact[size_t(k + radius)] = std::exp(-double(k) * k / (2.0 * sigma * sigma));
        total += exact[size_t(k + radius)];
    }
    if (exact[size_t(radius)] / total > 1.0 - kNegligibleSpread) {
        return {};
    }
    // Fixed-point weights; the centre takes what rounding the others left,
    // so they sum to exactly one and flat areas stay flat.
    Pass pass{radius, std::vector<uint16_t>(exact.size()), uint16_t((radius + 1) / 2)};
    int sum = 0;
    for (size_t k = 0; k < exact.size(); ++k) {
        if (int(k) != radius) {
            pass.weights[k] = uint16_t(std::lround(exact[k] / total * kFixedOne));
            sum += pass.weights[k];
        }
    }
    if (sum == 0) {
        return {};  // the neighbours' weights all round to nothing
    }
    pass.weights[size_t(radius)] = uint16_t(kFixedOne - sum);
    return {pass};
}

// Box widths for n passes approximating a Gaussian of sigma: m boxes of the
// odd width just below the ideal one, the rest two wider.
std::vector<Pass> boxPasses(double sigma) {
    const double n = kBoxPasses;
    const double ideal = std::sqrt(12.0 * sigma * sigma / n + 1.0);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0) {
        --lower;
    }
    const double narrowCount =
        (12.0 * sigma * sigma - n * lower * lower - 4.0 * n * lower - 3.0 * n) /
        (-4.0 * lower - 4.0);
    const int narrow = std::clamp(int(std::lround(narrowCount)), 0, kBoxPasses);
    std::vector<Pass> passes;
    for (int i = 0; i < kBoxPasses; ++i) {
        const int width = i < narrow ? lower : lower + 2;
        if (width > 1) {
            passes.push_back(Pass{(width - 1) / 2, {}});
        }
    }
    return passes;
}

struct Side {
    int first = 0;
    int end = 0;
    size_t offset = 0;
};

}  // namespace

namespace blur {

ScratchLayout scratchLayout(const BandJob& job) {
    ScratchLayout layout;
    // Whole blocks of four 256-bit vectors of 32-bit lanes.
    layout.rowLanes = (job.width * 4 + 31) / 32 * 32;
    layout.lineLength = job.width + 2 * job.margin;
    size_t at = 0;
    const auto take = [&](size_t bytes) {
        const size_t offset = at;
        at += alignUp(bytes);
        return offset;
    };
    const size_t lineBytes = size_t(layout.lineLength) * kGroupLanes * 2;
    layout.lineA = take(lineBytes);
    layout.lineB = take(lineBytes);
    layout.zeroRow = take(size_t(job.width) * 4);
    layout.finalRow = take(size_t(layout.rowLanes) * 2);
    for (int k = 0; k < job.passCount; ++k) {
        layout.ringRows[k] = 2 * job.passes[k].radius + 1 + kGroupRows;
        layout.ring[k] = take(size_t(layout.ringRows[k]) * layout.rowLanes * 2);
        layout.sum[k] = take(size_t(layout.rowLanes) * 4);
    }
    layout.total = at;
    return layout;
}

}  // namespace blur

namespace {

std::atomic<bool> clearSurroundSkipped{true};

// Rows and columns [left, right) x [top, bottom) holding every pixel that is
// not wholly zero (alpha and colour); empty when there is none.
struct Content {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
};

Content contentOf(const uchar* bits, int width, int height, qsizetype stride) {
    constexpr int kRows = 64;
    const int bands = (height + kRows - 1) / kRows;
    std::vector<Content> found(static_cast<size_t>(bands));
    parallelFor(bands, [&](int band) {
        Content c{width, height, 0, 0};
        for (int y = band * kRows; y < std::min(height, (band + 1) * kRows); ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(bits + y * stride);
            int first = 0;
            while (first < width && row[first] == 0) {
                ++first;
            }
            if (first == width) {
                continue;
            }
            int last = width - 1;
            while (row[last] == 0) {
                --last;
            }
            c.left = std::min(c.left, first);
            c.right = std::max(c.right, last + 1);
            c.top = std::min(c.top, y);
            c.bottom = y + 1;
        }
        found[size_t(band)] = c;
    });
    Content all{width, height, 0, 0};
    for (const Content& c : found) {
        if (!c.empty()) {
            all.left = std::min(all.left, c.left);
            all.top = std::min(all.top, c.top);
            all.right = std::max(all.right, c.right);
            all.bottom = std::max(all.bottom, c.bottom);
        }
    }
    return all;
}

bool blurPixels(uchar* bits, int width, int height, qsizetype stride,
                const std::vector<Pass>& passes, int margin, bool expandEdge);

}  // namespace

void setClearSurroundSkipped(bool skipped) {
    clearSurroundSkipped = skipped;
}

bool gaussianBlur(QImage& image, float radius, bool expandEdge) {
    if (image.isNull() || image.format() != QImage::Format_ARGB32 || !std::isfinite(radius) ||
        radius < 0.0f) {
        return false;
    }
    radius = std::min(radius, kMaxBlurRadius);
    const double sigma = radius / 2.0;
    const std::vector<Pass> passes = sigma < kFirSigma ? gaussianPasses(sigma) : boxPasses(sigma);
    if (passes.empty()) {
        return true;
    }
    int margin = 0;
    for (const Pass& pass : passes) {
        margin += pass.radius;
    }
    const int width = image.width();
    const int height = image.height();
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    if (bits == nullptr) {
        return false;
    }
    // With everything outside the picture transparent, a pixel farther than
    // the passes' reach from every non-zero pixel stays zero through every
    // pass: only the content's box grown by that reach needs the blur (a
    // shadow's silhouette with a wide clear surround, most of all). The
    // result is the same to the bit.
    if (expandEdge && clearSurroundSkipped.load(std::memory_order_relaxed) &&
        qint64{width} * height >= kParallelPixels) {
        const Content content = contentOf(bits, width, height, stride);
        if (content.empty()) {
            return true;
        }
        const int left = std::max(0, content.left - margin);
        const int top = std::max(0, content.top - margin);
        const int right = std::min(width, content.right + margin);
        const int bottom = std::min(height, content.bottom + margin);
        return blurPixels(bits + top * stride + qsizetype{left} * 4, right - left, bottom - top,
                          stride, passes, margin, expandEdge);
    }
    return blurPixels(bits, width, height, stride, passes, margin, expandEdge);
}

namespace {

bool blurPixels(uchar* bits, int width, int height, qsizetype stride,
                const std::vector<Pass>& passes, int margin, bool expandEdge) {
    const qint64 pixels = qint64{width} * height;
    int bandCount = 1;
    if (pixels >= kParallelPixels) {
        bandCount = std::clamp(height / std::max(kMinBandRows, margin), 1, parallelThreadCount());
    }
    std::vector<BandJob> jobs(static_cast<size_t>(bandCount));
    std::vector<Side> sides(static_cast<size_t>(bandCount));
    size_t sideBytes = 0;
    for (int b = 0; b < bandCount; ++b) {
        BandJob& job = jobs[size_t(b)];
        job.passes = passes.data();
        job.passCount = int(passes.size());
        job.margin = margin;
        job.expandEdge = expandEdge;
        job.width = width;
        job.height = height;
        job.bits = bits;
        job.stride = stride;
        job.first = int(qint64{height} * b / bandCount);
        job.end = int(qint64{height} * (b + 1) / bandCount);
        job.sideStride = stride;
        if (b > 0) {
            // Rows around the boundary with the band above, as they are
            // before either band writes.
            Side& side = sides[size_t(b)];
            side.first = std::max(0, job.first - margin);
            side.end = std::min(height, job.first + margin);
            side.offset = sideBytes;
            sideBytes += alignUp(size_t(side.end - side.first) * size_t(stride));
        }
    }
    const size_t bandBytes = alignUp(blur::scratchLayout(jobs[0]).total);

    thread_local ScratchBuffer scratch;
    auto* block = static_cast<uint8_t*>(scratch.reserve(sideBytes + bandBytes * size_t(bandCount)));
    if (block == nullptr) {
        return false;
    }
    for (int b = 1; b < bandCount; ++b) {
        const Side& side = sides[size_t(b)];
        uint8_t* copy = block + side.offset;
        // The last row only as far as the pixels go: a part of a larger
        // picture may end that many bytes before a whole stride does.
        std::memcpy(copy, bits + side.first * stride,
                    size_t(side.end - side.first - 1) * size_t(stride) + size_t(width) * 4);
        jobs[size_t(b)].sideAbove = copy;
        jobs[size_t(b)].sideAboveFirst = side.first;
        jobs[size_t(b - 1)].sideBelow = copy;
        jobs[size_t(b - 1)].sideBelowFirst = side.first;
    }

    const bool useAvx2 = avx2Enabled();
    const auto runBand = [&](int b) {
        void* bandScratch = block + sideBytes + bandBytes * size_t(b);
        if (useAvx2) {
            blur::runBandAvx2(jobs[size_t(b)], bandScratch);
        } else {
            blur::runBandGeneric(jobs[size_t(b)], bandScratch);
        }
    };
    bool done = true;
    if (bandCount == 1) {
        runBand(0);
    } else {
        done = parallelFor(bandCount, runBand);
    }
    scratch.trim();
    return done;
}

}  // namespace

}  // namespace quillora::imaging
