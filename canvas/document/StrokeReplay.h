#pragma once

#include <QImage>

#include <span>

#include "canvas/document/Geometry.h"
#include "canvas/document/StrokeRecord.h"

namespace quillora::canvas {

// The mask of a replay, reused from one replay to the next: a full-size mask
// of a large photo costs more to fault in than to draw.
class ReplayMaskBuffer {
public:
    // A width x height ARGB32 bitmap over the kept memory (grown when too
    // small). Valid until the next Acquire or Release; null when memory runs
    // out or the size is refused.
    QImage Acquire(int width, int height);
    void Release() { buffer_ = QImage(); }

private:
    QImage buffer_;
};

// The pixel rule of the replay over area (image pixels), the mask covering
// that area with its top-left corner at area's corner: mask alpha 0 makes
// the result pixel transparent black; an opaque-black mask pixel (any alpha
// but 0, red = green = blue = 0) takes the source pixel with its own alpha;
// any other mask pixel leaves the result as it is. area must lie inside
// result, source and mask; the replay guarantees it.
void ApplyReplayMask(QImage& result, const QImage& source, const QImage& mask, const RectI& area);

// Applies the enabled records to result: a mask cleared to opaque white, add
// records drawn in opaque black and erase records transparent (source-copy,
// so the last record over a pixel decides), then ApplyReplayMask. Only the
// box the records cover is touched, clipped to the part that result and
// source share. Replaying the same records twice gives the same picture.
// False when result or source is not a usable ARGB32 bitmap or the mask
// cannot be made.
bool ReplayStrokes(QImage& result, const QImage& source, std::span<const StrokeRecord> strokes,
                   ReplayMaskBuffer& maskBuffer);
inline bool ReplayStrokes(QImage& result, const QImage& source, const StrokeList& strokes,
                          ReplayMaskBuffer& maskBuffer) {
    return ReplayStrokes(result, source, std::span<const StrokeRecord>(strokes), maskBuffer);
}

}  // namespace quillora::canvas
