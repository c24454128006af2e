#include "canvas/layout/LargePicture.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

// Only whole huge pages inside the picture's block can be advised; the
// advice is a hint, and the picture works the same without it.
void AdviseHugePages(QImage& picture) {
#if defined(__linux__)
    const auto begin = reinterpret_cast<std::uintptr_t>(picture.bits());
    const std::uintptr_t end = begin + static_cast<std::uintptr_t>(picture.sizeInBytes());
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = end & ~(kHugePage - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)picture;
#endif
}

}  // namespace

QImage AllocatePicture(int width, int height) {
    if (width <= 0 || height <= 0 || qint64{width} * height > imaging::kMaxPixels) {
        return {};
    }
    QImage picture(width, height, QImage::Format_ARGB32);
    if (picture.isNull()) {
        return {};
    }
    AdviseHugePages(picture);
    return picture;
}

}  // namespace quillora::canvas
