#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

#include "canvas/document/Colour.h"
#include "canvas/document/Geometry.h"
#include "canvas/document/StrokeDrawing.h"
#include "canvas/document/StrokeRecord.h"

namespace quillora::canvas {

// Brush softness feathers the edge of a stroke. At the lowest softness the
// brush is hard: strokes are drawn exactly as the pen draws them. Above it,
// coverage falls from 1 to 0 over the outer part of the radius, smoothly;
// at the highest softness the ramp spans the whole radius. The same profile
// is used for the cut-out and for the tint overlay, scaled to each.
bool IsHardBrush(int softness);

// The smallest rectangle holding both; an empty one adds nothing.
RectI UnionOf(const RectI& a, const RectI& b);

// Records [begin, end) of the list that are drawn in one go: consecutive
// hard records (the pen draws them, the last one over a pixel decides), or
// consecutive soft records of one group and kind (one press-drag-release,
// whose overlapping segment ends must not add up).
struct StrokeRun {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool hard = true;
};

// The runs of records [from, end of list) in list order. softness holds one
// value per record; a record without one counts as hard.
std::vector<StrokeRun> SplitIntoRuns(const StrokeList& records,
                                     const std::vector<std::uint8_t>& softness, std::size_t from);

// Coverage (0..1) at distance d from a stroke's centre line, for a brush of
// the given radius and softness.
float BrushCoverage(float distance, float radius, int softness);

// The coverage of a run of records over a box of target pixels: each pixel
// holds the highest coverage any record of the run gives it, 0..255, so the
// overlapping ends of a drag's segments do not add up.
struct CoverageMask {
    RectI box;
    std::vector<std::uint8_t> values;  // box.w x box.h, row by row

    std::uint8_t At(int x, int y) const {
        return values[static_cast<std::size_t>(y - box.y) * box.w + (x - box.x)];
    }
};

// Fills mask with the coverage of records [begin, end) (all enabled) mapped
// through space, clipped to (0, 0, width, height). softness holds one value
// per record of the whole list. The mask's box is empty when nothing lands
// inside.
void RasteriseCoverage(const StrokeList& records, const std::vector<std::uint8_t>& softness,
                       std::size_t begin, std::size_t end, const StrokeSpace& space, int width,
                       int height, CoverageMask& mask);

// One disc of the given diameter and softness centred at a target point.
void RasteriseDisc(PointF centre, float diameter, int softness, int width, int height,
                   CoverageMask& mask);

// Blends image pixels towards a target by the mask's coverage, on
// premultiplied colour (a transparent pixel lends no colour): full coverage
// gives exactly the target, none leaves the pixel as it was.
// Towards the matching pixel of another picture (the mask's box must lie
// inside both):
void BlendTowardsPicture(QImage& image, const QImage& target, const CoverageMask& mask);
// Towards one colour:
void BlendTowardsColour(QImage& image, Argb colour, const CoverageMask& mask);

}  // namespace quillora::canvas
