#include "canvas/effects/Silhouette.h"

#include <cstdint>

#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

QImage MakeSilhouette(const QImage& picture, Argb colour) {
    QImage out = imaging::copyArea(picture);
    if (out.isNull()) {
        return out;
    }
    const std::uint32_t rgb = colour & 0x00FFFFFFu;
    const int width = out.width();
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::uint32_t alpha = row[x] & 0xFF000000u;
            row[x] = alpha == 0 ? row[x] : (alpha | rgb);
        }
    }
    return out;
}

}  // namespace quillora::canvas
