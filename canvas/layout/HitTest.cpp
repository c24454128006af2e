#include "canvas/layout/HitTest.h"

namespace quillora::canvas {

namespace {

bool Within(float value, float low, float high) {
    return low < value && value < high;
}

}  // namespace

LayoutHit HitTestBox(const RectF& box, PointF viewOrigin, PointI point, bool interiorMoves) {
    const float left = viewOrigin.x + box.x;
    const float top = viewOrigin.y + box.y;
    const float right = static_cast<float>(static_cast<int>(left + box.w));
    const float bottom = static_cast<float>(static_cast<int>(top + box.h));
    const float x = static_cast<float>(point.x);
    const float y = static_cast<float>(point.y);
    const float r = kHandleReach;
    if (left + r <= x && x <= right - r && top + r <= y && y <= bottom - r) {
        return interiorMoves ? LayoutHit::Move : LayoutHit::None;
    }
    if (Within(x, left - r, left + r) && Within(y, top - r, top + r)) {
        return LayoutHit::TopLeft;
    }
    if (Within(x, left - r, left + r) && Within(y, bottom - r, bottom + r)) {
        return LayoutHit::BottomLeft;
    }
    if (Within(x, right - kTopRightReach, right + r) && Within(y, top - kTopRightReach, top + r)) {
        return LayoutHit::TopRight;
    }
    if (Within(x, right - r, right + r) && Within(y, bottom - r, bottom + r)) {
        return LayoutHit::BottomRight;
    }
    return LayoutHit::None;
}

bool SameWholeSize(const RectF& a, const RectF& b) {
    return static_cast<int>(a.w) == static_cast<int>(b.w) &&
           static_cast<int>(a.h) == static_cast<int>(b.h);
}

LayoutHit HitTestPage(EditMode page, const BackgroundParams& background, PointF viewOrigin,
                      PointI point) {
    switch (page) {
        case EditMode::ChangeSize:
            return HitTestBox(background.cropRect, viewOrigin, point,
                              !SameWholeSize(background.cropRect, background.placementRect));
        case EditMode::ChangeBackground:
            return HitTestBox(background.placementRect, viewOrigin, point, true);
        default:
            return LayoutHit::None;
    }
}

CanvasCursor CursorForHit(LayoutHit hit) {
    switch (hit) {
        case LayoutHit::Move:
            return CanvasCursor::Move;
        case LayoutHit::TopLeft:
        case LayoutHit::BottomRight:
            return CanvasCursor::SizeNwSe;
        case LayoutHit::BottomLeft:
        case LayoutHit::TopRight:
            return CanvasCursor::SizeNeSw;
        case LayoutHit::None:
            break;
    }
    return CanvasCursor::Arrow;
}

}  // namespace quillora::canvas
