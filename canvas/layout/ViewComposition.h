#pragma once

#include <QImage>

#include "canvas/layout/Composition.h"

namespace quillora::canvas {

class CanvasDocument;

// The layers of the effect view, from the document's view-sized pictures at
// the current page's scale (the paint selects the page first). The cut-out
// layer is viewResult in the cut-out page and filterImage elsewhere, present
// only while resultImage, viewResult and filterImage all exist; shadow and
// border need resultImage too.
LayerStack ViewLayers(const CanvasDocument& doc);

// The effect view's picture, trunc(view width) x trunc(view height): the
// canvas window's view composer. Null without a cut-out or when the picture
// cannot be made.
QImage ComposeView(const CanvasDocument& doc);

}  // namespace quillora::canvas
