#include "canvas/document/Geometry.h"

#include <algorithm>
#include <cmath>

namespace quillora::canvas {

RectF UnionRect(const RectF& a, const RectF& b) {
    if (a.IsEmpty()) {
        return b;
    }
    if (b.IsEmpty()) {
        return a;
    }
    const float left = std::min(a.x, b.x);
    const float top = std::min(a.y, b.y);
    const float right = std::max(a.Right(), b.Right());
    const float bottom = std::max(a.Bottom(), b.Bottom());
    return {left, top, right - left, bottom - top};
}

namespace {

// Window positions stay far inside int range; the clamp only keeps a runaway
// value from turning into undefined behaviour.
int ClampedInt(double v) {
    constexpr double kLimit = 1e9;
    return static_cast<int>(std::clamp(v, -kLimit, kLimit));
}

}  // namespace

RectI CoveringRect(const RectF& r, int margin) {
    const int left = ClampedInt(std::floor(r.x)) - margin;
    const int top = ClampedInt(std::floor(r.y)) - margin;
    const int right = ClampedInt(std::ceil(static_cast<double>(r.x) + r.w)) + margin;
    const int bottom = ClampedInt(std::ceil(static_cast<double>(r.y) + r.h)) + margin;
    return {left, top, right - left, bottom - top};
}

RectI IntersectRect(const RectI& a, const RectI& b) {
    const int left = std::max(a.x, b.x);
    const int top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.w, b.x + b.w);
    const int bottom = std::min(a.y + a.h, b.y + b.h);
    if (right <= left || bottom <= top) {
        return {};
    }
    return {left, top, right - left, bottom - top};
}

int ViewPixels(float length) {
    if (!(length > 0.0f)) {
        return 0;
    }
    // A few float operations lose at most a few parts in ten million.
    const double tolerance = static_cast<double>(length) * 1e-6 + 1e-5;
    const double whole = std::floor(static_cast<double>(length) + tolerance);
    return whole >= 2147483647.0 ? 2147483647 : static_cast<int>(whole);
}

}  // namespace quillora::canvas
