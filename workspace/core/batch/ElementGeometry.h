#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include "canvas/document/Geometry.h"

namespace quillora::batch {

// Sizes of a batch file element at 96 DPI; the element scales them for the
// screen. The margin is the strip under the preview frame; the bar lies just
// above it.
inline constexpr int kElementBottomMargin = 20;
inline constexpr int kElementBarHeight = 36;
// Preview scales are cut to whole hundredths.
inline constexpr double kPreviewScaleSteps = 100.0;

// Where the preview of a photo goes in an element, in the list's pixels.
struct PreviewLayout {
    float scale = 1.0f;  // preview pixels per photo pixel
    canvas::RectF rect;  // the preview, centred above the bottom margin
    QSize pixels;        // the preview picture's whole-pixel size
};

// A photo that fits the element is shown as it is (never enlarged); a larger
// one is shrunk by the smaller of the two ratios to the space above the
// margin, cut to whole hundredths. A photo of no size gives an empty
// preview at scale 1.
PreviewLayout LayOutPreview(const QRect& element, const QSize& photo, int margin);

// The bar across the element's whole width whose bottom edge lies margin
// pixels above the element's bottom.
struct BarGeometry {
    int left = 0;
    int right = 0;  // left + width: both edges belong to the bar
    int top = 0;
    int bottom = 0;
    int middle = 0;  // left + width / 2: the middle column counts as delete
};
BarGeometry BottomBar(const QRect& element, int margin, int barHeight);

enum class BarPart { None, Delete, Download };
BarPart BarPartAt(const BarGeometry& bar, QPoint point);

}  // namespace quillora::batch
