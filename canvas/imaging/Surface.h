#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include <cstdint>

#include "canvas/imaging/Effects.h"

namespace quillora::imaging {

enum class CompositingMode {
    SourceOver,  // blend by the source's alpha (the default)
    SourceCopy,  // replace the destination pixels, alpha included
};

enum class DashStyle { Solid, Dotted };

// Pens always have round start and end caps and round joins, so consecutive
// segments of one width make a continuous stroke.
struct Pen {
    uint32_t argb = 0xFF000000u;
    float width = 1.0f;
    DashStyle dash = DashStyle::Solid;
};

// A drawing surface over an ARGB32 bitmap or a window's paint device. Drawing
// on a null bitmap, or one in another format, does nothing (isValid() is
// false). Smooth scaling of images is on and edge antialiasing of shapes is
// off until changed. The surface must be destroyed (or end() called) before
// the bitmap is read.
class Surface {
public:
    explicit Surface(QImage& bitmap);
    explicit Surface(QPaintDevice& device);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool isValid() const { return painter_.isActive(); }
    void end();

    // Every pixel of the target set to the colour, alpha included, whatever
    // the compositing mode.
    void clear(uint32_t argb);
    void setCompositingMode(CompositingMode mode);
    // false: nearest-pixel image scaling (the high-speed setting).
    void setSmoothScaling(bool smooth);
    void setAntialiasing(bool on);

    // The source rectangle of the image (in its pixels) stretched over the
    // destination. The matrix variant recolours the source part first. False
    // when nothing can be drawn (null image, empty rectangles).
    bool drawImage(const QRectF& dest, const QImage& image, const QRect& source);
    bool drawImage(const QRectF& dest, const QImage& image, const QRect& source,
                   const ColourMatrix& matrix);
    bool drawImage(const QRectF& dest, const QImage& image);
    // The tile repeated over the destination, its first copy at the
    // destination's top-left corner.
    bool drawTiled(const QRectF& dest, const QImage& tile);

    void drawLine(const Pen& pen, const QPointF& from, const QPointF& to);
    // Connected segments through the points (one point draws a round dot).
    void drawPolyline(const Pen& pen, const QPointF* points, int count);
    void drawRectangle(const Pen& pen, const QRectF& rect);
    void drawEllipse(const Pen& pen, const QRectF& rect);
    void fillRectangle(uint32_t argb, const QRectF& rect);
    void fillEllipse(uint32_t argb, const QRectF& rect);

    // For what the operations above do not cover (text, paths).
    QPainter& painter() { return painter_; }

private:
    void setUp();
    void usePen(const Pen& pen);

    QPainter painter_;
};

}  // namespace quillora::imaging
