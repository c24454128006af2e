#include "canvas/document/BasicComposition.h"

#include "canvas/document/CanvasDocument.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

QImage ComposeBasicView(const CanvasDocument& doc) {
    const RectF& rect = doc.view.ViewRect();
    QImage picture = imaging::newBitmap(ViewPixels(rect.w), ViewPixels(rect.h));
    if (picture.isNull() || !doc.HasCutOut()) {
        return {};
    }
    const QImage& cutOut =
        doc.mode == EditMode::CutOut ? doc.bitmaps.viewResult : doc.bitmaps.filterImage;
    imaging::Surface surface(picture);
    surface.clear(0x00FFFFFFu);
    const QRectF whole(0, 0, picture.width(), picture.height());
    surface.drawTiled(whole, doc.checkerTile);
    if (!doc.bitmaps.viewResult.isNull()) {
        surface.drawImage(whole, cutOut);
    }
    return picture;
}

}  // namespace quillora::canvas
