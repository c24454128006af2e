#include "canvas/layout/ViewComposition.h"

#include "canvas/document/CanvasDocument.h"
#include "canvas/layout/LargePicture.h"

namespace quillora::canvas {

LayerStack ViewLayers(const CanvasDocument& doc) {
    const DocumentBitmaps& b = doc.bitmaps;
    const RectF& view = doc.view.ViewRect();
    LayerStack stack;
    stack.page = doc.mode;
    stack.size = QSize(ViewPixels(view.w), ViewPixels(view.h));
    stack.scale = doc.view.Scale();
    stack.placement = doc.background.placementRect;
    stack.background = {doc.background.kind, doc.background.colour, b.backgroundImage,
                        doc.checkerTile};
    const bool hasCutOut = !b.resultImage.isNull();
    if (hasCutOut) {
        stack.shadow.image = b.shadowImage;
        stack.border.image = b.borderImage;
    }
    stack.shadowParams = doc.shadow;
    stack.borderParams = doc.border;
    if (hasCutOut && !b.viewResult.isNull() && !b.filterImage.isNull()) {
        stack.cutOut.image = doc.mode == EditMode::CutOut ? b.viewResult : b.filterImage;
    }
    stack.showCropBox = doc.mode == EditMode::ChangeSize && doc.background.cropActive;
    stack.cropBox = doc.background.cropRect;
    stack.showPlacementFrame = doc.mode == EditMode::ChangeBackground;
    return stack;
}

QImage ComposeView(const CanvasDocument& doc) {
    if (!doc.HasCutOut()) {
        return {};
    }
    const LayerStack stack = ViewLayers(doc);
    QImage picture = AllocatePicture(stack.size.width(), stack.size.height());
    if (picture.isNull() || !ComposeLayers(picture, QRect(QPoint(0, 0), stack.size), stack)) {
        return {};
    }
    return picture;
}

}  // namespace quillora::canvas
