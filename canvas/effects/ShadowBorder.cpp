#include "canvas/effects/ShadowBorder.h"

#include <cmath>

#include "canvas/effects/ColourMatrixPresets.h"
#include "canvas/effects/Silhouette.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

namespace {

constexpr double kPi = 3.141592653589793;

// Applies the alpha factor unless it changes nothing.
bool Fade(QImage& image, float opacity) {
    return opacity == 1.0f || imaging::colourMatrix(image, AlphaFactorMatrix(opacity));
}

// The shadow made in place from a silhouette nobody else holds.
QImage ShadowFrom(QImage image, const ShadowParams& shadow, float blurScale) {
    if (image.isNull()) {
        return {};
    }
    const float radius = static_cast<float>(shadow.blur) * blurScale;
    if (radius > 0.0f && !imaging::gaussianBlur(image, radius, true)) {
        return {};
    }
    if (!Fade(image, shadow.opacity)) {
        return {};
    }
    return image;
}

QImage BorderFrom(QImage image, const BorderParams& border) {
    if (image.isNull() || !Fade(image, border.opacity)) {
        return {};
    }
    return image;
}

}  // namespace

QImage BuildShadowImage(const QImage& silhouette, const ShadowParams& shadow, float blurScale) {
    return ShadowFrom(imaging::copyArea(silhouette), shadow, blurScale);
}

QImage BuildBorderImage(const QImage& silhouette, const BorderParams& border) {
    return BorderFrom(imaging::copyArea(silhouette), border);
}

QImage BuildExportShadow(const QImage& cutOut, const ShadowParams& shadow) {
    if (AlphaOf(shadow.colour) == 0) {
        return {};
    }
    // The silhouette is made for this shadow alone: blurred where it is.
    return ShadowFrom(MakeSilhouette(cutOut, shadow.colour), shadow, 1.0f);
}

QImage BuildExportBorder(const QImage& cutOut, const BorderParams& border) {
    if (AlphaOf(border.colour) == 0) {
        return {};
    }
    return BorderFrom(MakeSilhouette(cutOut, border.colour), border);
}

PointF ShadowOffset(int distance, int angleDegrees, float scale) {
    // Truncated like every view length (a product a rounding error short of
    // a whole number counts as that number).
    const double d = ViewPixels(static_cast<float>(distance) * scale);
    // A full turn is no turn: 360 degrees places the shadow exactly as 0.
    const double theta = static_cast<double>(angleDegrees % 360) * kPi / 180.0;
    return {static_cast<float>(d * std::cos(theta)), static_cast<float>(d * std::sin(theta))};
}

RectF ShadowRect(const ShadowParams& shadow, float scale, const RectF& cutOutRect) {
    const PointF offset = ShadowOffset(shadow.distance, shadow.angle, scale);
    return {cutOutRect.x + offset.x, cutOutRect.y + offset.y, cutOutRect.w, cutOutRect.h};
}

RectF BorderRect(const BorderParams& border, float scale, const RectF& cutOutRect) {
    const float t = static_cast<float>(border.thickness) * scale;
    return {cutOutRect.x - t, cutOutRect.y - t, cutOutRect.w + 2.0f * t, cutOutRect.h + 2.0f * t};
}

bool DrawShadowLayer(imaging::Surface& surface, const QImage& shadowImage,
                     const ShadowParams& shadow, float scale, const RectF& cutOutRect) {
    if (AlphaOf(shadow.colour) == 0 || shadowImage.isNull()) {
        return false;
    }
    const RectF r = ShadowRect(shadow, scale, cutOutRect);
    return surface.drawImage(QRectF(r.x, r.y, r.w, r.h), shadowImage);
}

bool DrawBorderLayer(imaging::Surface& surface, const QImage& borderImage,
                     const BorderParams& border, float scale, const RectF& cutOutRect) {
    if (AlphaOf(border.colour) == 0 || borderImage.isNull()) {
        return false;
    }
    const RectF r = BorderRect(border, scale, cutOutRect);
    return surface.drawImage(QRectF(r.x, r.y, r.w, r.h), borderImage);
}

}  // namespace quillora::canvas
