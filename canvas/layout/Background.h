#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

#include "canvas/document/Colour.h"
#include "canvas/document/EditMode.h"
#include "canvas/document/ParameterGroups.h"
#include "canvas/imaging/Surface.h"

namespace quillora::canvas {

// What lies behind the cut-out: nothing (the checker tile on screen,
// transparency in the saved file), a plain colour drawn opaque, or a picture
// stretched over the whole target.

// A colour option: off (or the "none" colour reference) takes the
// background away; otherwise the colour (red and blue swapped from the
// reference) replaces whatever was behind. backgroundImage is the
// document's picture, released when a colour replaces it. True when the
// window must be repainted; choosing the colour already shown changes
// nothing.
bool SetBackgroundColour(BackgroundParams& background, QImage& backgroundImage, ColourRef ref,
                         bool off);

// A background picture from a file. A file that cannot be decoded changes
// nothing and gives false, so the caller can say so; the background shown
// stays as it was.
bool SetBackgroundImage(BackgroundParams& background, QImage& backgroundImage, const QString& path);

struct BackgroundLayer {
    BackgroundKind kind = BackgroundKind::None;
    Argb colour = 0;
    QImage picture;      // for the picture kind
    QImage checkerTile;  // shown on screen where there is no background
};

// Draws the background over target (the whole view picture, or the whole
// saved picture): the colour at full opacity or the stretched picture in
// every page but cut-out; otherwise the checker tile on screen, from the
// target's corner, and nothing at all in a saved picture.
void DrawBackgroundLayer(imaging::Surface& surface, const QRectF& target,
                         const BackgroundLayer& layer, EditMode page, bool forExport);

}  // namespace quillora::canvas
