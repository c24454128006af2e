#include "canvas/imaging/Surface.h"

#include <QBrush>
#include <QPen>
#include <QTransform>

namespace quillora::imaging {

namespace {

QColor toColor(uint32_t argb) {
    return QColor::fromRgba(argb);
}

bool usableImage(const QImage& image) {
    return !image.isNull() && image.width() > 0;
}

}  // namespace

Surface::Surface(QImage& bitmap) {
    if (bitmap.isNull() || bitmap.format() != QImage::Format_ARGB32) {
        return;
    }
    if (painter_.begin(&bitmap)) {
        setUp();
    }
}

Surface::Surface(QPaintDevice& device) {
    if (painter_.begin(&device)) {
        setUp();
    }
}

Surface::~Surface() {
    end();
}

void Surface::end() {
    if (painter_.isActive()) {
        painter_.end();
    }
}

void Surface::setUp() {
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

void Surface::clear(uint32_t argb) {
    if (!isValid()) {
        return;
    }
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.save();
    painter_.resetTransform();
    painter_.setClipping(false);
    painter_.fillRect(QRect(0, 0, painter_.device()->width(), painter_.device()->height()),
                      toColor(argb));
    painter_.restore();
    painter_.setCompositionMode(mode);
}

void Surface::setCompositingMode(CompositingMode mode) {
    if (!isValid()) {
        return;
    }
    painter_.setCompositionMode(mode == CompositingMode::SourceCopy
                                    ? QPainter::CompositionMode_Source
                                    : QPainter::CompositionMode_SourceOver);
}

void Surface::setSmoothScaling(bool smooth) {
    if (isValid()) {
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    }
}

void Surface::setAntialiasing(bool on) {
    if (isValid()) {
        painter_.setRenderHint(QPainter::Antialiasing, on);
    }
}

bool Surface::drawImage(const QRectF& dest, const QImage& image, const QRect& source) {
    if (!isValid() || !usableImage(image) || dest.isEmpty()) {
        return false;
    }
    const QRect clipped = source.intersected(image.rect());
    if (clipped.isEmpty() || clipped != source) {
        return false;
    }
    painter_.drawImage(dest, image, QRectF(source));
    return true;
}

bool Surface::drawImage(const QRectF& dest, const QImage& image, const QRect& source,
                        const ColourMatrix& matrix) {
    if (!isValid() || !usableImage(image) || dest.isEmpty() || source.isEmpty() ||
        source.intersected(image.rect()) != source) {
        return false;
    }
    QImage part = image.copy(source).convertToFormat(QImage::Format_ARGB32);
    if (part.isNull() || !colourMatrix(part, matrix)) {
        return false;
    }
    painter_.drawImage(dest, part, QRectF(part.rect()));
    return true;
}

bool Surface::drawImage(const QRectF& dest, const QImage& image) {
    return drawImage(dest, image, image.rect());
}

bool Surface::drawTiled(const QRectF& dest, const QImage& tile) {
    if (!isValid() || !usableImage(tile) || dest.isEmpty()) {
        return false;
    }
    QBrush brush(tile);
    brush.setTransform(QTransform::fromTranslate(dest.x(), dest.y()));
    painter_.fillRect(dest, brush);
    return true;
}

void Surface::usePen(const Pen& pen) {
    QPen qpen(toColor(pen.argb));
    qpen.setWidthF(pen.width);
    qpen.setCapStyle(Qt::RoundCap);
    qpen.setJoinStyle(Qt::RoundJoin);
    qpen.setStyle(pen.dash == DashStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
    painter_.setPen(qpen);
    painter_.setBrush(Qt::NoBrush);
}

void Surface::drawLine(const Pen& pen, const QPointF& from, const QPointF& to) {
    if (!isValid()) {
        return;
    }
    usePen(pen);
    painter_.drawLine(from, to);
}

void Surface::drawPolyline(const Pen& pen, const QPointF* points, int count) {
    if (!isValid() || points == nullptr || count <= 0) {
        return;
    }
    usePen(pen);
    if (count == 1) {
        painter_.drawLine(points[0], points[0]);
    } else {
        painter_.drawPolyline(points, count);
    }
}

void Surface::drawRectangle(const Pen& pen, const QRectF& rect) {
    if (!isValid()) {
        return;
    }
    usePen(pen);
    painter_.drawRect(rect);
}

void Surface::drawEllipse(const Pen& pen, const QRectF& rect) {
    if (!isValid()) {
        return;
    }
    usePen(pen);
    painter_.drawEllipse(rect);
}

void Surface::fillRectangle(uint32_t argb, const QRectF& rect) {
    if (!isValid()) {
        return;
    }
    painter_.fillRect(rect, toColor(argb));
}

void Surface::fillEllipse(uint32_t argb, const QRectF& rect) {
    if (!isValid()) {
        return;
    }
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(toColor(argb));
    painter_.drawEllipse(rect);
    painter_.setBrush(Qt::NoBrush);
}

}  // namespace quillora::imaging
