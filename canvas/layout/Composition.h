#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include "canvas/document/EditMode.h"
#include "canvas/document/Geometry.h"
#include "canvas/document/ParameterGroups.h"
#include "canvas/layout/Background.h"

namespace quillora::canvas {

// One picture layer (shadow, border or cut-out). A full layer has the size of
// the whole picture before placement; image may hold only a part of it (the
// part a crop needs), given in full-layer pixels. A null part is the whole.
struct LayerPicture {
    QImage image;
    QRect part;
};

// Everything one picture of the canvas is stacked from, as plain values: the
// screen fills it from the view-sized pictures at the view scale, the export
// from full-size pictures at scale 1. Layers whose picture is null are left
// out.
struct LayerStack {
    EditMode page = EditMode::CutOut;
    bool forExport = false;
    QSize size;          // the whole picture (view picture, or the cut-out's full size)
    float scale = 1.0f;  // scales the shadow distance and the ring width
    // Where the cut-out goes in the change-background and change-size pages,
    // in this picture's pixels.
    RectF placement{};
    BackgroundLayer background;
    LayerPicture shadow;  // drawn while shadowParams' colour is on
    ShadowParams shadowParams;
    LayerPicture border;  // drawn while borderParams' colour is on
    BorderParams borderParams;
    LayerPicture cutOut;
    // Screen only: the crop box of the change-size page and the placement
    // frame of the change-background page.
    bool showCropBox = false;
    RectF cropBox{};
    bool showPlacementFrame = false;
};

// Every picture starts as transparent white.
inline constexpr Argb kClearColour = 0x00FFFFFFu;

// True for the pages where the cut-out sits in the placement rectangle.
constexpr bool UsesPlacement(EditMode page) {
    return page == EditMode::ChangeBackground || page == EditMode::ChangeSize;
}

// Where the cut-out is drawn: the placement rectangle, or the whole picture.
RectF CutOutRect(const LayerStack& stack);

// Where a part of a full layer of fullSize pixels, drawn over rect, lands.
RectF PartRect(const RectF& rect, const QSize& fullSize, const QRect& part);

// The part of a full layer of fullSize pixels, drawn over rect, that reaches
// area, grown by margin pixels on every side (the reach of a blur applied to
// the part) and kept inside the layer. Empty when none of it reaches area.
QRect NeededPart(const RectF& rect, const QSize& fullSize, const QRect& area, int margin);

// Stacks the layers, in this order: the background; the shadow and then the
// border (on screen not in the cut-out page; in a saved picture always);
// the cut-out; on screen the crop box or placement frame. target holds the
// part area of the whole picture (area = (0, 0, size) for all of it) and is
// cleared to kClearColour first, so drawing only the part that will be kept
// gives the same pixels as drawing everything. False when target is not an
// ARGB32 picture of area's size.
bool ComposeLayers(QImage& target, const QRect& area, const LayerStack& stack);

}  // namespace quillora::canvas
