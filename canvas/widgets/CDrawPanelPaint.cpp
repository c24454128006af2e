#include <QPaintEvent>

#include "canvas/imaging/Imaging.h"
#include "canvas/widgets/CDrawPanel.h"

namespace quillora::canvas {

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

QRectF ToQRectF(const RectF& r) {
    return {r.x, r.y, r.w, r.h};
}

QRect ToQRect(const RectI& r) {
    return {r.x, r.y, r.w, r.h};
}

// The frame centred on the picture, at whole-pixel halves.
void DrawCentred(QImage& picture, const QImage& frame) {
    if (frame.isNull()) {
        return;
    }
    imaging::Surface surface(picture);
    const int x = (picture.width() - frame.width()) / 2;
    const int y = (picture.height() - frame.height()) / 2;
    surface.drawImage(QRectF(x, y, frame.width(), frame.height()), frame);
}

}  // namespace

QRect CDrawPanel::EraseArea() const {
    const RectF& previous = doc_.view.PreviousRect();
    const RectF& current = doc_.view.ViewRect();
    const RectF covered = previous.IsEmpty() ? current : UnionRect(previous, current);
    const RectI area = CoveringRect(covered, kEraseMargin);
    return ToQRect(IntersectRect(area, {0, 0, backBuffer_.width(), backBuffer_.height()}));
}

void CDrawPanel::paintEvent(QPaintEvent*) {
    if (doc_.bitmaps.viewSource.isNull()) {
        return;
    }
    doc_.view.SelectPage(doc_.mode);
    imaging::Surface window(static_cast<QPaintDevice&>(*this));
    if (!window.isValid()) {
        return;
    }
    if (!doc_.showResult || doc_.busy != CanvasDocument::kReady) {
        PaintSourceView(window);
    } else if (doc_.HasCutOut()) {
        PaintEffectView(window);
    }
}

void CDrawPanel::PaintSourceView(imaging::Surface& window) {
    if (backBuffer_.isNull()) {
        return;
    }
    QImage picture = doc_.bitmaps.viewSource;
    if (doc_.busy == CanvasDocument::kWaiting) {
        picture = imaging::copyArea(doc_.bitmaps.viewSource);
        if (picture.isNull()) {
            return;
        }
        DrawCentred(picture, loading_.CurrentFrame());
    } else if (doc_.mode == EditMode::CutOut && sourceOverlay_) {
        const QImage overlaid = sourceOverlay_(doc_, cursor_);
        if (!overlaid.isNull()) {
            picture = overlaid;
        }
    }
    {
        imaging::Surface buffer(static_cast<QPaintDevice&>(backBuffer_));
        buffer.fillRectangle(kWhite, QRectF(EraseArea()));
        buffer.drawImage(ToQRectF(doc_.view.ViewRect()), picture);
    }
    window.drawImage(QRectF(backBuffer_.rect()), backBuffer_);
}

void CDrawPanel::PaintEffectView(imaging::Surface& window) {
    doc_.ReplayStrokesIfNeeded();
    const QImage picture = composer_ ? composer_(doc_) : QImage();
    if (picture.isNull()) {
        return;
    }
    const RectF& view = doc_.view.ViewRect();
    if (doc_.mode == EditMode::CutOut) {
        if (backBuffer_.isNull()) {
            return;
        }
        const QRect area = EraseArea();
        {
            imaging::Surface buffer(static_cast<QPaintDevice&>(backBuffer_));
            buffer.fillRectangle(kWhite, QRectF(area));
            buffer.drawImage(ToQRectF(view), picture);
        }
        if (!area.isEmpty()) {
            window.drawImage(QRectF(area), backBuffer_, area);
        }
        return;
    }
    if (doc_.mode == EditMode::ChangeSize && doc_.background.cropApplied) {
        // Only the part under the crop box, where it was.
        const RectF& box = doc_.background.cropRect;
        const RectI part = IntersectRect({static_cast<int>(box.x), static_cast<int>(box.y),
                                          static_cast<int>(box.w), static_cast<int>(box.h)},
                                         {0, 0, picture.width(), picture.height()});
        if (!part.IsEmpty()) {
            window.drawImage(QRectF(view.x + part.x, view.y + part.y, part.w, part.h), picture,
                             ToQRect(part));
        }
        return;
    }
    window.drawImage(ToQRectF(view), picture);
}

}  // namespace quillora::canvas
