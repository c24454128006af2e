#include "canvas/layout/Overlays.h"

#include <algorithm>
#include <cstdlib>

#include "canvas/document/Colour.h"

namespace quillora::canvas {

namespace {

constexpr int kMarkInset = 2;
constexpr int kMarkReach = 20;
constexpr int kSquareHalf = 10;

// Lines are filled pixel rectangles rather than stroked paths, so that every
// pixel lands exactly where it is meant to, whatever the painter's pen rules.
void HorizontalLine(imaging::Surface& s, int x0, int x1, int y) {
    const int left = std::min(x0, x1);
    s.fillRectangle(kOverlayColour, QRectF(left, y, std::abs(x1 - x0) + 1, 1));
}

void VerticalLine(imaging::Surface& s, int x, int y0, int y1) {
    const int top = std::min(y0, y1);
    s.fillRectangle(kOverlayColour, QRectF(x, top, 1, std::abs(y1 - y0) + 1));
}

// Every other pixel, starting with the first.
void DottedHorizontal(imaging::Surface& s, int x0, int x1, int y) {
    for (int x = x0; x <= x1; x += 2) {
        s.fillRectangle(kOverlayColour, QRectF(x, y, 1, 1));
    }
}

void DottedVertical(imaging::Surface& s, int x, int y0, int y1) {
    for (int y = y0; y <= y1; y += 2) {
        s.fillRectangle(kOverlayColour, QRectF(x, y, 1, 1));
    }
}

// The outline of (x, y, w, h): columns x and x + w, rows y and y + h.
void Frame(imaging::Surface& s, int x, int y, int w, int h) {
    HorizontalLine(s, x, x + w, y);
    HorizontalLine(s, x, x + w, y + h);
    VerticalLine(s, x, y, y + h);
    VerticalLine(s, x + w, y, y + h);
}

struct InnerFrame {
    int x, y, w, h;
    bool IsDrawable() const { return w >= 0 && h >= 0; }
};

// One pixel inside the rectangle, from its truncated position and size.
InnerFrame InsetFrame(const RectF& r) {
    return {static_cast<int>(r.x) + 1, static_cast<int>(r.y) + 1, static_cast<int>(r.w) - 2,
            static_cast<int>(r.h) - 2};
}

// An L in the corner (cx, cy); sx and sy point into the frame.
void CornerMark(imaging::Surface& s, int cx, int cy, int sx, int sy) {
    const int legX = cx + sx * kMarkInset;
    const int legY = cy + sy * kMarkInset;
    HorizontalLine(s, legX, cx + sx * kMarkReach, legY);
    VerticalLine(s, legX, legY, cy + sy * kMarkReach);
}

}  // namespace

void DrawCropOverlay(imaging::Surface& surface, const RectF& box) {
    const InnerFrame f = InsetFrame(box);
    if (!f.IsDrawable() || !surface.isValid()) {
        return;
    }
    Frame(surface, f.x, f.y, f.w, f.h);
    DottedHorizontal(surface, f.x, f.x + f.w, f.y + f.h / 3);
    DottedHorizontal(surface, f.x, f.x + f.w, f.y + 2 * f.h / 3);
    DottedVertical(surface, f.x + f.w / 3, f.y, f.y + f.h);
    DottedVertical(surface, f.x + 2 * f.w / 3, f.y, f.y + f.h);
    const int right = f.x + f.w;
    const int bottom = f.y + f.h;
    CornerMark(surface, f.x, f.y, 1, 1);
    CornerMark(surface, right, f.y, -1, 1);
    CornerMark(surface, f.x, bottom, 1, -1);
    CornerMark(surface, right, bottom, -1, -1);
}

void DrawPlacementOverlay(imaging::Surface& surface, const RectF& placement) {
    const InnerFrame f = InsetFrame(placement);
    if (!f.IsDrawable() || !surface.isValid()) {
        return;
    }
    Frame(surface, f.x, f.y, f.w, f.h);
    const int side = 2 * kSquareHalf;
    for (int cx : {f.x, f.x + f.w}) {
        for (int cy : {f.y, f.y + f.h}) {
            Frame(surface, cx - kSquareHalf, cy - kSquareHalf, side, side);
        }
    }
}

}  // namespace quillora::canvas
