#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "canvas/document/StrokeRecord.h"

namespace quillora::canvas {

// The history buttons and keys: undo (Ctrl+Z), redo (Ctrl+Y), reset.
enum class HistoryStep : std::int32_t { Undo = 0, Redo = 1, Reset = 2 };

// The refinement strokes in drawing order, grouped per press-drag-release,
// with the undo position. Undo and redo switch whole groups off and on; the
// undone groups stay until the next drawing discards them.
//
// Count() is the number of groups that exist, Position() the number in
// effect. Every record also carries the softness it was drawn with (kept
// beside the list, one entry per record, as the record itself has no room).
class BrushHistory {
public:
    const StrokeList& Records() const { return records_; }
    const std::vector<std::uint8_t>& Softness() const { return softness_; }
    int Count() const { return count_; }
    int Position() const { return position_; }

    // Changes whenever records are removed or switched on or off; appending
    // leaves it as it is, so a replay can pick up only the new records.
    std::uint64_t Revision() const { return revision_; }

    // Drawing again after undo: the undone groups are gone for good.
    void DiscardRedoTail();

    // Adds a record to the list (its group number is the caller's).
    void Append(const StrokeRecord& record, int softness);

    // The press-drag-release just drawn becomes the newest group, in effect.
    void CloseGroup();

    // Undo, redo or reset; nothing happens while there is no group. Reset
    // empties the list only when confirmReset answers yes (no callback:
    // nothing to ask, the reset goes ahead). Returns true when the step was
    // taken, whatever the answer: the next replay must then start from the
    // service's cut-out again.
    bool Step(HistoryStep step, const std::function<bool()>& confirmReset);

    // Empties the list (a new photo).
    void Clear();

private:
    void RemoveGroupsFrom(int group);

    StrokeList records_;
    std::vector<std::uint8_t> softness_;
    int count_ = 0;
    int position_ = 0;
    std::uint64_t revision_ = 0;
};

}  // namespace quillora::canvas
