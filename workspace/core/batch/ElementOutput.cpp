#include "workspace/core/batch/ElementOutput.h"

#include "canvas/imaging/Imaging.h"
#include "canvas/layout/Composition.h"
#include "canvas/layout/CropBox.h"
#include "canvas/layout/ExportRender.h"
#include "canvas/layout/LargePicture.h"
#include "canvas/png/PngFile.h"

namespace quillora::batch {

namespace {

using canvas::EditMode;
using canvas::RectF;

void Report(ElementSaveStatus* status, ElementSaveStatus value) {
    if (status != nullptr) {
        *status = value;
    }
}

RectF WholePicture(const QSize& size) {
    return {0.0f, 0.0f, static_cast<float>(size.width()), static_cast<float>(size.height())};
}

}  // namespace

ElementLook FullSizeLook(const QSize& fullSize, canvas::BackgroundKind kind, canvas::Argb colour,
                         const QImage& backgroundPicture, int sizePreset) {
    ElementLook look;
    look.background.kind = kind;
    look.background.colour = colour;
    look.backgroundPicture = backgroundPicture;
    look.background.placementRect = WholePicture(fullSize);
    look.previewScale = 1.0f;
    if (canvas::ChooseSizePreset(look.background, sizePreset, static_cast<float>(fullSize.width()),
                                 static_cast<float>(fullSize.height()))) {
        look.mode = EditMode::ChangeSize;
        look.background.cropApplied = true;
    }
    return look;
}

QImage RenderElementPicture(const QImage& cutOut, const ElementLook& look,
                            ElementSaveStatus* status) {
    if (cutOut.isNull()) {
        Report(status, ElementSaveStatus::NoCutOut);
        return {};
    }
    if (!canvas::ExportSizeAllowed(cutOut.size())) {
        Report(status, ElementSaveStatus::TooLarge);
        return {};
    }
    const float scale = look.previewScale > 0.0f ? look.previewScale : 1.0f;
    const bool cropping = look.mode == EditMode::ChangeSize && look.background.cropApplied;
    QRect area(QPoint(0, 0), cutOut.size());
    QSize output = cutOut.size();
    if (cropping) {
        const canvas::ExportCrop crop =
            canvas::PlanExportCrop(look.background.cropRect, scale, look.background.sizePreset);
        if (crop.output.isEmpty()) {
            Report(status, ElementSaveStatus::EmptyCrop);
            return {};
        }
        if (!canvas::ExportSizeAllowed(crop.output) ||
            !canvas::ExportSizeAllowed(crop.region.size())) {
            Report(status, ElementSaveStatus::TooLarge);
            return {};
        }
        area = crop.region;
        output = crop.output;
    }

    canvas::LayerStack stack;
    stack.page = look.mode;
    stack.forExport = true;
    stack.size = cutOut.size();
    stack.scale = 1.0f;
    stack.placement = look.background.placementRect.IsEmpty()
                          ? WholePicture(cutOut.size())
                          : canvas::ExportPlacement(look.background.placementRect, scale);
    stack.background = {look.background.kind, look.background.colour, look.backgroundPicture,
                        QImage()};
    stack.cutOut = {cutOut, QRect()};

    QImage composed = canvas::AllocatePicture(area.width(), area.height());
    if (composed.isNull() || !canvas::ComposeLayers(composed, area, stack)) {
        Report(status, ElementSaveStatus::OutOfMemory);
        return {};
    }
    if (composed.size() != output) {
        composed = imaging::scaledCopy(composed, output.width(), output.height());
        if (composed.isNull()) {
            Report(status, ElementSaveStatus::OutOfMemory);
            return {};
        }
    }
    Report(status, ElementSaveStatus::Ok);
    return composed;
}

ElementSaveStatus SaveElementOutput(const QString& cutOutPath, const ElementLook& look,
                                    const QString& path) {
    if (cutOutPath.isEmpty()) {
        return ElementSaveStatus::NoCutOut;
    }
    ElementSaveStatus status = ElementSaveStatus::Ok;
    QImage picture = RenderElementPicture(imaging::decodeFile(cutOutPath), look, &status);
    if (status != ElementSaveStatus::Ok) {
        return status;
    }
    switch (png::WritePngFile(picture, path)) {
        case png::PngStatus::Ok:
            return ElementSaveStatus::Ok;
        case png::PngStatus::TooLarge:
            return ElementSaveStatus::TooLarge;
        case png::PngStatus::OutOfMemory:
            return ElementSaveStatus::OutOfMemory;
        case png::PngStatus::NullImage:
        case png::PngStatus::EncodeFailed:
        case png::PngStatus::WriteFailed:
            break;
    }
    return ElementSaveStatus::WriteFailed;
}

QImage ComposeElementPreview(const QSize& previewPixels, const QImage& previewCutOut,
                             const ElementLook& look, const QImage& previewBackground,
                             const QImage& checkerTile, bool placementSelected) {
    QImage picture = imaging::newBitmap(previewPixels.width(), previewPixels.height());
    if (picture.isNull()) {
        return {};
    }
    canvas::LayerStack stack;
    stack.page = look.mode;
    stack.forExport = false;
    stack.size = previewPixels;
    stack.scale = look.previewScale;
    stack.placement = look.background.placementRect.IsEmpty() ? WholePicture(previewPixels)
                                                              : look.background.placementRect;
    stack.background = {look.background.kind, look.background.colour, previewBackground,
                        checkerTile};
    stack.cutOut = {previewCutOut, QRect()};
    stack.showCropBox = look.mode == EditMode::ChangeSize && look.background.cropApplied;
    stack.cropBox = look.background.cropRect;
    stack.showPlacementFrame = look.mode == EditMode::ChangeBackground && placementSelected;
    if (!canvas::ComposeLayers(picture, QRect(QPoint(0, 0), previewPixels), stack)) {
        return {};
    }
    return picture;
}

}  // namespace quillora::batch
