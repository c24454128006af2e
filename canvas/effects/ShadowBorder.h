#pragma once

#include <QImage>

#include "canvas/document/Geometry.h"
#include "canvas/document/ParameterGroups.h"
#include "canvas/imaging/Surface.h"

namespace quillora::canvas {

// The drop shadow and the outline are both drawn from a one-colour silhouette
// of the cut-out (MakeSilhouette), behind the cut-out.
//
// On screen the silhouette is made from the view-sized cut-out; the shadow is
// blurred by its radius in image pixels times the view scale, so the screen
// shows what the saved picture will hold. On export the silhouette comes
// from the full-size cut-out and the radius is used as it is.

// The shadow picture: the silhouette blurred (the area outside the picture
// counting as transparent, so the rim fades out) and faded by the shadow's
// opacity. blurScale is the view scale on screen and 1.0 on export. Null
// when the silhouette is null or an effect fails.
QImage BuildShadowImage(const QImage& silhouette, const ShadowParams& shadow, float blurScale);

// The border picture: the silhouette faded by the border's opacity.
QImage BuildBorderImage(const QImage& silhouette, const BorderParams& border);

// The export variants, made on the spot from the full-size cut-out in the
// layer's colour. Null when the layer is off or the cut-out is missing.
QImage BuildExportShadow(const QImage& cutOut, const ShadowParams& shadow);
QImage BuildExportBorder(const QImage& cutOut, const BorderParams& border);

// The shadow's offset in target pixels: the distance times the scale,
// truncated to whole pixels, in the direction of the angle (degrees, 0 to
// the right, 90 downwards, clockwise on screen).
PointF ShadowOffset(int distance, int angleDegrees, float scale);

// Where the shadow picture is drawn: the cut-out's rectangle (the view at
// (0, 0, W, H), or the placement rectangle) moved by the offset.
RectF ShadowRect(const ShadowParams& shadow, float scale, const RectF& cutOutRect);

// Where the border picture is drawn: the cut-out's rectangle grown by the
// ring width on every side, so the enlarged silhouette shows around the
// cut-out drawn on top. The ring width is the thickness in image pixels times
// the scale, so screen and saved picture agree.
RectF BorderRect(const BorderParams& border, float scale, const RectF& cutOutRect);

// Draw the layer at its place when it is on (its colour's alpha byte is not
// 0) and its picture exists; false when nothing was drawn. The surface's
// compositing is left as it is (normally source-over).
bool DrawShadowLayer(imaging::Surface& surface, const QImage& shadowImage,
                     const ShadowParams& shadow, float scale, const RectF& cutOutRect);
bool DrawBorderLayer(imaging::Surface& surface, const QImage& borderImage,
                     const BorderParams& border, float scale, const RectF& cutOutRect);

}  // namespace quillora::canvas
