#pragma once

namespace quillora::canvas {

// Window and image positions are kept in float, as the view arithmetic is
// defined on floats (a fit scale of 0.26 is not exact in binary, and the
// rectangles must come out the same wherever they are computed).
struct PointF {
    float x = 0.0f;
    float y = 0.0f;
    friend bool operator==(const PointF&, const PointF&) = default;
};

struct RectF {
    float x = 0.0f;
    float y = 0.0f;
    float w = 0.0f;
    float h = 0.0f;

    bool IsEmpty() const { return !(w > 0.0f && h > 0.0f); }
    float Right() const { return x + w; }
    float Bottom() const { return y + h; }
    friend bool operator==(const RectF&, const RectF&) = default;
};

struct PointI {
    int x = 0;
    int y = 0;
    friend bool operator==(const PointI&, const PointI&) = default;
};

struct RectI {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;

    bool IsEmpty() const { return w <= 0 || h <= 0; }
    friend bool operator==(const RectI&, const RectI&) = default;
};

// Bounding box of two rectangles; an empty one contributes nothing.
RectF UnionRect(const RectF& a, const RectF& b);

// The smallest integer rectangle that covers r, grown by margin on every side.
RectI CoveringRect(const RectF& r, int margin);

RectI IntersectRect(const RectI& a, const RectI& b);

// Size in whole pixels of a length scaled to the view: truncated, except that
// a product a rounding error short of a whole number counts as that number
// (3000 x 0.26f is 779.99997 in float, and the view must still be 780 wide).
int ViewPixels(float length);

}  // namespace quillora::canvas
