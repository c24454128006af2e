#include "canvas/effects/BrushHistory.h"

#include <algorithm>

namespace quillora::canvas {

void BrushHistory::RemoveGroupsFrom(int group) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (records_[i].group < group) {
            records_[kept] = records_[i];
            softness_[kept] = softness_[i];
            ++kept;
        }
    }
    if (kept != records_.size()) {
        records_.resize(kept);
        softness_.resize(kept);
        ++revision_;
    }
}

void BrushHistory::DiscardRedoTail() {
    if (position_ < count_) {
        RemoveGroupsFrom(position_);
        count_ = position_;
    }
}

void BrushHistory::Append(const StrokeRecord& record, int softness) {
    records_.push_back(record);
    softness_.push_back(static_cast<std::uint8_t>(std::clamp(softness, 0, 255)));
}

void BrushHistory::CloseGroup() {
    DiscardRedoTail();
    count_ = position_ = count_ + 1;
}

bool BrushHistory::Step(HistoryStep step, const std::function<bool()>& confirmReset) {
    if (count_ == 0) {
        return false;
    }
    switch (step) {
        case HistoryStep::Undo:
            position_ = std::max(0, position_ - 1);
            for (StrokeRecord& r : records_) {
                if (r.group >= position_) {
                    r.enabled = 0;
                }
            }
            break;
        case HistoryStep::Redo:
            position_ = std::min(count_, position_ + 1);
            for (StrokeRecord& r : records_) {
                if (r.group < position_) {
                    r.enabled = 1;
                }
            }
            break;
        case HistoryStep::Reset:
            if (!confirmReset || confirmReset()) {
                Clear();
            }
            break;
        default:
            return false;
    }
    ++revision_;
    return true;
}

void BrushHistory::Clear() {
    records_.clear();
    softness_.clear();
    count_ = position_ = 0;
    ++revision_;
}

}  // namespace quillora::canvas
