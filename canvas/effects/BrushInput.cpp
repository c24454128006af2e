#include "canvas/effects/BrushInput.h"

namespace quillora::canvas {

namespace {

std::uint8_t StrokeKind(const BrushParams& brush) {
    return brush.kind == BrushKind::Add ? kStrokeAdd : kStrokeErase;
}

PointF ToImage(const ViewGeometry& view, PointI window) {
    return view.WindowToImage({static_cast<float>(window.x), static_cast<float>(window.y)});
}

}  // namespace

bool IsBeyondMoveThreshold(PointI a, PointI b) {
    const float dx = static_cast<float>(b.x - a.x);
    const float dy = static_cast<float>(b.y - a.y);
    return dx * dx + dy * dy > BrushInput::kMoveThreshold * BrushInput::kMoveThreshold;
}

void BrushInput::Press(PointI cursor) {
    down_ = true;
    drewSegment_ = false;
    pressPoint_ = lastPoint_ = cursor;
}

bool BrushInput::Move(PointI cursor, const ViewGeometry& view, const BrushParams& brush,
                      BrushHistory& history) {
    if (!down_) {
        return false;
    }
    history.DiscardRedoTail();
    if (!IsBeyondMoveThreshold(lastPoint_, cursor)) {
        return false;
    }
    const PointF from = ToImage(view, lastPoint_);
    const PointF to = ToImage(view, cursor);
    history.Append(
        MakeSegment(from.x, from.y, to.x, to.y, brush.size, history.Count(), StrokeKind(brush)),
        brush.softness);
    lastPoint_ = cursor;
    drewSegment_ = true;
    return true;
}

bool BrushInput::Release(PointI cursor, const ViewGeometry& view, const BrushParams& brush,
                         BrushHistory& history) {
    if (!down_) {
        return false;
    }
    down_ = false;
    history.CloseGroup();
    // A drag that came back to where it started is still a drag: its ends
    // are the round caps of its segments, not an extra dot.
    if (drewSegment_ || IsBeyondMoveThreshold(pressPoint_, cursor)) {
        return false;
    }
    const PointF at = ToImage(view, cursor);
    history.Append(MakeDot(at.x, at.y, brush.size, history.Count() - 1, StrokeKind(brush)),
                   brush.softness);
    return true;
}

}  // namespace quillora::canvas
