#include "canvas/document/StrokeReplay.h"

#include <algorithm>
#include <cstdint>

#include "canvas/document/StrokeDrawing.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

namespace {

constexpr Argb kMaskKeep = 0xFFFFFFFFu;
constexpr Argb kMaskRestore = 0xFF000000u;

bool IsUsable(const QImage& image) {
    return !image.isNull() && image.format() == QImage::Format_ARGB32;
}

}  // namespace

QImage ReplayMaskBuffer::Acquire(int width, int height) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    if (buffer_.isNull() || buffer_.width() < width || buffer_.height() < height) {
        const int keptWidth = std::max(width, buffer_.width());
        const int keptHeight = std::max(height, buffer_.height());
        buffer_ = QImage();
        buffer_ = imaging::newBitmap(keptWidth, keptHeight);
        if (buffer_.isNull()) {
            return {};
        }
    }
    return QImage(buffer_.bits(), width, height, buffer_.bytesPerLine(), QImage::Format_ARGB32);
}

void ApplyReplayMask(QImage& result, const QImage& source, const QImage& mask, const RectI& area) {
    for (int y = 0; y < area.h; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(result.scanLine(area.y + y)) + area.x;
        const auto* src =
            reinterpret_cast<const std::uint32_t*>(source.constScanLine(area.y + y)) + area.x;
        const auto* m = reinterpret_cast<const std::uint32_t*>(mask.constScanLine(y));
        for (int x = 0; x < area.w; ++x) {
            const std::uint32_t maskPixel = m[x];
            const std::uint32_t kept = (maskPixel & 0x00FFFFFFu) == 0 ? src[x] : out[x];
            out[x] = (maskPixel >> 24) == 0 ? 0u : kept;
        }
    }
}

bool ReplayStrokes(QImage& result, const QImage& source, std::span<const StrokeRecord> strokes,
                   ReplayMaskBuffer& maskBuffer) {
    if (!IsUsable(result) || !IsUsable(source)) {
        return false;
    }
    const int width = std::min(result.width(), source.width());
    const int height = std::min(result.height(), source.height());
    const RectI area = StrokeBounds(strokes, width, height);
    if (area.IsEmpty()) {
        return true;
    }
    QImage mask = maskBuffer.Acquire(area.w, area.h);
    if (mask.isNull()) {
        return false;
    }
    {
        imaging::Surface surface(mask);
        if (!surface.isValid()) {
            return false;
        }
        surface.clear(kMaskKeep);
        surface.setCompositingMode(imaging::CompositingMode::SourceCopy);
        const PointF origin{-static_cast<float>(area.x), -static_cast<float>(area.y)};
        DrawStrokes(surface, strokes, kMaskRestore, kAllGroups, StrokeSpace{1.0f, origin});
    }
    ApplyReplayMask(result, source, mask, area);
    return true;
}

}  // namespace quillora::canvas
