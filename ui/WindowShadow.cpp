#include "ui/WindowShadow.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillora::ui {

namespace {

// One box pass along rows (horizontal) or columns, alpha only: the shadow is
// black, so premultiplied colour stays zero.
void BoxPass(QImage& image, int radius, bool horizontal) {
    const int width = image.width();
    const int height = image.height();
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    const int window = 2 * radius + 1;
    std::vector<int> source(static_cast<size_t>(length));
    for (int line = 0; line < lines; ++line) {
        auto pixel = [&](int i) -> QRgb& {
            const int x = horizontal ? i : line;
            const int y = horizontal ? line : i;
            return reinterpret_cast<QRgb*>(image.scanLine(y))[x];
        };
        for (int i = 0; i < length; ++i) {
            source[static_cast<size_t>(i)] = qAlpha(pixel(i));
        }
        int sum = 0;
        for (int i = -radius; i <= radius; ++i) {
            if (i >= 0 && i < length) {
                sum += source[static_cast<size_t>(i)];
            }
        }
        for (int i = 0; i < length; ++i) {
            pixel(i) = qRgba(0, 0, 0, sum / window);
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            if (leaving >= 0) {
                sum -= source[static_cast<size_t>(leaving)];
            }
            if (entering < length) {
                sum += source[static_cast<size_t>(entering)];
            }
        }
    }
}

}  // namespace

void BlurAlpha(QImage& image, int radius) {
    if (radius <= 0 || image.isNull()) {
        return;
    }
    // Three box passes come close to a Gaussian.
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(image, radius, true);
        BoxPass(image, radius, false);
    }
}

QImage MakeShadowTile(const ShadowStyle& style, qreal devicePixelRatio) {
    // The tile holds the four corners and one pixel of each edge and middle.
    const int corner = style.margin + style.radius;
    const int side = 2 * corner + 1;
    const int pixels = static_cast<int>(std::ceil(side * devicePixelRatio));
    QImage tile(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    {
        QPainter painter(&tile);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(devicePixelRatio, devicePixelRatio);
        QPainterPath path;
        const qreal inset = style.margin * 0.75;
        path.addRoundedRect(
            QRectF(inset, inset + style.offsetY, side - 2 * inset, side - 2 * inset), style.radius,
            style.radius);
        painter.fillPath(path, QColor(0, 0, 0, style.alpha));
    }
    BlurAlpha(tile, std::max(1, static_cast<int>(style.margin * devicePixelRatio / 3)));
    tile.setDevicePixelRatio(devicePixelRatio);
    return tile;
}

void PaintShadow(QPainter& painter, const QRect& body, const ShadowStyle& style,
                 const QImage& tile) {
    if (tile.isNull()) {
        return;
    }
    const int c = style.margin + style.radius;
    const qreal dpr = tile.devicePixelRatio();
    const QRect outer =
        body.marginsAdded(QMargins(style.margin, style.margin, style.margin, style.margin));
    auto source = [dpr](int x, int y, int w, int h) {
        return QRectF(x * dpr, y * dpr, w * dpr, h * dpr);
    };
    const int innerW = outer.width() - 2 * c;
    const int innerH = outer.height() - 2 * c;
    const int l = outer.left();
    const int t = outer.top();
    const int r = outer.right() + 1 - c;
    const int b = outer.bottom() + 1 - c;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Corners.
    painter.drawImage(QRectF(l, t, c, c), tile, source(0, 0, c, c));
    painter.drawImage(QRectF(r, t, c, c), tile, source(c + 1, 0, c, c));
    painter.drawImage(QRectF(l, b, c, c), tile, source(0, c + 1, c, c));
    painter.drawImage(QRectF(r, b, c, c), tile, source(c + 1, c + 1, c, c));
    if (innerW > 0) {
        painter.drawImage(QRectF(l + c, t, innerW, c), tile, source(c, 0, 1, c));
        painter.drawImage(QRectF(l + c, b, innerW, c), tile, source(c, c + 1, 1, c));
    }
    if (innerH > 0) {
        painter.drawImage(QRectF(l, t + c, c, innerH), tile, source(0, c, c, 1));
        painter.drawImage(QRectF(r, t + c, c, innerH), tile, source(c + 1, c, c, 1));
    }
    // The middle lies under the opaque body and is not drawn.
    painter.restore();
}

}  // namespace quillora::ui
