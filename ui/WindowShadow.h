#pragma once

#include <QImage>
#include <QRect>

class QPainter;

// The soft drop shadow drawn around frameless windows: one blurred rounded
// square cut into nine parts, so any window size costs the same to paint.
namespace quillora::ui {

struct ShadowStyle {
    int margin = 16;  // logical pixels between the window edge and the body
    int radius = 6;   // corner radius of the body
    int offsetY = 2;  // the light comes a little from above
    int alpha = 56;   // darkest shadow value, 0..255
};

// The tile for `style` at `devicePixelRatio`.
QImage MakeShadowTile(const ShadowStyle& style, qreal devicePixelRatio);

// Draws the shadow of a body occupying `body` (logical pixels).
void PaintShadow(QPainter& painter, const QRect& body, const ShadowStyle& style,
                 const QImage& tile);

// Box blur of the alpha channel of an ARGB32 premultiplied image, in place.
void BlurAlpha(QImage& image, int radius);

}  // namespace quillora::ui
