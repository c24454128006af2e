#include "canvas/layout/ExportRender.h"

#include <cmath>

#include "canvas/document/CanvasDocument.h"
#include "canvas/effects/FilterChain.h"
#include "canvas/effects/ShadowBorder.h"
#include "canvas/imaging/Imaging.h"
#include "canvas/layout/Composition.h"
#include "canvas/layout/LargePicture.h"
#include "canvas/layout/SizePresets.h"
#include "canvas/png/PngFile.h"

namespace quillora::canvas {

namespace {

// Dividing view pixels by a float scale leaves errors of a few parts in a
// million; a value this close to a whole pixel is that pixel.
constexpr double kSnapTolerance = 1e-3;

float Snap(double value) {
    const double whole = std::round(value);
    return static_cast<float>(std::abs(value - whole) <= kSnapTolerance ? whole : value);
}

int RoundToPixel(double value) {
    return static_cast<int>(std::lround(value));
}

float UsableScale(float scale) {
    return scale > 0.0f ? scale : 1.0f;
}

// Pixels a blur of radius r reaches at most: its passes add up to about
// 1.5 r for wide blurs and 2 r for narrow ones; a little more is safe.
int BlurReach(int radius) {
    return radius > 0 ? 2 * radius + 4 : 0;
}

// The part of the cut-out a layer needs for area: the whole cut-out when
// nothing is cropped, else the part, read in place (the layer builders copy
// what they change, so the cut-out itself is never written).
LayerPicture Source(const QImage& cutOut, const RectF& rect, const QSize& size, const QRect& area,
                    int margin) {
    const QRect part = NeededPart(rect, size, area, margin);
    if (part.isEmpty()) {
        return {};
    }
    if (part == cutOut.rect()) {
        return {cutOut, QRect()};
    }
    const uchar* first = cutOut.constScanLine(part.y()) + std::size_t(part.x()) * sizeof(QRgb);
    return {QImage(first, part.width(), part.height(), cutOut.bytesPerLine(), cutOut.format()),
            part};
}

// A layer that is shown must be in the saved picture: a layer that cannot be
// made fails the save instead of quietly leaving it out. Each layer is made
// only from the part of the cut-out that reaches area.
ExportStatus BuildLayers(const CanvasDocument& doc, const QRect& area, LayerStack& stack) {
    const DocumentBitmaps& b = doc.bitmaps;
    const QImage& cutOut = b.resultImage;
    const RectF cut = CutOutRect(stack);
    const auto build = [](LayerPicture& layer, auto&& make) {
        if (layer.image.isNull()) {
            return true;  // nothing of this layer reaches the saved part
        }
        layer.image = make(layer.image);
        return !layer.image.isNull();
    };
    if (AlphaOf(doc.shadow.colour) != 0 && !b.shadowImage.isNull()) {
        stack.shadow = Source(cutOut, ShadowRect(doc.shadow, 1.0f, cut), stack.size, area,
                              BlurReach(doc.shadow.blur));
        if (!build(stack.shadow,
                   [&](const QImage& part) { return BuildExportShadow(part, doc.shadow); })) {
            return ExportStatus::OutOfMemory;
        }
    }
    if (AlphaOf(doc.border.colour) != 0 && !b.borderImage.isNull()) {
        stack.border = Source(cutOut, BorderRect(doc.border, 1.0f, cut), stack.size, area, 0);
        if (!build(stack.border,
                   [&](const QImage& part) { return BuildExportBorder(part, doc.border); })) {
            return ExportStatus::OutOfMemory;
        }
    }
    if (!b.filterImage.isNull() && !b.viewResult.isNull()) {
        const bool plain = doc.mode == EditMode::CutOut;
        stack.cutOut =
            Source(cutOut, cut, stack.size, area, plain ? 0 : BlurReach(doc.filter.blurry));
        if (!plain && !build(stack.cutOut,
                             [&](const QImage& part) { return FilteredCopy(part, doc.filter); })) {
            return ExportStatus::OutOfMemory;
        }
    }
    return ExportStatus::Ok;
}

// The picture smoothly stretched to size. Scaling weighs colour by alpha so
// that transparent pixels lend no colour to their neighbours; for an
// enlargement the premultiplied conversion is made in place, which spares a
// second full-size picture.
QImage Stretched(QImage picture, const QSize& size) {
    if (size.width() <= picture.width() && size.height() <= picture.height()) {
        // Shrinking averages the area under each output pixel, weighed by
        // alpha, reading the picture in place.
        return imaging::scaledCopy(picture, size.width(), size.height());
    }
    picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull()) {
        return {};
    }
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

bool ExportSizeAllowed(const QSize& size) {
    return qint64{size.width()} * size.height() <= kMaxExportPixels;
}

RectF ExportPlacement(const RectF& placement, float viewScale) {
    const double s = UsableScale(viewScale);
    return {Snap(placement.x / s), Snap(placement.y / s), Snap(placement.w / s),
            Snap(placement.h / s)};
}

ExportCrop PlanExportCrop(const RectF& cropBox, float viewScale, int preset) {
    const double s = UsableScale(viewScale);
    const double x = cropBox.x / s;
    const double y = cropBox.y / s;
    const double w = cropBox.w / s;
    const double h = cropBox.h / s;
    ExportCrop crop;
    if (IsValidSizePreset(preset) && kSizePresets[std::size_t(preset)].HasFixedOutput()) {
        const SizePreset& p = kSizePresets[std::size_t(preset)];
        const int left = RoundToPixel(x);
        const int top = RoundToPixel(y);
        crop.region = QRect(left, top, RoundToPixel(x + w) - left, RoundToPixel(y + h) - top);
        crop.output = QSize(p.outputWidth, p.outputHeight);
    } else {
        crop.output = QSize(ViewPixels(static_cast<float>(w)), ViewPixels(static_cast<float>(h)));
        crop.region = QRect(QPoint(RoundToPixel(x), RoundToPixel(y)), crop.output);
    }
    if (crop.region.isEmpty()) {
        crop.output = QSize();
    }
    return crop;
}

ExportStatus RenderExportPicture(CanvasDocument& doc, QImage& picture) {
    picture = QImage();
    if (!doc.HasCutOut()) {
        return ExportStatus::NoCutOut;
    }
    if (!doc.ApplyStrokes()) {
        return ExportStatus::ReplayFailed;
    }
    const QImage& result = doc.bitmaps.resultImage;
    if (!ExportSizeAllowed(result.size())) {
        return ExportStatus::TooLarge;
    }
    const float scale = doc.view.PageScale(doc.mode);
    const bool cropping = doc.mode == EditMode::ChangeSize && doc.background.cropApplied;
    QRect area(QPoint(0, 0), result.size());
    QSize output = result.size();
    if (cropping) {
        const ExportCrop crop =
            PlanExportCrop(doc.background.cropRect, scale, doc.background.sizePreset);
        if (crop.output.isEmpty()) {
            return ExportStatus::EmptyCrop;
        }
        if (!ExportSizeAllowed(crop.output) || !ExportSizeAllowed(crop.region.size())) {
            return ExportStatus::TooLarge;
        }
        area = crop.region;
        output = crop.output;
    }

    LayerStack stack;
    stack.page = doc.mode;
    stack.forExport = true;
    stack.size = result.size();
    stack.scale = 1.0f;
    stack.placement = ExportPlacement(doc.background.placementRect, scale);
    stack.background = {doc.background.kind, doc.background.colour, doc.bitmaps.backgroundImage,
                        QImage()};
    stack.shadowParams = doc.shadow;
    stack.borderParams = doc.border;
    if (const ExportStatus built = BuildLayers(doc, area, stack); built != ExportStatus::Ok) {
        return built;
    }

    QImage composed = AllocatePicture(area.width(), area.height());
    if (composed.isNull() || !ComposeLayers(composed, area, stack)) {
        return ExportStatus::OutOfMemory;
    }
    // The layers' memory goes back before the stretch needs its own.
    stack = LayerStack();
    if (composed.size() != output) {
        composed = Stretched(std::move(composed), output);
        if (composed.isNull()) {
            return ExportStatus::OutOfMemory;
        }
    }
    picture = std::move(composed);
    return ExportStatus::Ok;
}

ExportStatus RenderOutput(CanvasDocument& doc, const QString& path) {
    QImage picture;
    const ExportStatus status = RenderExportPicture(doc, picture);
    if (status != ExportStatus::Ok) {
        return status;
    }
    switch (png::WritePngFile(picture, path)) {
        case png::PngStatus::Ok:
            return ExportStatus::Ok;
        case png::PngStatus::TooLarge:
            return ExportStatus::TooLarge;
        case png::PngStatus::OutOfMemory:
            return ExportStatus::OutOfMemory;
        case png::PngStatus::NullImage:
        case png::PngStatus::EncodeFailed:
        case png::PngStatus::WriteFailed:
            break;
    }
    return ExportStatus::WriteFailed;
}

}  // namespace quillora::canvas
