#include "canvas/effects/FilterChain.h"

#include "canvas/effects/ColourMatrixPresets.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

bool ApplyFilterChain(QImage& image, const FilterParams& filter) {
    if (image.isNull() || image.format() != QImage::Format_ARGB32) {
        return false;
    }
    if ((filter.brightness != 0 || filter.contrast != 0) &&
        !imaging::brightnessContrast(image, filter.brightness, filter.contrast)) {
        return false;
    }
    if (filter.saturation != 0 &&
        !imaging::hueSaturationLightness(image, 0, filter.saturation, 0)) {
        return false;
    }
    const imaging::ColourMatrix matrix = FilterPresetMatrix(filter.preset, filter.opacity);
    if (matrix != imaging::identityMatrix() && !imaging::colourMatrix(image, matrix)) {
        return false;
    }
    if (filter.blurry > 0 &&
        !imaging::gaussianBlur(image, static_cast<float>(filter.blurry), false)) {
        return false;
    }
    return true;
}

QImage FilteredCopy(const QImage& viewResult, const FilterParams& filter) {
    QImage image = imaging::copyArea(viewResult);
    if (image.isNull() || !ApplyFilterChain(image, filter)) {
        return {};
    }
    return image;
}

}  // namespace quillora::canvas
