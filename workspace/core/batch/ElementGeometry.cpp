#include "workspace/core/batch/ElementGeometry.h"

#include <algorithm>
#include <cmath>

namespace quillora::batch {

namespace {

// Quotients such as 300 / 1000 land a hair under the hundredth they stand
// for; this much is forgiven before cutting.
constexpr double kHundredthTolerance = 1e-9;

}  // namespace

PreviewLayout LayOutPreview(const QRect& element, const QSize& photo, int margin) {
    PreviewLayout layout;
    const double W = element.width();
    const double H = element.height();
    if (photo.width() <= 0 || photo.height() <= 0) {
        layout.rect = {static_cast<float>(element.left() + W * 0.5),
                       static_cast<float>(element.top() + (H - margin) * 0.5), 0.0f, 0.0f};
        return layout;
    }
    const double w = photo.width();
    const double h = photo.height();
    double scale = 1.0;
    if (w > W || h > H) {
        const double fit = std::min(W / w, (H - margin) / h);
        scale = std::floor(fit * kPreviewScaleSteps + kHundredthTolerance) / kPreviewScaleSteps;
        scale = std::max(scale, 0.0);
    }
    layout.scale = static_cast<float>(scale);
    const float pw = static_cast<float>(w) * layout.scale;
    const float ph = static_cast<float>(h) * layout.scale;
    layout.rect = {static_cast<float>(element.left() + (W - pw) * 0.5),
                   static_cast<float>(element.top() + (H - margin - ph) * 0.5), pw, ph};
    layout.pixels = QSize(canvas::ViewPixels(pw), canvas::ViewPixels(ph));
    return layout;
}

BarGeometry BottomBar(const QRect& element, int margin, int barHeight) {
    BarGeometry bar;
    bar.left = element.left();
    bar.right = element.left() + element.width();
    bar.bottom = element.top() + element.height() - margin;
    bar.top = bar.bottom - barHeight;
    bar.middle = element.left() + element.width() / 2;
    return bar;
}

BarPart BarPartAt(const BarGeometry& bar, QPoint point) {
    if (point.x() < bar.left || point.x() > bar.right || point.y() < bar.top ||
        point.y() > bar.bottom) {
        return BarPart::None;
    }
    return point.x() <= bar.middle ? BarPart::Delete : BarPart::Download;
}

}  // namespace quillora::batch
