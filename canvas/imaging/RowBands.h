#pragma once

#include <QImage>

#include <algorithm>

#include "canvas/imaging/Parallel.h"

namespace quillora::imaging {

// Pictures below this many pixels are processed on the calling thread alone:
// handing work to the pool costs more than it saves.
inline constexpr qint64 kParallelPixels = qint64{1} << 19;

// Calls rows(first, end) over consecutive bands of [0, height), in parallel
// for large pictures. Each point-wise kernel reads and writes only its own
// rows, so bands never overlap. Bands are smaller than one per thread so a
// thread slowed by other work on the machine is helped by the others.
template <typename RowsFn>
bool forEachRowBand(const QImage& image, RowsFn&& rows) {
    const int height = image.height();
    const qint64 pixels = qint64{image.width()} * height;
    const int threads = parallelThreadCount();
    if (pixels < kParallelPixels || threads == 1) {
        rows(0, height);
        return true;
    }
    const int bandCount = std::min(height, threads * 8);
    return parallelFor(bandCount, [&](int band) {
        const int first = static_cast<int>(qint64{height} * band / bandCount);
        const int end = static_cast<int>(qint64{height} * (band + 1) / bandCount);
        rows(first, end);
    });
}

}  // namespace quillora::imaging
