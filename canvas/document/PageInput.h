#pragma once

#include "canvas/document/Geometry.h"

namespace quillora::canvas {

class CanvasDocument;

// Cursor shapes the canvas shows; the window maps them to its own.
enum class CanvasCursor {
    Arrow,
    Hand,      // pan
    Brush,     // the refinement brush
    Move,      // four-way move of a box
    SizeNwSe,  // top-left and bottom-right handles
    SizeNeSw,  // top-right and bottom-left handles
};

// What the canvas does after a mouse event handled by a page.
struct PageInputResult {
    bool handled = false;     // the page took the event; the canvas does nothing else
    bool repaint = false;     // invalidate the window
    bool repaintNow = false;  // paint at once (moves that follow the cursor)
    CanvasCursor cursor = CanvasCursor::Arrow;
};

// Mouse handling of one page (placement in the change-background page, the
// crop box in the change-size page), without a window: positions are client
// pixels, the document's view rectangle is the one of the last paint. The
// canvas calls it only while nothing is awaited (busy 0) and grabs the mouse
// between press and release itself; the handler keeps CanvasDocument::input
// (mouseDown, the press and last points, the hit code) up to date.
class PageInputHandler {
public:
    virtual ~PageInputHandler() = default;
    virtual PageInputResult Press(CanvasDocument& doc, PointI cursor) = 0;
    // buttonDown: the left button is held.
    virtual PageInputResult Move(CanvasDocument& doc, PointI cursor, bool buttonDown) = 0;
    virtual PageInputResult Release(CanvasDocument& doc, PointI cursor) = 0;
};

}  // namespace quillora::canvas
