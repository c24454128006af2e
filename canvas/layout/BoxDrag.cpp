#include "canvas/layout/BoxDrag.h"

#include <algorithm>

namespace quillora::canvas {

namespace {

// The most an edge may move towards the opposite one: down to the minimum,
// or not at all when the side is already below it.
float ShrinkAllowance(float side) {
    return std::max(0.0f, side - std::min(side, kMinPlacementSize));
}

// A step of the near edge (left or top): positive steps shrink the side.
float NearEdgeStep(float step, float side) {
    return std::min(step, ShrinkAllowance(side));
}

// A step of the far edge (right or bottom): negative steps shrink the side.
float FarEdgeStep(float step, float side) {
    return std::max(step, -ShrinkAllowance(side));
}

RectF ClipToView(RectF box, float viewWidth, float viewHeight) {
    if (box.x < 0.0f) {
        box.w += box.x;
        box.x = 0.0f;
    }
    if (box.y < 0.0f) {
        box.h += box.y;
        box.y = 0.0f;
    }
    if (box.x + box.w > viewWidth) {
        box.w = viewWidth - box.x;
    }
    if (box.y + box.h > viewHeight) {
        box.h = viewHeight - box.y;
    }
    return box;
}

RectF MoveInsideView(RectF box, float dx, float dy, float viewWidth, float viewHeight) {
    box.x = std::max(box.x + dx, 0.0f);
    box.y = std::max(box.y + dy, 0.0f);
    if (box.x + box.w > viewWidth) {
        box.x = viewWidth - box.w;
    }
    if (box.y + box.h > viewHeight) {
        box.y = viewHeight - box.h;
    }
    return box;
}

bool LargeEnough(float w, float h) {
    return w > kMinCropSize && h > kMinCropSize;
}

}  // namespace

RectF DragPlacement(const RectF& rect, LayoutHit hit, float dx, float dy) {
    RectF r = rect;
    switch (hit) {
        case LayoutHit::Move:
            r.x += dx;
            r.y += dy;
            break;
        case LayoutHit::TopLeft: {
            const float sx = NearEdgeStep(dx, r.w);
            const float sy = NearEdgeStep(dy, r.h);
            r.x += sx;
            r.w -= sx;
            r.y += sy;
            r.h -= sy;
            break;
        }
        case LayoutHit::BottomLeft: {
            const float sx = NearEdgeStep(dx, r.w);
            r.x += sx;
            r.w -= sx;
            r.h += FarEdgeStep(dy, r.h);
            break;
        }
        case LayoutHit::TopRight: {
            const float sy = NearEdgeStep(dy, r.h);
            r.w += FarEdgeStep(dx, r.w);
            r.y += sy;
            r.h -= sy;
            break;
        }
        case LayoutHit::BottomRight:
            r.w += FarEdgeStep(dx, r.w);
            r.h += FarEdgeStep(dy, r.h);
            break;
        case LayoutHit::None:
            break;
    }
    return r;
}

RectF DragCropBox(const RectF& box, LayoutHit hit, BoxRatio ratio, float dx, float dy,
                  float viewWidth, float viewHeight) {
    const float x = box.x, y = box.y, w = box.w, h = box.h;
    const float rw = ratio.width, rh = ratio.height;
    const bool free = ratio.IsFree();
    RectF next = box;
    switch (hit) {
        case LayoutHit::None:
            return box;
        case LayoutHit::Move:
            return MoveInsideView(box, dx, dy, viewWidth, viewHeight);
        case LayoutHit::TopLeft: {
            float ex = dx;
            if (!free) {
                ex = rw * dy / rh;
                if (x + ex < 0.0f) {
                    ex = -x;
                    dy = rh * ex / rw;
                }
                if (y + dy < 0.0f) {
                    dy = -y;
                    ex = rw * dy / rh;
                }
            }
            if (!LargeEnough(w - ex, h - dy)) {
                return box;
            }
            next = {x + ex, y + dy, w - ex, h - dy};
            break;
        }
        case LayoutHit::BottomLeft: {
            float ex = dx;
            if (!free) {
                ex = rw * dy / rh;
                if (x - ex < 0.0f) {
                    ex = x;
                    dy = rh * x / rw;
                }
                ex = -ex;
                if (y + h + dy > viewHeight) {
                    dy = viewHeight - (y + h);
                    ex = -(rw * dy / rh);
                }
            }
            if (!LargeEnough(w - ex, h + dy)) {
                return box;
            }
            next = {x + ex, y, w - ex, h + dy};
            break;
        }
        case LayoutHit::TopRight: {
            float ew = dx;
            if (!free) {
                if (y + dy < 0.0f) {
                    dy = -y;
                }
                ew = -(rw * dy / rh);
                if (x + w + ew > viewWidth) {
                    ew = viewWidth - (x + w);
                    dy = -(rh * ew / rw);
                }
            }
            if (!LargeEnough(w + ew, h - dy)) {
                return box;
            }
            next = {x, y + dy, w + ew, h - dy};
            break;
        }
        case LayoutHit::BottomRight: {
            float ew = dx;
            if (!free) {
                ew = rw * dy / rh;
                if (x + w + ew > viewWidth) {
                    ew = viewWidth - (x + w);
                    dy = rh * ew / rw;
                }
                if (y + h + dy > viewHeight) {
                    dy = viewHeight - (y + h);
                    ew = rw * dy / rh;
                }
            }
            if (!LargeEnough(w + ew, h + dy)) {
                return box;
            }
            next = {x, y, w + ew, h + dy};
            break;
        }
    }
    return free ? ClipToView(next, viewWidth, viewHeight) : next;
}

}  // namespace quillora::canvas
