#pragma once

#include "canvas/document/Geometry.h"
#include "canvas/layout/HitTest.h"
#include "canvas/layout/SizePresets.h"

namespace quillora::canvas {

// The placement rectangle never gets narrower or lower than this (view
// pixels) through a handle: a handle dragged past the opposite edge stops
// there instead of turning the cut-out inside out. A rectangle already
// smaller (a tiny view) is not shrunk further.
inline constexpr float kMinPlacementSize = 20.0f;

// A crop box resize that would leave a side of this many view pixels or
// fewer is refused whole.
inline constexpr float kMinCropSize = 50.0f;

// The placement rectangle after the cursor moved by (dx, dy) with the
// interior (Move: the rectangle follows) or a corner held (that corner
// follows, the opposite one stays; the ratio is not kept, nothing is clamped to the view).
RectF DragPlacement(const RectF& rect, LayoutHit hit, float dx, float dy);

// The crop box after the cursor moved by (dx, dy), in a view of viewWidth x
// viewHeight:
// - Move: the box follows and stays inside the view, flush with an edge it
//   is pushed against.
// - Corners with a ratio: the vertical motion drives and the horizontal one
//   follows the ratio; the motion is cut short at the view's edges.
// - Corners of a free box: the corner follows the cursor, then the box is
//   clipped to the view.
// A resize that would leave a side of kMinCropSize or less returns the box
// unchanged. None returns it unchanged too.
RectF DragCropBox(const RectF& box, LayoutHit hit, BoxRatio ratio, float dx, float dy,
                  float viewWidth, float viewHeight);

}  // namespace quillora::canvas
