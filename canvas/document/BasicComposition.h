#pragma once

#include <QImage>

namespace quillora::canvas {

class CanvasDocument;

// The effect view's picture at view size: the checker tile tiled from the
// picture's corner, then the cut-out (viewResult in the cut-out page,
// filterImage in the others) over the whole picture. The full layer stack
// (background, shadow, border, placement, overlays) replaces it where it is
// plugged into the canvas. Null when there is nothing to show.
QImage ComposeBasicView(const CanvasDocument& doc);

}  // namespace quillora::canvas
