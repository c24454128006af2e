#pragma once

#include <QImage>

#include <optional>

#include "canvas/document/Geometry.h"
#include "canvas/document/ParameterGroups.h"
#include "canvas/effects/BrushHistory.h"
#include "canvas/effects/SoftBrush.h"

namespace quillora::canvas {

// The picture of the cut-out page's source view: the view-sized photo with
// the tint overlay on top. The overlay shows the kept region as the tint
// colour at half its alpha, add strokes in the tint colour at alpha 150,
// erase strokes as holes, and the brush disc under the cursor in the opaque
// tint colour. Strokes store no colour, so a new tint recolours them all.
//
// It runs on every mouse move, so it keeps what does not change between two
// moves: the tint mask scaled to the view and halved in alpha is made once
// per tint mask and scale, and the picture buffers are reused.
class TintOverlay {
public:
    // viewSource: the photo at the cut-out page's scale; tintMask: the
    // full-size cut-out in the tint colour (may be null); disc: the brush
    // disc's centre in picture pixels, or none. The picture stays valid until
    // the next call; null when viewSource is null or memory runs out.
    const QImage& Render(const QImage& viewSource, const QImage& tintMask, float scale,
                         const BrushHistory& strokes, const BrushParams& brush,
                         std::optional<PointF> disc);

    // Releases the kept pictures.
    void Clear();

private:
    bool PrepareTint(const QImage& tintMask, int width, int height);
    bool PrepareOverlay(int width, int height);
    void DrawRecords(const BrushHistory& strokes, Argb addColour, float scale);
    void DrawDisc(PointF centre, float diameter, int softness, Argb colour);

    QImage halfTint_;
    qint64 halfTintKey_ = 0;
    QImage overlay_;
    QImage picture_;
    CoverageMask coverage_;
};

// Where the brush disc goes: the cursor relative to the view rectangle's
// corner, when the brush is active and the cursor is inside the rectangle
// (left and top edges inside, right and bottom edges outside).
std::optional<PointF> BrushDiscCentre(bool brushEnabled, PointI cursor, const RectF& viewRect);

}  // namespace quillora::canvas
