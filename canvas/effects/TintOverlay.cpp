#include "canvas/effects/TintOverlay.h"

#include <cstring>

#include "canvas/document/StrokeDrawing.h"
#include "canvas/effects/ColourMatrixPresets.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

namespace {

constexpr float kTintMaskOpacity = 0.5f;
constexpr std::uint32_t kStrokeAlpha = 150;
constexpr std::uint32_t kDiscAlpha = 255;
constexpr Argb kClearOverlay = 0x00FFFFFFu;

// Copies a picture into a kept one of the same size without a new buffer.
bool CopyInto(QImage& to, const QImage& from) {
    if (to.size() != from.size() || to.format() != QImage::Format_ARGB32) {
        to = imaging::copyArea(from);
        return !to.isNull();
    }
    const std::size_t bytes = static_cast<std::size_t>(from.width()) * 4;
    for (int y = 0; y < from.height(); ++y) {
        std::memcpy(to.scanLine(y), from.constScanLine(y), bytes);
    }
    return true;
}

}  // namespace

std::optional<PointF> BrushDiscCentre(bool brushEnabled, PointI cursor, const RectF& viewRect) {
    const auto x = static_cast<float>(cursor.x);
    const auto y = static_cast<float>(cursor.y);
    if (!brushEnabled || x < viewRect.x || y < viewRect.y || x >= viewRect.Right() ||
        y >= viewRect.Bottom()) {
        return std::nullopt;
    }
    return PointF{x - viewRect.x, y - viewRect.y};
}

void TintOverlay::Clear() {
    halfTint_ = overlay_ = picture_ = QImage();
    halfTintKey_ = 0;
    coverage_ = {};
}

bool TintOverlay::PrepareTint(const QImage& tintMask, int width, int height) {
    if (!halfTint_.isNull() && halfTintKey_ == tintMask.cacheKey() && halfTint_.width() == width &&
        halfTint_.height() == height) {
        return true;
    }
    halfTint_ = imaging::scaledCopy(tintMask, width, height);
    if (halfTint_.isNull() ||
        !imaging::colourMatrix(halfTint_, AlphaFactorMatrix(kTintMaskOpacity))) {
        halfTint_ = QImage();
        return false;
    }
    halfTintKey_ = tintMask.cacheKey();
    return true;
}

bool TintOverlay::PrepareOverlay(int width, int height) {
    if (!halfTint_.isNull()) {
        return CopyInto(overlay_, halfTint_);
    }
    if (overlay_.width() != width || overlay_.height() != height) {
        overlay_ = imaging::newBitmap(width, height);
    }
    if (overlay_.isNull()) {
        return false;
    }
    overlay_.fill(kClearOverlay);
    return true;
}

void TintOverlay::DrawRecords(const BrushHistory& strokes, Argb addColour, float scale) {
    const StrokeList& records = strokes.Records();
    const StrokeSpace space = StrokeSpace::View(scale);
    for (const StrokeRun& run : SplitIntoRuns(records, strokes.Softness(), 0)) {
        if (run.hard) {
            const StrokeList part(records.begin() + static_cast<std::ptrdiff_t>(run.begin),
                                  records.begin() + static_cast<std::ptrdiff_t>(run.end));
            imaging::Surface surface(overlay_);
            surface.setCompositingMode(imaging::CompositingMode::SourceCopy);
            DrawStrokes(surface, part, addColour, kAllGroups, space);
            continue;
        }
        RasteriseCoverage(records, strokes.Softness(), run.begin, run.end, space, overlay_.width(),
                          overlay_.height(), coverage_);
        const bool add = records[run.begin].kind == kStrokeAdd;
        BlendTowardsColour(overlay_, add ? addColour : 0u, coverage_);
    }
}

void TintOverlay::DrawDisc(PointF centre, float diameter, int softness, Argb colour) {
    if (IsHardBrush(softness)) {
        imaging::Surface surface(overlay_);
        surface.setCompositingMode(imaging::CompositingMode::SourceCopy);
        surface.fillEllipse(colour, QRectF(centre.x - diameter / 2.0f, centre.y - diameter / 2.0f,
                                           diameter, diameter));
        return;
    }
    RasteriseDisc(centre, diameter, softness, overlay_.width(), overlay_.height(), coverage_);
    BlendTowardsColour(overlay_, colour, coverage_);
}

const QImage& TintOverlay::Render(const QImage& viewSource, const QImage& tintMask, float scale,
                                  const BrushHistory& strokes, const BrushParams& brush,
                                  std::optional<PointF> disc) {
    if (viewSource.isNull() || !CopyInto(picture_, viewSource)) {
        picture_ = QImage();
        return picture_;
    }
    int width = viewSource.width();
    int height = viewSource.height();
    if (tintMask.isNull()) {
        halfTint_ = QImage();
    } else {
        width = ViewPixels(static_cast<float>(tintMask.width()) * scale);
        height = ViewPixels(static_cast<float>(tintMask.height()) * scale);
        if (width <= 0 || height <= 0 || !PrepareTint(tintMask, width, height)) {
            return picture_;
        }
    }
    if (!PrepareOverlay(width, height)) {
        return picture_;
    }
    DrawRecords(strokes, WithAlpha(brush.tintColour, kStrokeAlpha), scale);
    if (disc) {
        DrawDisc(*disc, static_cast<float>(brush.size) * scale, brush.softness,
                 WithAlpha(brush.tintColour, kDiscAlpha));
    }
    imaging::Surface surface(picture_);
    surface.drawImage(QRectF(0, 0, width, height), overlay_);
    return picture_;
}

}  // namespace quillora::canvas
