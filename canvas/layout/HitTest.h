#pragma once

#include <cstdint>

#include "canvas/document/EditMode.h"
#include "canvas/document/Geometry.h"
#include "canvas/document/PageInput.h"
#include "canvas/document/ParameterGroups.h"

namespace quillora::canvas {

// Where a press lands on the placement rectangle or the crop box.
enum class LayoutHit : std::int32_t {
    None = 0,
    Move = 1,
    TopLeft = 2,
    BottomLeft = 3,
    TopRight = 4,
    BottomRight = 5,
};

// A corner handle reaches this far on either side of the corner; the interior
// starts this far inside the edges.
inline constexpr float kHandleReach = 30.0f;
// The top-right handle reaches further: inwards along the top edge and
// upwards above it.
inline constexpr float kTopRightReach = 60.0f;

// The hit test of a box given relative to the view rectangle's corner
// viewOrigin, at a point in client pixels. The interior counts as Move only
// when interiorMoves; the corners are tested after the interior, in the
// order top-left, bottom-left, top-right, bottom-right.
LayoutHit HitTestBox(const RectF& box, PointF viewOrigin, PointI point, bool interiorMoves);

// True when the two rectangles have the same size in whole pixels.
bool SameWholeSize(const RectF& a, const RectF& b);

// The hit test of a page: the crop box in the change-size page (its interior
// moves it only when it is not the placement rectangle's size), the
// placement rectangle in the change-background page, None elsewhere.
LayoutHit HitTestPage(EditMode page, const BackgroundParams& background, PointF viewOrigin,
                      PointI point);

// The cursor shown over a hit: the four-way arrow inside, the diagonal
// arrows on the corners, the plain arrow elsewhere.
CanvasCursor CursorForHit(LayoutHit hit);

}  // namespace quillora::canvas
