#pragma once

#include <QImage>

namespace quillora::imaging {

// An ARGB32 picture shrunk to width x height (each no larger than the
// source's) by averaging the area of the source under each output pixel,
// weighed by alpha: a pixel's colour comes only from the visible parts under
// it, its alpha is the mean alpha. The source is read in place and averaged
// in bands on every core, so no full-size premultiplied copy is made. Null
// for a size out of range, a source that is not ARGB32, or when memory runs
// out.
QImage areaDownscale(const QImage& source, int width, int height);

}  // namespace quillora::imaging
