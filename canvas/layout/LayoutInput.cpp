#include "canvas/layout/LayoutInput.h"

#include "canvas/document/CanvasDocument.h"
#include "canvas/effects/BrushInput.h"
#include "canvas/layout/BoxDrag.h"
#include "canvas/layout/HitTest.h"
#include "canvas/layout/SizePresets.h"

namespace quillora::canvas {

namespace {

PointF ViewOrigin(const CanvasDocument& doc) {
    const RectF& view = doc.view.PageRect(doc.mode);
    return {view.x, view.y};
}

LayoutHit HitAt(const CanvasDocument& doc, PointI cursor) {
    return HitTestPage(doc.mode, doc.background, ViewOrigin(doc), cursor);
}

PageInputResult Hovering(const CanvasDocument& doc, PointI cursor) {
    PageInputResult result;
    result.handled = true;
    result.cursor = CursorForHit(HitAt(doc, cursor));
    return result;
}

void BeginDrag(InteractionState& input, PointI cursor) {
    input.mouseDown = true;
    input.pressPoint = input.lastPoint = cursor;
}

// The cursor's step since the last accepted point, or false while it stays
// within the move threshold.
bool TakeStep(InteractionState& input, PointI cursor, float& dx, float& dy) {
    if (!IsBeyondMoveThreshold(input.lastPoint, cursor)) {
        return false;
    }
    dx = static_cast<float>(cursor.x - input.lastPoint.x);
    dy = static_cast<float>(cursor.y - input.lastPoint.y);
    input.lastPoint = cursor;
    return true;
}

bool SameRect(const RectF& a, const RectF& b) {
    return a == b;
}

}  // namespace

PageInputResult PlacementInput::Press(CanvasDocument& doc, PointI cursor) {
    BeginDrag(doc.input, cursor);
    const LayoutHit hit = HitAt(doc, cursor);
    doc.input.panArmed = static_cast<std::int32_t>(hit);
    PageInputResult result;
    result.handled = true;
    result.cursor = CursorForHit(hit);
    return result;
}

PageInputResult PlacementInput::Move(CanvasDocument& doc, PointI cursor, bool buttonDown) {
    InteractionState& input = doc.input;
    if (!input.mouseDown || !buttonDown) {
        return Hovering(doc, cursor);
    }
    const auto hit = static_cast<LayoutHit>(input.panArmed);
    PageInputResult result;
    result.handled = true;
    result.cursor = CursorForHit(hit);
    float dx = 0.0f, dy = 0.0f;
    if (hit == LayoutHit::None || !TakeStep(input, cursor, dx, dy)) {
        return result;
    }
    RectF& placement = doc.background.placementRect;
    const RectF moved = DragPlacement(placement, hit, dx, dy);
    result.repaint = !SameRect(moved, placement);
    placement = moved;
    return result;
}

PageInputResult PlacementInput::Release(CanvasDocument& doc, PointI cursor) {
    doc.input.mouseDown = false;
    doc.input.panArmed = 0;
    return Hovering(doc, cursor);
}

PageInputResult CropInput::Press(CanvasDocument& doc, PointI cursor) {
    if (!doc.background.cropActive) {
        return {};
    }
    BeginDrag(doc.input, cursor);
    const LayoutHit hit = HitAt(doc, cursor);
    doc.background.cropHit = static_cast<std::int32_t>(hit);
    PageInputResult result;
    result.handled = true;
    result.cursor = CursorForHit(hit);
    return result;
}

PageInputResult CropInput::Move(CanvasDocument& doc, PointI cursor, bool buttonDown) {
    BackgroundParams& background = doc.background;
    if (!background.cropActive) {
        return {};
    }
    InteractionState& input = doc.input;
    if (!input.mouseDown || !buttonDown) {
        return Hovering(doc, cursor);
    }
    const auto hit = static_cast<LayoutHit>(background.cropHit);
    PageInputResult result;
    result.handled = true;
    result.cursor = CursorForHit(hit);
    float dx = 0.0f, dy = 0.0f;
    if (!TakeStep(input, cursor, dx, dy)) {
        return result;
    }
    if (hit == LayoutHit::None) {
        // Outside the box: the picture moves under it, unless the box is
        // the whole picture.
        if (!SameWholeSize(background.cropRect, background.placementRect)) {
            background.placementRect.x += dx;
            background.placementRect.y += dy;
            result.repaintNow = true;
        }
        return result;
    }
    const RectF& view = doc.view.PageRect(doc.mode);
    const RectF box =
        DragCropBox(background.cropRect, hit, PresetRatio(background.sizePreset, view.w, view.h),
                    dx, dy, view.w, view.h);
    result.repaintNow = !SameRect(box, background.cropRect);
    background.cropRect = box;
    return result;
}

PageInputResult CropInput::Release(CanvasDocument& doc, PointI cursor) {
    doc.input.mouseDown = false;
    doc.background.cropHit = 0;
    if (!doc.background.cropActive) {
        return {};
    }
    return Hovering(doc, cursor);
}

}  // namespace quillora::canvas
