#include "canvas/layout/Composition.h"

#include <cmath>

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

RectF PartRect(const RectF& rect, const QSize& fullSize, const QRect& part) {
    if (part.isNull() || fullSize.isEmpty()) {
        return rect;
    }
    const float sx = rect.w / static_cast<float>(fullSize.width());
    const float sy = rect.h / static_cast<float>(fullSize.height());
    return {rect.x + static_cast<float>(part.x()) * sx, rect.y + static_cast<float>(part.y()) * sy,
            static_cast<float>(part.width()) * sx, static_cast<float>(part.height()) * sy};
}

QRect NeededPart(const RectF& rect, const QSize& fullSize, const QRect& area, int margin) {
    if (fullSize.isEmpty() || !(rect.w > 0.0f && rect.h > 0.0f) || area.isEmpty()) {
        return {};
    }
    // Layer pixels per picture pixel along each axis.
    const double sx = fullSize.width() / static_cast<double>(rect.w);
    const double sy = fullSize.height() / static_cast<double>(rect.h);
    // One more pixel on each side for the smooth scaling's neighbours.
    const int reach = margin + 1;
    const double left = std::floor((area.left() - rect.x) * sx) - reach;
    const double top = std::floor((area.top() - rect.y) * sy) - reach;
    const double right = std::ceil((area.left() + area.width() - rect.x) * sx) + reach;
    const double bottom = std::ceil((area.top() + area.height() - rect.y) * sy) + reach;
    const double w = fullSize.width();
    const double h = fullSize.height();
    const int x0 = static_cast<int>(std::clamp(left, 0.0, w));
    const int y0 = static_cast<int>(std::clamp(top, 0.0, h));
    const int x1 = static_cast<int>(std::clamp(right, 0.0, w));
    const int y1 = static_cast<int>(std::clamp(bottom, 0.0, h));
    if (x1 <= x0 || y1 <= y0) {
        return {};
    }
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

namespace {

void DrawLayer(imaging::Surface& surface, const LayerPicture& layer, const RectF& rect,
               const QSize& fullSize) {
    if (layer.image.isNull()) {
        return;
    }
    const RectF r = PartRect(rect, fullSize, layer.part);
    surface.drawImage(QRectF(r.x, r.y, r.w, r.h), layer.image);
}

}  // namespace

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
        if (AlphaOf(stack.shadowParams.colour) != 0) {
            DrawLayer(surface, stack.shadow, ShadowRect(stack.shadowParams, stack.scale, cut),
                      stack.size);
        }
        if (AlphaOf(stack.borderParams.colour) != 0) {
            DrawLayer(surface, stack.border, BorderRect(stack.borderParams, stack.scale, cut),
                      stack.size);
        }
    }
    DrawLayer(surface, stack.cutOut, cut, stack.size);
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
