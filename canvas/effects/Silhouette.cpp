#include "canvas/effects/Silhouette.h"

#include <cstdint>

#include "canvas/imaging/Imaging.h"
#include "canvas/imaging/RowBands.h"

namespace quillora::canvas {

QImage MakeSilhouette(const QImage& picture, Argb colour) {
    if (picture.format() != QImage::Format_ARGB32) {
        const QImage converted = imaging::copyArea(picture);
        return converted.isNull() ? QImage() : MakeSilhouette(converted, colour);
    }
    // One pass from the picture into a fresh bitmap, in bands on every core.
    QImage out = imaging::allocateBitmap(picture.width(), picture.height());
    if (out.isNull()) {
        return out;
    }
    const std::uint32_t rgb = colour & 0x00FFFFFFu;
    const int width = out.width();
    const bool done = imaging::forEachRowBand(out, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            const auto* in = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(y));
            auto* row = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const std::uint32_t alpha = in[x] & 0xFF000000u;
                row[x] = alpha == 0 ? in[x] : (alpha | rgb);
            }
        }
    });
    return done ? out : QImage();
}

}  // namespace quillora::canvas
