#pragma once

#include <cstdint>
#include <span>

#include "canvas/document/Colour.h"
#include "canvas/document/Geometry.h"
#include "canvas/document/StrokeRecord.h"
#include "canvas/imaging/Surface.h"

namespace quillora::canvas {

// Where image pixels land on the drawing target: target = origin + image x
// scale. Image space is scale 1 at the origin; the view space of the tint
// overlay is the view scale, relative to the view rectangle's corner.
struct StrokeSpace {
    float scale = 1.0f;
    PointF origin{};

    static StrokeSpace Image() { return {}; }
    static StrokeSpace View(float viewScale) { return {viewScale, {}}; }
};

// Erase records are drawn in transparent white; on a source-copy surface they
// write alpha 0.
inline constexpr Argb kEraseStrokeColour = 0x00FFFFFFu;

// Draws the enabled records of one group (or of every group with kAllGroups)
// in list order: add records in addColour, erase records in
// kEraseStrokeColour. A segment is a line of the brush diameter with round
// caps, a dot a filled disc of that diameter. The caller chooses the
// compositing mode; the replay mask uses source-copy so that later records
// overwrite earlier ones.
void DrawStrokes(imaging::Surface& surface, std::span<const StrokeRecord> strokes, Argb addColour,
                 std::uint32_t groupFilter, const StrokeSpace& space);
inline void DrawStrokes(imaging::Surface& surface, const StrokeList& strokes, Argb addColour,
                        std::uint32_t groupFilter, const StrokeSpace& space) {
    DrawStrokes(surface, std::span<const StrokeRecord>(strokes), addColour, groupFilter, space);
}

// Image-pixel box covering every enabled record, pen width included, clipped
// to (0, 0, width, height); empty when nothing is drawn inside.
RectI StrokeBounds(std::span<const StrokeRecord> strokes, int width, int height);

}  // namespace quillora::canvas
