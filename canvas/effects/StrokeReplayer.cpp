#include "canvas/effects/StrokeReplayer.h"

#include <algorithm>
#include <cstring>

#include "canvas/document/StrokeDrawing.h"
#include "canvas/imaging/Imaging.h"

namespace quillora::canvas {

namespace {

bool IsUsable(const QImage& image) {
    return !image.isNull() && image.format() == QImage::Format_ARGB32;
}

void CopyRect(QImage& to, const QImage& from, const RectI& rect) {
    const std::size_t bytes = static_cast<std::size_t>(rect.w) * 4;
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        std::memcpy(to.scanLine(y) + static_cast<std::size_t>(rect.x) * 4,
                    from.constScanLine(y) + static_cast<std::size_t>(rect.x) * 4, bytes);
    }
}

}  // namespace

bool StrokeReplayer::SetCutOut(const QImage& cutOut) {
    Clear();
    if (!IsUsable(cutOut)) {
        return false;
    }
    cutOut_ = imaging::copyArea(cutOut);
    if (cutOut_.isNull()) {
        return false;
    }
    // The picture handed in is where the document starts: the first update
    // has nothing to restore.
    resultKnown_ = true;
    resultKey_ = cutOut.cacheKey();
    return true;
}

void StrokeReplayer::Clear() {
    cutOut_ = QImage();
    mask_.Release();
    coverage_ = {};
    inStep_ = false;
    resultKnown_ = false;
    applied_ = 0;
    touched_ = lastChange_ = {};
}

bool StrokeReplayer::Restore(QImage& result) {
    if (cutOut_.isNull() || cutOut_.size() != result.size()) {
        // No cut-out kept, or the document holds another one: it is the start.
        cutOut_ = imaging::copyArea(result);
        touched_ = {};
        return !cutOut_.isNull();
    }
    const RectI whole{0, 0, result.width(), result.height()};
    const bool knowsResult = resultKnown_ && result.cacheKey() == resultKey_;
    const RectI restore = knowsResult ? touched_ : whole;
    CopyRect(result, cutOut_, restore);
    lastChange_ = restore;
    touched_ = {};
    return true;
}

bool StrokeReplayer::ApplyFrom(QImage& result, const QImage& source, const BrushHistory& history,
                               std::size_t first) {
    const StrokeList& records = history.Records();
    const int width = std::min(result.width(), source.width());
    const int height = std::min(result.height(), source.height());
    for (const StrokeRun& run : SplitIntoRuns(records, history.Softness(), first)) {
        RectI changed;
        if (run.hard) {
            const StrokeList part(records.begin() + static_cast<std::ptrdiff_t>(run.begin),
                                  records.begin() + static_cast<std::ptrdiff_t>(run.end));
            if (!ReplayStrokes(result, source, part, mask_)) {
                return false;
            }
            changed = StrokeBounds(part, width, height);
        } else {
            RasteriseCoverage(records, history.Softness(), run.begin, run.end, StrokeSpace::Image(),
                              width, height, coverage_);
            if (records[run.begin].kind == kStrokeAdd) {
                BlendTowardsPicture(result, source, coverage_);
            } else {
                BlendTowardsColour(result, 0u, coverage_);
            }
            changed = coverage_.box;
        }
        touched_ = UnionOf(touched_, changed);
        lastChange_ = UnionOf(lastChange_, changed);
    }
    return true;
}

bool StrokeReplayer::Update(QImage& result, const QImage& source, const BrushHistory& history,
                            bool fromStart) {
    lastChange_ = {};
    if (!IsUsable(result) || !IsUsable(source)) {
        return false;
    }
    const std::size_t count = history.Records().size();
    const bool onlyAdded = inStep_ && !fromStart && history.Revision() == revision_ &&
                           count >= applied_ && result.cacheKey() == resultKey_ &&
                           result.size() == cutOut_.size();
    std::size_t first = applied_;
    if (!onlyAdded) {
        first = 0;
        if (!Restore(result)) {
            inStep_ = resultKnown_ = false;
            return false;
        }
    }
    inStep_ = resultKnown_ = false;
    if (!ApplyFrom(result, source, history, first)) {
        return false;
    }
    applied_ = count;
    revision_ = history.Revision();
    resultKey_ = result.cacheKey();
    inStep_ = resultKnown_ = true;
    return true;
}

}  // namespace quillora::canvas
