#include "canvas/layout/Composition.h"

#include "canvas/effects/ShadowBorder.h"
#include "canvas/imaging/Surface.h"
#include "canvas/layout/Overlays.h"

namespace quillora::canvas {

RectF CutOutRect(const LayerStack& stack) {
    if (UsesPlacement(stack.page)) {
        return stack.placement;
    }
    return {0.0f, 0.0f, static_cast<float>(stack.size.width()),
            static_cast<float>(stack.size.height())};
}

bool ComposeLayers(QImage& target, const QRect& area, const LayerStack& stack) {
    if (target.isNull() || target.format() != QImage::Format_ARGB32 ||
        target.size() != area.size()) {
        return false;
    }
    // Filled directly: a painter would store transparent white as
    // transparent black.
    target.fill(kClearColour);
    imaging::Surface surface(target);
    if (!surface.isValid()) {
        return false;
    }
    surface.painter().translate(-area.x(), -area.y());
    const QRectF whole(0.0, 0.0, stack.size.width(), stack.size.height());
    DrawBackgroundLayer(surface, whole, stack.background, stack.page, stack.forExport);
    const RectF cut = CutOutRect(stack);
    if (stack.forExport || stack.page != EditMode::CutOut) {
        DrawShadowLayer(surface, stack.shadow, stack.shadowParams, stack.scale, cut);
        DrawBorderLayer(surface, stack.border, stack.borderParams, stack.scale, cut);
    }
    if (!stack.cutOut.isNull()) {
        surface.drawImage(QRectF(cut.x, cut.y, cut.w, cut.h), stack.cutOut);
    }
    if (!stack.forExport) {
        if (stack.showCropBox) {
            DrawCropOverlay(surface, stack.cropBox);
        }
        if (stack.showPlacementFrame) {
            DrawPlacementOverlay(surface, stack.placement);
        }
    }
    return true;
}

}  // namespace quillora::canvas
