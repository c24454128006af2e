#pragma once

#include "canvas/document/Colour.h"
#include "canvas/document/Geometry.h"
#include "canvas/imaging/Surface.h"

namespace quillora::canvas {

// The frames drawn over the view picture in the change-size and
// change-background pages, in opaque blue lines one pixel wide. Positions
// are view pixels from the picture's corner; every line covers both of its
// end pixels.
inline constexpr Argb kOverlayColour = 0xFF0000FFu;

// The crop box: its frame one pixel inside the box, dotted lines at the
// thirds, and an L-shaped mark in each corner, 2 pixels inside the frame,
// whose legs run from 2 to 20 pixels away from the corner.
void DrawCropOverlay(imaging::Surface& surface, const RectF& box);

// The placement rectangle: its frame one pixel inside, and a hollow 20 x 20
// square centred on each corner of the frame.
void DrawPlacementOverlay(imaging::Surface& surface, const RectF& placement);

}  // namespace quillora::canvas
