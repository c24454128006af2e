#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include "canvas/document/Geometry.h"

namespace quillora::canvas {

class CanvasDocument;

// Why saving the picture failed; every value but Ok deserves a message.
enum class ExportStatus {
    Ok,
    NoCutOut,      // no cut-out has arrived yet
    ReplayFailed,  // the strokes could not be applied to the cut-out
    TooLarge,      // the saved picture would exceed kMaxExportPixels
    OutOfMemory,   // a full-size picture or layer could not be made
    EmptyCrop,     // the crop box holds no whole pixel
    WriteFailed,   // the file could not be written (an existing file is kept)
};

// Saved pictures above this many pixels are refused before any full-size
// picture is made (a 100-megapixel export already needs several 400 MB
// layers).
inline constexpr qint64 kMaxExportPixels = 100'000'000;

// True for a picture size within kMaxExportPixels.
bool ExportSizeAllowed(const QSize& size);

// The placement rectangle in image pixels: view pixels divided by the view
// scale. Values within a rounding error of a whole pixel are snapped to it,
// so a cut-out that was not resized is drawn pixel for pixel.
RectF ExportPlacement(const RectF& placement, float viewScale);

// The crop of a saved picture: the part of the full-size picture kept, in
// whole pixels, and the size it is saved at.
struct ExportCrop {
    QRect region;
    QSize output;
};

// The crop box (view pixels) divided by the view scale. Identity-photo
// presets save at their fixed size (the region is stretched to it); the
// others save the region as it is, the box's size truncated to whole pixels
// (within a rounding error, as above). An empty output means nothing to save.
ExportCrop PlanExportCrop(const RectF& cropBox, float viewScale, int preset);

// The picture a save writes, from whatever page is current: the strokes are
// applied, every layer is made again from the full-size cut-out (shadow
// blurred by its full radius and offset by its full distance, border,
// filter chain) and stacked at scale 1 with the page's background and
// placement; in the change-size page with an applied crop, only the cropped
// part is composed and saved. The document's view is left as it was.
ExportStatus RenderExportPicture(CanvasDocument& doc, QImage& picture);

// RenderExportPicture written as a PNG file at path (through a temporary
// file, so a failed save keeps an existing file).
ExportStatus RenderOutput(CanvasDocument& doc, const QString& path);

}  // namespace quillora::canvas
