#pragma once

#include "canvas/document/Geometry.h"
#include "canvas/document/ParameterGroups.h"
#include "canvas/document/ViewGeometry.h"
#include "canvas/effects/BrushHistory.h"

namespace quillora::canvas {

// Turns the mouse in the cut-out page's source view into stroke records.
// A drag becomes segments between cursor positions more than five pixels
// apart; a press and release that never moved that far is one dot. Points
// are window pixels; the records are in image pixels through the view.
//
// The canvas calls it only while the brush is active on a loaded photo.
class BrushInput {
public:
    // Cursor moves of this many window pixels or less are ignored.
    static constexpr float kMoveThreshold = 5.0f;

    bool IsDown() const { return down_; }
    PointI PressPoint() const { return pressPoint_; }
    PointI LastPoint() const { return lastPoint_; }

    void Press(PointI cursor);

    // True when a segment was recorded (the strokes have to be replayed).
    bool Move(PointI cursor, const ViewGeometry& view, const BrushParams& brush,
              BrushHistory& history);

    // Ends the press; true when a dot was recorded. Nothing happens when
    // the button was not pressed in the view.
    bool Release(PointI cursor, const ViewGeometry& view, const BrushParams& brush,
                 BrushHistory& history);

    // Forgets a press whose release will never come (focus or capture lost).
    void Cancel() { down_ = false; }

private:
    bool down_ = false;
    bool drewSegment_ = false;
    PointI pressPoint_{};
    PointI lastPoint_{};
};

// More than kMoveThreshold apart (Euclidean).
bool IsBeyondMoveThreshold(PointI a, PointI b);

}  // namespace quillora::canvas
