#pragma once

#include <QImage>

#include <cstdint>

#include "canvas/document/Geometry.h"
#include "canvas/document/StrokeReplay.h"
#include "canvas/effects/BrushHistory.h"
#include "canvas/effects/SoftBrush.h"

namespace quillora::canvas {

// Keeps the cut-out in step with the refinement strokes, doing only the work
// the last change needs. The cut-out is always the service's cut-out with
// every enabled record applied once, in list order (the last record over a
// pixel decides; a soft edge blends). While strokes are only added, an update
// applies just the new records; after undo, redo, reset or a new cut-out it
// starts again from the kept copy of the service's cut-out, restoring only
// the pixels earlier strokes touched. Either way the picture equals a
// replay of the whole list from the service's cut-out.
//
// UI thread only, like the canvas that owns it.
class StrokeReplayer {
public:
    // A new cut-out from the service: kept as the start of every replay.
    // False (and nothing kept) when it is not a usable ARGB32 picture or
    // memory runs out.
    bool SetCutOut(const QImage& cutOut);
    const QImage& CutOut() const { return cutOut_; }

    // Releases the kept pictures (a cleared document).
    void Clear();

    // Brings result (the document's cut-out, the size of the kept one) up to
    // date with history's enabled records; source is the photo that add
    // records restore. fromStart asks for a replay from the service's
    // cut-out even when nothing seems to need it. When no cut-out was kept,
    // result is taken as the service's cut-out. False when a picture is
    // unusable or memory runs out; result is then back to the service's
    // cut-out or left partly updated, and the next update starts again.
    bool Update(QImage& result, const QImage& source, const BrushHistory& history, bool fromStart);

    // The image pixels the last update changed (empty when none).
    const RectI& LastChange() const { return lastChange_; }

private:
    bool Restore(QImage& result);
    bool ApplyFrom(QImage& result, const QImage& source, const BrushHistory& history,
                   std::size_t first);

    QImage cutOut_;
    ReplayMaskBuffer mask_;
    CoverageMask coverage_;
    // result (known by its cache key) equals cutOut_ outside touched_.
    bool resultKnown_ = false;
    // Moreover records [0, applied_) of revision_ are applied to it.
    bool inStep_ = false;
    std::size_t applied_ = 0;
    std::uint64_t revision_ = 0;
    qint64 resultKey_ = 0;
    RectI touched_;  // what differs from cutOut_
    RectI lastChange_;
};

}  // namespace quillora::canvas
