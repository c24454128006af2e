#include "canvas/document/StrokeDrawing.h"

#include <algorithm>
#include <cmath>

namespace quillora::canvas {

namespace {

bool Selected(const StrokeRecord& r, std::uint32_t groupFilter) {
    if (r.enabled == 0) {
        return false;
    }
    return groupFilter == kAllGroups || static_cast<std::uint32_t>(r.group) == groupFilter;
}

bool IsFinite(const StrokeRecord& r) {
    return std::isfinite(r.x1) && std::isfinite(r.y1) && std::isfinite(r.x2) && std::isfinite(r.y2);
}

QPointF Map(const StrokeSpace& space, float x, float y) {
    return {space.origin.x + x * space.scale, space.origin.y + y * space.scale};
}

}  // namespace

void DrawStrokes(imaging::Surface& surface, std::span<const StrokeRecord> strokes, Argb addColour,
                 std::uint32_t groupFilter, const StrokeSpace& space) {
    if (!surface.isValid()) {
        return;
    }
    for (const StrokeRecord& r : strokes) {
        if (!Selected(r, groupFilter) || r.size <= 0 || !IsFinite(r)) {
            continue;
        }
        const Argb colour = r.kind == kStrokeAdd ? addColour : kEraseStrokeColour;
        const float width = static_cast<float>(r.size) * space.scale;
        if (r.isSegment != 0) {
            surface.drawLine(imaging::Pen{colour, width}, Map(space, r.x1, r.y1),
                             Map(space, r.x2, r.y2));
        } else {
            const QPointF centre = Map(space, r.x1, r.y1);
            surface.fillEllipse(
                colour, QRectF(centre.x() - width / 2.0f, centre.y() - width / 2.0f, width, width));
        }
    }
}

RectI StrokeBounds(std::span<const StrokeRecord> strokes, int width, int height) {
    double left = width;
    double top = height;
    double right = 0.0;
    double bottom = 0.0;
    bool any = false;
    for (const StrokeRecord& r : strokes) {
        if (r.enabled == 0 || r.size <= 0 || !IsFinite(r)) {
            continue;
        }
        // One pixel more than the pen's half width covers the rasteriser's
        // rounding at the edge.
        const double reach = r.size / 2.0 + 1.0;
        double x0 = r.x1;
        double x1 = r.x1;
        double y0 = r.y1;
        double y1 = r.y1;
        if (r.isSegment != 0) {
            x0 = std::min<double>(r.x1, r.x2);
            x1 = std::max<double>(r.x1, r.x2);
            y0 = std::min<double>(r.y1, r.y2);
            y1 = std::max<double>(r.y1, r.y2);
        }
        left = std::min(left, x0 - reach);
        top = std::min(top, y0 - reach);
        right = std::max(right, x1 + reach);
        bottom = std::max(bottom, y1 + reach);
        any = true;
    }
    if (!any) {
        return {};
    }
    const int l = static_cast<int>(std::floor(std::clamp(left, 0.0, double(width))));
    const int t = static_cast<int>(std::floor(std::clamp(top, 0.0, double(height))));
    const int rr = static_cast<int>(std::ceil(std::clamp(right, 0.0, double(width))));
    const int b = static_cast<int>(std::ceil(std::clamp(bottom, 0.0, double(height))));
    if (rr <= l || b <= t) {
        return {};
    }
    return {l, t, rr - l, b - t};
}

}  // namespace quillora::canvas
