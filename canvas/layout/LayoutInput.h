#pragma once

#include "canvas/document/PageInput.h"

namespace quillora::canvas {

// Mouse handling of the change-background page: pressing inside the
// placement rectangle or on a corner handle and dragging moves or resizes
// it (steps of more than 5 pixels, like every drag of the canvas). The hit
// code of the drag is kept in the document's input state (panArmed).
class PlacementInput : public PageInputHandler {
public:
    PageInputResult Press(CanvasDocument& doc, PointI cursor) override;
    PageInputResult Move(CanvasDocument& doc, PointI cursor, bool buttonDown) override;
    PageInputResult Release(CanvasDocument& doc, PointI cursor) override;
};

// Mouse handling of the change-size page while the crop box is shown:
// dragging its interior moves it, a corner resizes it (keeping the preset's
// ratio), and dragging outside it moves the picture under it when the box is
// not the whole picture. The hit code is kept in cropHit.
class CropInput : public PageInputHandler {
public:
    PageInputResult Press(CanvasDocument& doc, PointI cursor) override;
    PageInputResult Move(CanvasDocument& doc, PointI cursor, bool buttonDown) override;
    PageInputResult Release(CanvasDocument& doc, PointI cursor) override;
};

}  // namespace quillora::canvas
